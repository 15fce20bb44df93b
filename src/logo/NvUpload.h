#pragma once
// The NV bit-image upload: stores every listed logo in the printer with one
// FS q definition, or erases all stored logos when the list is empty.
//
// Messages: the engine shows every question and failure itself through
// korva::base::ShowMessage, with the texts and icons of the message table (the
// GUI installs QMessageBox, the CLI a stderr printer, tests a recorder). The
// result is also reported as a typed Outcome for exit codes and tests.
// Progress: after each Step() the front end reads Progress().
#include <atomic>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "base/ErrorLog.h"
#include "base/Profile.h"
#include "base/StepEngine.h"
#include "logo/LogoGeometry.h"
#include "port/ByteStream.h"
#include "port/ReceiptCheck.h"

namespace korva::logo {

/// One listed logo, as the logo list holds it.
struct UploadEntry {
    int number = 0;    ///< logo number; images go out in ascending number
    std::string name;  ///< file name without directory (status text)
    std::string path;  ///< full path (loaded, and saved to the profile)
    long size = 0;     ///< NV size in bytes as listed (4x while gray printing)
    bool center = false;  ///< centre the image in the maximum printable width
};

/// A converted image as the printer receives it.
struct LogoRaster {
    int paddedWidth = 0;   ///< dots, multiple of 8 (after centring)
    int paddedHeight = 0;  ///< dots, multiple of 8
    std::vector<uint8_t> data;
};

/// Loads and converts one listed file; `position` is its 1-based place in the
/// upload order. False when the file no longer loads or converts.
using LogoConverter =
    std::function<bool(const UploadEntry& entry, int position, LogoRaster& out)>;

struct NvUploadSettings {
    bool starEmulation = false;   ///< ESC in front of FS q
    bool grayPrinting = false;    ///< A0 mark in every header (the converter makes gray rasters)
    bool askConfirmation = true;  ///< the Yes/No question before anything happens (GUI)
    /// Added below the upload question (logos the printer will cut, ...).
    std::string confirmationNote;
    /// Where the list goes after a complete upload; nullptr: not saved.
    base::Profile* profile = nullptr;
    /// "Logofile%d" keys the profile held before (LogoList savedKeyCount).
    int savedKeyCount = 0;
    /// How long the printer may take to answer GS I 1.
    int replyWaitMs = 500;
    /// The largest NV graphics area; the converted images must fit in it. A
    /// printer that can answer is asked for its own size as well.
    long nvCapacityBytes = NvCapacityBytes();
};

struct UploadProgress {
    long bytesSent = 0;
    long totalBytes = 0;   ///< sum of the rasters to send (centring included)
    int position = 0;      ///< progress bar position: bytesSent / 100
    int range = 0;         ///< progress bar maximum: totalBytes / 100
    int imagesBegun = 0;
    int imagesToSend = 0;
    std::string status;    ///< "Uploading...", "Erasing...", "Updating(%ld/%ld)...%s"
    /// True from FS q until the last image: the "Uploading" dialog is shown then.
    bool transferring = false;
};

class NvUpload {
public:
    enum class State {
        Idle,           ///< Start not yet called
        Confirming,     ///< asks the Yes/No question
        Converting,     ///< loads and converts one listed file per step
        Connecting,     ///< (re)opens the port or link
        CheckingPrinter,///< writes GS I 1
        AwaitingReply,  ///< up to 500 ms for one reply byte
        AskingNvSize,   ///< asks a printer that can answer for its NV graphics size
        AwaitingNvSize, ///< up to 1 s for that answer
        Initializing,   ///< writes ESC @ (serial and USB only)
        Defining,       ///< writes [1B] 1C 71 n, or the erase stream
        Erasing,        ///< the printer clears its NV area (3.5 s, 5 s over Ethernet)
        SendingImage,   ///< header and first chunk of the next image
        SendingChunks,  ///< one 512-byte chunk (or the remainder) per step
        BetweenImages,  ///< the 10 ms gap before the next image
        EndCheck,       ///< GS I 1 after the last byte, until the printer answers
        Saving,         ///< writes the list to the profile
        Reporting,      ///< the completion message, once the "Uploading" window is gone
        CancelWait,     ///< 2 ms per byte of the interrupted image
        Completing,     ///< empty headers for the images not begun
        CompletionWait, ///< 1 ms per byte of the interrupted image
        Done,
    };
    enum class Outcome {
        None,                ///< not finished yet
        Completed,           ///< every image sent, list saved
        Erased,              ///< erase stream sent
        Cancelled,           ///< cancelled; definition completed with empty headers
        Declined,            ///< the question was not answered Yes
        FileUnreadable,      ///< a listed file no longer loads; nothing sent
        ImageTooLarge,       ///< an image the four header bytes cannot describe; nothing sent
        NvAreaTooSmall,      ///< the converted images exceed the NV area; nothing sent
        PortOpenFailed,      ///< the port or link could not be opened
        WriteFailed,         ///< GS I 1, the erase stream or an empty header not written
        PrinterCheckFailed,  ///< ESC @ not written
        CommunicationError,  ///< FS q, a header or a chunk not written; the link failed;
                             ///< or the printer that answered before did not confirm
    };

    NvUpload(port::ByteStream& stream, base::Clock& clock, base::CErrorLog& log,
             std::vector<UploadEntry> entries, LogoConverter converter, NvUploadSettings settings);

