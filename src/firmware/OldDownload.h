#pragma once
// The older series' firmware download: one erase packet, then the area in
// data blocks of 512 bytes. A printer that can answer (serial, USB, the TCP
// link) acknowledges every packet with DLE ACK or asks for it again with
// DLE NAK; a parallel printer gets the blocks 50 ms apart without answers.
//
// Messages go through korva::base::ShowMessage; the result is also a typed
// Outcome. After each Step() the front end reads Progress().
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "base/ErrorLog.h"
#include "base/Profile.h"
#include "firmware/OldImage.h"
#include "firmware/RefusalText.h"
#include "base/Reason.h"
#include "port/ByteStream.h"

namespace korva::firmware {

struct OldDownloadSettings {
    std::string path;      ///< full path of the image file
    std::string fileName;  ///< the file name alone (remembered in the profile)
    OldArea area = OldArea::Program;
    /// Where path and file name are remembered ("FWDN15"); nullptr: nowhere.
    base::Profile* profile = nullptr;
    /// How long to wait for an answer before giving up; 0 waits until Cancel.
    int answerTimeoutMs = 0;
};

struct OldDownloadProgress {
    uint32_t start = 0;     ///< progress range: the area's start ..
    uint32_t end = 0;       ///< .. and end
    uint32_t position = 0;  ///< next image offset to send
    std::string caption;    ///< "Erasing...", "Writing...(1D0200)"
    int resends = 0;        ///< packets sent again after a NAK
};

class OldFirmwareDownload {
public:
    enum class State {
        Idle,
        Opening,         ///< opens the port
        Loading,         ///< reads and checks the image
        Erasing,         ///< the six erase waits
        AwaitingAnswer,  ///< one packet in flight, waiting for DLE ACK / DLE NAK
        SendingBlind,    ///< parallel: the next block, 50 ms apart
        Done,
    };
    enum class Outcome {
        None,
        Completed,       ///< "COMPLETED"
        Cancelled,       ///< stopped by the user
        PortOpenFailed,  ///< "Init Fail"
        FileOpenFailed,  ///< "File open error!!"
        NoExtFont,       ///< "Error! Not found extened font data in file."
        ImageTooShort,   ///< the file ends inside the area
        WriteFailed,     ///< a packet did not reach the port
        NoAnswer,        ///< the printer stopped answering (with an answer time-out)
        TooManyNaks,     ///< the same packet refused over and over
    };

    static constexpr int kPacketGapMs = 50;   ///< after each packet on non-serial ports
    static constexpr int kAnswerPollMs = 5;
    static constexpr int kMaxResends = 100;   ///< NAKs in a row for one packet

    OldFirmwareDownload(port::ByteStream& stream, base::Clock& clock, base::CErrorLog& log,
                        OldDownloadSettings settings);

    /// Does the next piece of work; returns the wait in ms before the next
    /// call, or base::kStepDone.
    int Step();
    /// Stops at the next step: the port is closed, nothing more is sent.
    void Cancel() {
        m_Cancelled = true;
        m_Stream.Interrupt();  // a packet the printer has stopped taking gives way
    }

    State GetState() const { return m_State; }
    Outcome GetOutcome() const { return m_Outcome; }
    /// None when the printer acknowledged the last block; NotConfirmed for a
    /// blind transfer sent whole; the fault of a failed run.
    base::Reason Reason() const { return m_Reason; }
    bool IsDone() const { return m_State == State::Done; }
    const OldDownloadProgress& Progress() const { return m_Progress; }
    /// How far the erase got; after a run that stopped early, what the printer holds.
    OldErase Erase() const { return m_Erase; }

private:
    int StepOpen();
    int StepLoad();
    int StepErase();
    int StepAwaitAnswer();
    int StepSendBlind();
    bool SendPacket();
    void BuildNextPacket();
    int AfterSend() const;
    /// "ERROR : Write to port." with what the port knows of the failure.
    std::string WriteFailText() const;
    int Fail(Outcome outcome, const std::string& text);
    int Finish(Outcome outcome);
    bool Answers() const;

    port::ByteStream& m_Stream;
    base::Clock& m_Clock;
    base::CErrorLog& m_Log;
    OldDownloadSettings m_Settings;

    State m_State = State::Idle;
    Outcome m_Outcome = Outcome::None;
    OldDownloadProgress m_Progress;
    std::vector<uint8_t> m_Image;   ///< the file from offset 0 to the area's end
    std::vector<uint8_t> m_Packet;  ///< the packet in flight
    OldAnswerParser m_Answers;
    int m_EraseWaitsDone = 0;
    int m_NaksInARow = 0;
    int64_t m_AnswerDeadline = 0;
    bool m_Opened = false;
    OldErase m_Erase = OldErase::NotSent;
    base::Reason m_Reason = base::Reason::None;
    std::atomic<bool> m_Cancelled{false};  ///< set from the window while a step runs
};

}  // namespace korva::firmware
