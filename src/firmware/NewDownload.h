#pragma once
// The newer series' firmware download: checks the image, cuts one area into
// a download packet and streams it to the printer's loader in equal blocks,
// then waits while the printer writes its flash and switches itself off.
//
// Messages go through korva::base::ShowMessage with the dialog's texts; the
// result is also a typed Outcome. After each Step() the front end reads
// Progress() for the bar, the caption and the two text boxes.
#include <cstdint>
#include <string>
#include <vector>

#include "base/ErrorLog.h"
#include "base/Profile.h"
#include "firmware/NewImage.h"
#include "base/Reason.h"
#include "port/ByteStream.h"

namespace korva::firmware {

struct NewDownloadSettings {
    std::string path;      ///< full path of the image file
    std::string fileName;  ///< the file name alone (remembered in the profile)
    NewArea area = NewArea::Program;
    int deviceType = 1;    ///< 1 takes "K20" images, 3 "K22", "K23", "K24"
    /// Asks the area's Yes/No question (boot, downloader, extended font).
    bool askConfirmation = true;
    /// Where path and file name are remembered ("FWDN20"); nullptr: nowhere.
    base::Profile* profile = nullptr;
};

struct NewDownloadProgress {
    int position = 0;           ///< progress bar position
    int range = 0;              ///< progress bar maximum: packet length + 20480
    int percent = 0;            ///< position * 100 / range, for the caption
    std::string checksumText;   ///< "CHECKSUM :" box, "%X"
    std::string sentText = "0"; ///< "FileSize :" box: bytes sent, in decimal
    uint32_t packetLength = 0;
    uint32_t bytesSent = 0;
    bool transferring = false;  ///< from the packet until the end of the settling wait
};

class NewFirmwareDownload {
public:
    enum class State {
        Idle,
        Confirming,  ///< the area's Yes/No question
        Reopening,   ///< closes and reopens a local port
        Loading,     ///< reads, checks and packs the image
        Connecting,  ///< connects the TCP link (Ethernet)
        Sending,     ///< one piece of the packet per step
        Settling,    ///< 256 steps while the printer writes its flash
        Done,
    };
    enum class Outcome {
        None,
        Completed,        ///< packet sent, printer left to write and power off
        Declined,         ///< the confirmation was answered No
        PortOpenFailed,   ///< "Init Fail"
        FileOpenFailed,   ///< "ERROR : File Open"
        SizeWrong,        ///< "ERROR: File size not correct!"
        OutOfMemory,      ///< "ERROR:Memory Allocation Fail."
        FileReadFailed,   ///< "ERROR : File Size Error"
        NotFirmware,      ///< "ERROR : File is not firmware file!"
        NoExtFont,        ///< "ERROR : File is not include Ext.font data."
        PrinterNotReady,  ///< a serial write did not complete
        WriteFailed,      ///< a parallel, USB or file write failed; the TCP link broke;
                          ///< the line hung up or the link was reset before the end
        PrinterCheckFailed,  ///< the Ethernet printer did not accept a connection
    };

    /// Local ports get blocks of 2048 bytes, the TCP link 4096.
    static constexpr uint32_t kLocalBlock = 2048;
    static constexpr uint32_t kEthernetBlock = 4096;
    /// Room past the packet on the progress bar for the settling wait.
    static constexpr int kSettleRange = 20480;
    static constexpr int kSettleSteps = 256;

    NewFirmwareDownload(port::ByteStream& stream, base::CErrorLog& log, NewDownloadSettings settings);

    /// Does the next piece of work; returns the wait in ms before the next
    /// call, or base::kStepDone. Every wait of the run is such a return value.
    int Step();

    State GetState() const { return m_State; }
    Outcome GetOutcome() const { return m_Outcome; }
    /// None when every byte reached the printer and the link held; the
    /// fault of a failed run otherwise.
    base::Reason Reason() const { return m_Reason; }
    bool IsDone() const { return m_State == State::Done; }
    const NewDownloadProgress& Progress() const { return m_Progress; }
    /// The area after the run: a refused extended font resets it to Program.
    NewArea Area() const { return m_Settings.area; }
    /// The packet that went out (empty before it is built and after the end).
    const std::vector<uint8_t>& Packet() const { return m_Packet; }

private:
    int StepConfirm();
    int StepReopen();
    int StepLoad();
    int StepConnect();
    int StepSend();
    int StepSettle();
    int Refuse(Outcome outcome, const std::string& text);
    /// The link failed after the last write: says how far the run got.
    int FailLink(base::Reason fault);
    /// An Ethernet printer kept its connection past the wait for its restart.
    int FailNoRestart();
    /// The line under a failure saying how much of the packet the printer took.
    std::string HowFarText(uint32_t taken) const;
    int Finish(Outcome outcome);
    void SetPosition(int position);
    bool IsLocal() const;

    port::ByteStream& m_Stream;
    base::CErrorLog& m_Log;
    NewDownloadSettings m_Settings;

    State m_State = State::Idle;
    Outcome m_Outcome = Outcome::None;
    NewDownloadProgress m_Progress;
    std::vector<uint8_t> m_Packet;
    uint32_t m_BlockEnd = 0;  ///< end of the block being sent
    int m_SettleStep = 0;
    int m_RestartPolls = 0;  ///< looks at an Ethernet link for the printer's restart
    base::Reason m_Reason = base::Reason::None;
};

}  // namespace korva::firmware