    /// Does the next piece of work; returns the wait in ms before the next
    /// call, or base::kStepDone. The first call starts the run.
    int Step();
    /// Stops between images; an image under way finishes first. Before the
    /// definition has begun nothing is sent at all.
    void Cancel();
    /// What the printer holds after a cancel, e.g. "the printer holds logos
    /// 1..2 of this upload; its earlier logos are erased".
    std::string HeldText() const;
    /// What the printer may hold if the program ended now, without the waits
    /// and empty headers that close a cancelled definition.
    std::string MayHoldText() const;
    /// Cancelled while a write the printer stopped taking was held: the last
    /// image is cut short and the definition was not closed.
    bool CutShort() const { return !m_CutShortText.empty(); }

    State GetState() const { return m_State; }
    Outcome GetOutcome() const { return m_Outcome; }
    /// Why the run ended: None when the printer confirmed; NotConfirmed for a
    /// completed run nothing could confirm; the fault of a failed one.
    base::Reason Reason() const { return m_Reason; }
    /// Completed or Erased, and the printer answered after the last byte.
    bool Confirmed() const { return m_Receipt.Result() == port::Receipt::Confirmed; }
    bool IsDone() const { return m_State == State::Done; }
    const UploadProgress& Progress() const { return m_Progress; }
    /// The file that stopped the run with FileUnreadable.
    const std::string& UnreadableFile() const { return m_UnreadableFile; }
    /// Profile key count after the run (changes only after Completed).
    int SavedKeyCount() const { return m_Settings.savedKeyCount; }
    /// Entries in the order they are sent (ascending logo number, stable).
    const std::vector<UploadEntry>& UploadOrder() const { return m_Entries; }

private:
    int StepConfirm();
    int StepConvert();
    int StepConnect();
    int StepCheckPrinter();
    int StepAwaitReply();
    int StepAskNvSize();
    int StepAwaitNvSize();
    /// The refusal when the logos exceed `capacityBytes`, naming both sizes.
    int RefuseTooLarge(long capacityBytes, bool printersOwn);
    int StepInitialize();
    int StepDefine();
    int StepErase();
    int StepSendImage();
    int StepSendChunk();
    int StepBetweenImages();
    void BeginEndCheck();
    int StepEndCheck();
    /// A link fault or a printer that fell silent: says how far the run got.
    int FailAtEnd(base::Reason reason);
    int StepSave();
    int StepReport();
    int StepCompleting();
    int Finish(Outcome outcome);
    int CancelBetweenImages();
    /// The message at the end of a cancel that closed the definition.
    void ShowCancelled();
    /// "After N of M bytes." for the line under a cancel's message.
    std::string SentText(long bytes) const;
    /// What the printer took of `handed` bytes: a TCP printer acknowledges
    /// the last few kilobytes a moment later.
    long TakenOf(long handed) const;
    /// One tick of a wait after a cancel, with the seconds left in the status.
    int CountDown(State next);
    bool WriteAll(std::span<const uint8_t> bytes);
    void SetUpdatingStatus();

    port::ByteStream& m_Stream;
    base::Clock& m_Clock;
    base::CErrorLog& m_Log;
    std::vector<UploadEntry> m_Entries;
    LogoConverter m_Converter;
    NvUploadSettings m_Settings;

    State m_State = State::Idle;
    Outcome m_Outcome = Outcome::None;
    UploadProgress m_Progress;
    long m_Handed = 0;  ///< bytes handed to the port; Progress() counts what the printer took
    std::string m_UnreadableFile;
    std::vector<LogoRaster> m_Rasters;  ///< converted before anything is sent
    std::atomic<bool> m_Cancelled{false};  ///< set from the window while a step runs
    bool m_Opened = false;
    size_t m_Image = 0;         ///< index of the image being sent
    size_t m_Offset = 0;        ///< bytes of it already sent
    std::vector<size_t> m_Chunks;  ///< write sizes of the image being sent
    size_t m_ChunkIndex = 0;
    long m_LastImageSize = 0;   ///< size of the image a cancel interrupted
    int64_t m_WaitUntil = 0;    ///< end of the current wait after a cancel
    bool m_Defined = false;     ///< FS q has been sent
    int64_t m_ReplyDeadline = 0;
    bool m_PrinterAnswered = false;  ///< the opening check was answered
    port::ReceiptCheck m_Receipt;
    base::Reason m_Reason = base::Reason::None;
    bool m_TookDataAfterCancel = false;  ///< image bytes went out after the cancel
    std::string m_CutShortText;  ///< what the printer holds after a cancel cut an image short
    State m_AfterNvSize = State::Defining;  ///< where the upload goes on after the size
    port::PrinterDialogue::Ticket m_ReplyTicket = 0;   ///< the opening GS I 1
    port::PrinterDialogue::Ticket m_NvSizeTicket = 0;  ///< the NV graphics size request
};

/// Writes the list to section "LOGO" as "Logofile1".. in upload order and
/// deletes keys beyond it up to `previousKeyCount`. False when the profile
/// could not be saved.
bool SaveUploadedList(base::Profile& profile, const std::vector<UploadEntry>& inUploadOrder,
                      int previousKeyCount);

}  // namespace korva::logo
