#include "logo/NvUpload.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "base/MessageBox.h"
#include "base/Messages.h"
#include "logo/NvDefinition.h"
#include "logo/NvSizeAnswer.h"
#include "port/PortFailures.h"

namespace korva::logo {

using base::MsgAnswer;
using base::MsgStyle;
using port::PortKind;

namespace {

constexpr int kReplyPollMs = 10;
constexpr int kNvSizeWaitMs = 1000;    // for the printer's NV graphics size
constexpr int kEraseWaitMs = 3500;     // the printer clears its NV graphics area
constexpr int kEraseWaitEthernetMs = 5000;
constexpr int kChunkPauseMs = 10;      // between 512-byte chunks
constexpr int kImageGapMs = 10;        // between images
constexpr int kCancelMsPerByte = 2;    // lets the printer digest an interrupted image
constexpr int kCompletionMsPerByte = 1;
constexpr int kCountdownTickMs = 250;  // the waits after a cancel show the seconds left
// The printer stores the images before it answers the end check: 1 ms per
// 16 bytes on top of the answer margin, at most 8 s.
constexpr long kStoreBytesPerMs = 16;
constexpr long kStoreWaitCapMs = 8000;

bool isFileOutput(PortKind kind) { return kind == PortKind::File || kind == PortKind::OutputFile; }

/// The header must carry the raster's size exactly, or the printer would read
/// image data as the next header. Gray marks xH with A0, so x stays below 0x2000.
bool headerMatchesData(const LogoRaster& r, bool gray) {
    if (r.paddedWidth <= 0 || r.paddedHeight <= 0 || r.paddedWidth % 8 || r.paddedHeight % 8)
        return false;
    const long x = r.paddedWidth / 8;
    const long y = r.paddedHeight / 8;
    if (y > 0xFFFF || (gray ? x >= 0x2000 : x > 0xFFFF)) return false;
    return static_cast<long>(r.data.size()) == x * y * (gray ? 32 : 8);
}

std::string format(const char* pattern, long value) {
    char text[256];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

}  // namespace

NvUpload::NvUpload(port::ByteStream& stream, base::Clock& clock, base::CErrorLog& log,
                   std::vector<UploadEntry> entries, LogoConverter converter,
                   NvUploadSettings settings)
    : m_Stream(stream),
      m_Clock(clock),
      m_Log(log),
      m_Entries(std::move(entries)),
      m_Converter(std::move(converter)),
      m_Settings(settings),
      m_Receipt(stream, clock) {
    // The printer numbers the images 1..n in the order they arrive.
    std::stable_sort(m_Entries.begin(), m_Entries.end(),
                     [](const UploadEntry& a, const UploadEntry& b) { return a.number < b.number; });
    m_Progress.imagesToSend = static_cast<int>(m_Entries.size());
    for (const UploadEntry& e : m_Entries) m_Progress.totalBytes += e.size;
    m_Progress.range = static_cast<int>(m_Progress.totalBytes / 100);
    m_Progress.status = "Uploading...";
}

void NvUpload::Cancel() {
    m_Cancelled = true;
    m_Stream.Interrupt();  // a write the printer has stopped taking gives way
}

std::string NvUpload::HeldText() const {
    if (!m_CutShortText.empty()) return m_CutShortText;
    if (!m_Defined) return "nothing was sent; the printer keeps its logos";
    const int held = m_Progress.imagesBegun;
    const std::string text = held == 0   ? "the printer holds no logo of this upload"
                             : held == 1 ? "the printer holds logo 1 of this upload"
                                         : "the printer holds logos 1.." + std::to_string(held) +
                                               " of this upload";
    return text + "; its earlier logos are erased";
}

std::string NvUpload::MayHoldText() const {
    if (!m_Defined) return "nothing was sent; the printer keeps its logos";
    if (m_State == State::Saving || m_State == State::Reporting || m_State == State::Done)
        return HeldText();
    const int held = m_Progress.imagesBegun;
    const std::string logos = held == 1 ? "logo 1" : "logos 1.." + std::to_string(held);
    const bool midImage = m_State == State::SendingChunks;
    return (held == 0 ? std::string("the printer holds no logo of this upload")
                      : "the printer may hold " + logos + " of this upload" +
                            (midImage ? " (the last one cut short)" : "")) +
           " and may still wait for the rest of its definition; its earlier logos are erased";
}

int NvUpload::Step() {
    const bool beforeDefinition = m_State == State::Idle || m_State == State::Confirming ||
                                  m_State == State::Converting || m_State == State::Connecting ||
                                  m_State == State::CheckingPrinter ||
                                  m_State == State::AwaitingReply || m_State == State::AskingNvSize ||
                                  m_State == State::AwaitingNvSize || m_State == State::Initializing;
    if (m_Cancelled && beforeDefinition) return Finish(Outcome::Cancelled);

    switch (m_State) {
        case State::Idle:
            m_State = m_Settings.askConfirmation ? State::Confirming
                      : m_Entries.empty()        ? State::Connecting
                                                 : State::Converting;
            return 0;
        case State::Confirming: return StepConfirm();
        case State::Converting: return StepConvert();
        case State::Connecting: return StepConnect();
        case State::CheckingPrinter: return StepCheckPrinter();
        case State::AwaitingReply: return StepAwaitReply();
        case State::AskingNvSize: return StepAskNvSize();
        case State::AwaitingNvSize: return StepAwaitNvSize();
        case State::Initializing: return StepInitialize();
        case State::Defining: return StepDefine();
        case State::Erasing: return StepErase();
        case State::SendingImage: return StepSendImage();
        case State::SendingChunks: return StepSendChunk();
        case State::BetweenImages: return StepBetweenImages();
        case State::EndCheck: return StepEndCheck();
        case State::Saving: return StepSave();
        case State::Reporting: return StepReport();
        case State::CancelWait:
            return CountDown(State::Completing);
        case State::Completing: return StepCompleting();
        case State::CompletionWait:
            return CountDown(State::Done);
        case State::Done: return base::kStepDone;
    }
    return base::kStepDone;
}

int NvUpload::StepConfirm() {
    const bool erase = m_Entries.empty();
    const MsgAnswer answer =
        erase ? base::ShowMessage(base::Message(base::kMsgConfirmDeleteAll), MsgStyle::YesNo)
              : base::ShowMessage(std::string(base::Message(base::kMsgConfirmNvWrite)) + m_Settings.confirmationNote,
                                  MsgStyle::YesNoQuestion);
    if (answer != MsgAnswer::Yes) return Finish(Outcome::Declined);
    m_State = erase ? State::Connecting : State::Converting;
    return 0;
}

// Every file is loaded and converted before the first byte goes out, so a file
// that went missing since it was listed never leaves a half-written definition.
int NvUpload::StepConvert() {
    const size_t index = m_Rasters.size();
    const UploadEntry& entry = m_Entries[index];
    LogoRaster raster;
    const bool converted = m_Converter && m_Converter(entry, static_cast<int>(index) + 1, raster);
    if (converted && raster.paddedWidth > 0 && raster.paddedHeight > 0 &&
        !HeaderCanCarry(raster.paddedWidth, raster.paddedHeight, m_Settings.grayPrinting)) {
        m_Log.Log("CProgress image too large for its header: %s (%d x %d)", entry.path.c_str(),
                  raster.paddedWidth, raster.paddedHeight);
        base::ShowMessage(
            "The image is too large for an NV bit image: " + std::to_string(raster.paddedWidth) +
                " x " + std::to_string(raster.paddedHeight) + " dots" +
                (m_Settings.grayPrinting ? " (gray print: at most 65528 dots wide)" : "") +
                ".\r\n(" + entry.path + ")",
            MsgStyle::OkExclamation);
        return Finish(Outcome::ImageTooLarge);
    }
    if (!converted || !headerMatchesData(raster, m_Settings.grayPrinting)) {
        m_UnreadableFile = entry.path;
        m_Log.Log("CProgress LoadFile failed: %s", entry.path.c_str());
        base::ShowMessage(std::string(base::Message(base::kMsgFileOpenError)) + "\r\n(" + entry.path +
                             ")",
                         MsgStyle::OkExclamation);
        return Finish(Outcome::FileUnreadable);
    }
    m_Rasters.push_back(std::move(raster));
    if (m_Rasters.size() < m_Entries.size()) return 0;

    // Centring widens rasters, so the real total is known only now.
    m_Progress.totalBytes = 0;
    for (const LogoRaster& r : m_Rasters) m_Progress.totalBytes += static_cast<long>(r.data.size());
    m_Progress.range = static_cast<int>(m_Progress.totalBytes / 100);
    if (m_Progress.totalBytes > m_Settings.nvCapacityBytes)
        return RefuseTooLarge(m_Settings.nvCapacityBytes, false);
    m_State = State::Connecting;
    return 0;
}

// Sent anyway, the printer would keep the images that fit and drop the rest.
int NvUpload::RefuseTooLarge(long capacityBytes, bool printersOwn) {
    m_Log.Log("CProgress %ld bytes to send, NV area %ld bytes", m_Progress.totalBytes,
              capacityBytes);
    char sizes[160];
    std::snprintf(sizes, sizeof sizes, "\r\n(The logos need %ld bytes; %s %ld KByte.)",
                  m_Progress.totalBytes,
                  printersOwn ? "the printer's NV graphics memory holds" : "at most",
                  capacityBytes / 1024);
    base::ShowMessage(std::string(base::Message(base::kMsgNvAreaTooSmall)) + sizes,
                      MsgStyle::OkExclamation);
    return Finish(Outcome::NvAreaTooSmall);
}

int NvUpload::StepConnect() {
    const PortKind kind = m_Stream.Kind();
    const bool erase = m_Entries.empty();
    m_Stream.Close();
    // An erase gives an Ethernet printer a single probe, not ten.
    const bool opened = erase ? m_Stream.OpenSingleAttempt() : m_Stream.Open();
    if (!opened) {
        const int code = m_Stream.LastError();
        // The port says why (group, another program, unplugged) on a line of its own.
        const std::string openFailed =
            port::WithFailureDetail(format(base::Message(base::kMsgOpenPortOrFile), code), m_Stream);
        const std::string portOpen = port::WithFailureDetail(base::Message(base::kMsgPortOpen), m_Stream);
        if (kind == PortKind::Parallel) {
            base::ShowMessage(portOpen, MsgStyle::OkExclamation);
        } else if (kind == PortKind::Ethernet) {
            base::ShowMessage(erase ? openFailed : portOpen, MsgStyle::Ok);
        } else {
            base::ShowMessage(erase ? portOpen : openFailed, MsgStyle::OkExclamation);
        }
        return Finish(Outcome::PortOpenFailed);
    }
    m_Opened = true;
    // No printer to ask behind a file; the Ethernet printer is known alive from
    // its probe, and answers over the link: it is asked for its NV size.
    m_AfterNvSize = State::Defining;
    m_State = isFileOutput(kind)            ? State::Defining
              : kind == PortKind::Ethernet ? (erase ? State::Defining : State::AskingNvSize)
                                           : State::CheckingPrinter;
    return 0;
}

int NvUpload::StepCheckPrinter() {
    const auto ticket = m_Stream.Dialogue().AskModelId();
    if (!ticket) {
        base::ShowMessage(port::WithFailureDetail(base::Message(base::kMsgWriteToPort), m_Stream),
                          MsgStyle::OkExclamation);
        return Finish(Outcome::WriteFailed);
    }
    m_ReplyTicket = *ticket;
    m_ReplyDeadline = m_Clock.NowMs() + m_Settings.replyWaitMs;
    m_State = State::AwaitingReply;
    return 0;
}

// The answer only shows the printer is there, and printing goes on without
// it. An answer that comes later is still taken as this request's, so it
// never passes for the end check's.
int NvUpload::StepAwaitReply() {
    port::PrinterDialogue& dialogue = m_Stream.Dialogue();
    const bool readable = dialogue.Pump(1, m_Clock);
    const bool answered = dialogue.Answered(m_ReplyTicket);
    const int64_t left = m_ReplyDeadline - m_Clock.NowMs();
    if (!answered && readable && left > 0)
        return static_cast<int>(std::min<int64_t>(kReplyPollMs, left));
    m_PrinterAnswered = answered;
    const PortKind kind = m_Stream.Kind();
    m_State = (kind == PortKind::Serial || kind == PortKind::Usb) ? State::Initializing
                                                                   : State::Defining;
    // A printer that answered can say how much NV graphics memory it has.
    if (answered && !m_Entries.empty()) {
        m_AfterNvSize = m_State;
        m_State = State::AskingNvSize;
    }
    return 0;
}

int NvUpload::StepAskNvSize() {
    const auto ticket = m_Stream.Dialogue().Ask(NvSizeRequest(), "NV graphics size", NvSizeAnswerRule());
    if (!ticket) {
        base::ShowMessage(port::WithFailureDetail(base::Message(base::kMsgWriteToPort), m_Stream),
                          MsgStyle::OkExclamation);
        return Finish(Outcome::WriteFailed);
    }
    m_NvSizeTicket = *ticket;
    m_ReplyDeadline = m_Clock.NowMs() + kNvSizeWaitMs;
    m_State = State::AwaitingNvSize;
    return 0;
}

// Without an answer (a printer without the setting) the largest size stands,
// as for a printer that cannot answer at all.
int NvUpload::StepAwaitNvSize() {
    port::PrinterDialogue& dialogue = m_Stream.Dialogue();
    const bool readable = dialogue.Pump(1, m_Clock);
    const auto reply = dialogue.AnswerTo(m_NvSizeTicket);
    const NvSizeAnswer answer = reply ? FindNvSizeAnswer(*reply) : NvSizeAnswer{};
    const int64_t left = m_ReplyDeadline - m_Clock.NowMs();
    if (!answer.answered && readable && left > 0)
        return static_cast<int>(std::min<int64_t>(kReplyPollMs, left));
    if (answer.answered) m_PrinterAnswered = true;  // silence at the end is then a failure
    if (!answer.answered)
        m_Log.Log("CProgress no NV graphics size from the printer; %ld KByte assumed",
                  m_Settings.nvCapacityBytes / 1024);
    else if (!answer.bytes)
        m_Log.Log("CProgress the printer's NV graphics size is no size; %ld KByte assumed",
                  m_Settings.nvCapacityBytes / 1024);
    if (answer.bytes && m_Progress.totalBytes > *answer.bytes) return RefuseTooLarge(*answer.bytes, true);
    m_State = m_AfterNvSize;
    return 0;
}

int NvUpload::StepInitialize() {
    if (!WriteAll(EncodeInitialize())) {
        base::ShowMessage(base::Message(base::kMsgPrinterCheck), MsgStyle::OkExclamation);
        return Finish(Outcome::PrinterCheckFailed);
    }
    m_State = State::Defining;
    return 0;
}

int NvUpload::StepDefine() {
    if (m_Entries.empty()) {
        if (!WriteAll(EncodeNvEraseAll())) {
            base::ShowMessage(port::WithFailureDetail(base::Message(base::kMsgWriteToPort), m_Stream),
                              MsgStyle::OkExclamation);
            m_Reason = m_Stream.LinkFault() != base::Reason::None ? m_Stream.LinkFault()
                                                                   : base::Reason::Failed;
            return Finish(Outcome::WriteFailed);
        }
        BeginEndCheck();
        return 0;
    }
    m_Progress.transferring = true;
    m_Progress.status = "Erasing...";
    const auto define =
        EncodeNvDefineCommand(static_cast<int>(m_Entries.size()), m_Settings.starEmulation);
    if (!WriteAll(define)) {
        const int code = m_Stream.LastError();
        base::ShowMessage(port::WithFailureDetail(base::Message(base::kMsgCommunicationError), m_Stream),
                          MsgStyle::OkExclamation);
        m_Log.Log("CProgress OnInitDialog[%d]", code);
        return Finish(Outcome::CommunicationError);
    }
    m_Defined = true;
    m_State = State::Erasing;
    return m_Stream.Kind() == PortKind::Ethernet ? kEraseWaitEthernetMs : kEraseWaitMs;
}

int NvUpload::StepErase() {
    m_State = State::SendingImage;  // first image on the next timer tick
    return kImageGapMs;
}

int NvUpload::StepSendImage() {
    if (m_Cancelled) return CancelBetweenImages();
    const LogoRaster& raster = m_Rasters[m_Image];
    m_Progress.imagesBegun = static_cast<int>(m_Image) + 1;
    SetUpdatingStatus();
    const auto header =
        EncodeNvImageHeader(raster.paddedWidth, raster.paddedHeight, m_Settings.grayPrinting);
    if (!WriteAll(header)) {
        base::ShowMessage(port::WithFailureDetail(base::Message(base::kMsgCommunicationError), m_Stream),
                          MsgStyle::OkExclamation);
        m_Log.Log("CPrograss writeInstruction[%d]", 0);
        m_Log.Log("CPrograss WriteInstruction [%02X-%02X-%02X-%02X]\n", header[0], header[1],
                  header[2], header[3]);
        return Finish(Outcome::CommunicationError);
    }
    m_Offset = 0;
    m_Chunks = NvChunkSizes(m_Rasters[m_Image].data.size());
    m_ChunkIndex = 0;
    m_State = State::SendingChunks;
    return StepSendChunk();  // the first chunk follows the header at once
}

// Whole 512-byte chunks, then the remainder (a write of 0 bytes when nothing
// remains), each followed by a 10 ms pause.
int NvUpload::StepSendChunk() {
    if (m_Cancelled && m_Offset < m_Rasters[m_Image].data.size()) m_TookDataAfterCancel = true;
    const std::vector<uint8_t>& data = m_Rasters[m_Image].data;
    const size_t size = m_Chunks[m_ChunkIndex++];
    const std::span<const uint8_t> chunk(data.data() + m_Offset, size);
    const size_t written = m_Stream.Write(chunk);
    if (size > 0 && written != size) {
        // A lost chunk would leave a garbled image while the run reports success.
        const int code = m_Stream.LastError();
        if (code == ECANCELED) {
            // Cancelled while the printer took nothing: the image stays cut short.
            m_CutShortText = MayHoldText();
            base::ShowMessage("Cancelled while the printer was not taking data: " + m_CutShortText + ".\r\n" +
                                  SentText(TakenOf(m_Handed + static_cast<long>(written))) +
                                  " Switch the printer off and on, then upload again.",
                              MsgStyle::OkExclamation);
            return Finish(Outcome::Cancelled);
        }
        base::ShowMessage(port::WithFailureDetail(base::Message(base::kMsgCommunicationError), m_Stream) +
                              "\r\nAfter " + std::to_string(TakenOf(m_Handed + static_cast<long>(written))) +
                              " of " + std::to_string(m_Progress.totalBytes) + " bytes, " +
                              MayHoldText() + ".",
                          MsgStyle::OkExclamation);
        m_Log.Log("CProgress WriteData[%d] %zu of %zu bytes", code, written, size);
        return Finish(Outcome::CommunicationError);
    }
    m_Offset += size;
    m_Handed += static_cast<long>(size);
    m_Progress.bytesSent = TakenOf(m_Handed);
    if (m_Cancelled && size > 0) m_TookDataAfterCancel = true;
    m_Progress.position = static_cast<int>(m_Progress.bytesSent / 100);
    SetUpdatingStatus();
    m_State = m_ChunkIndex < m_Chunks.size() ? State::SendingChunks : State::BetweenImages;
    return kChunkPauseMs;
}

int NvUpload::StepBetweenImages() {
    ++m_Image;
    if (m_Image < m_Entries.size()) {
        m_State = State::SendingImage;
        return kImageGapMs;
    }
    BeginEndCheck();
    return kImageGapMs;
}

void NvUpload::BeginEndCheck() {
    m_State = State::EndCheck;
    const int64_t storeMs = m_Entries.empty()
                                ? (m_Stream.Kind() == PortKind::Ethernet ? kEraseWaitEthernetMs
                                                                         : kEraseWaitMs)
                                : std::min(m_Progress.totalBytes / kStoreBytesPerMs, kStoreWaitCapMs);
    m_Receipt.Begin(m_PrinterAnswered, storeMs);
    m_Progress.bytesSent = TakenOf(m_Handed);
    if (m_Receipt.Result() == port::Receipt::Pending)
        m_Progress.status = "Waiting for the printer to confirm...";
}

// Not cancellable: every byte is out, only the printer's word is missing.
int NvUpload::StepEndCheck() {
    const int wait = m_Receipt.Poll();
    if (wait != base::kStepDone) return wait;
    if (m_Receipt.Result() == port::Receipt::Failed) return FailAtEnd(m_Receipt.Reason());
    m_Reason = m_Receipt.Reason();
    // An erase shows no message of its own; the front end reads Confirmed().
    if (m_Entries.empty()) return Finish(Outcome::Erased);
    m_State = State::Saving;
    return 0;
}

int NvUpload::FailAtEnd(base::Reason reason) {
    m_Reason = reason;
    std::string text = base::Message(base::kMsgCommunicationError);
    const std::string line = m_Receipt.Line();
    text += "\r\n" + (line.empty() ? m_Stream.FailureDetail() : line);
    text += m_Entries.empty()
                ? std::string("\r\nThe erase was sent; the printer may or may not have erased its logos.")
                : m_Progress.bytesSent < m_Progress.totalBytes
                      ? "\r\nAfter " + std::to_string(m_Progress.bytesSent) + " of " +
                            std::to_string(m_Progress.totalBytes) + " bytes, " + MayHoldText() + "."
                      : "\r\nAll " + std::to_string(m_Progress.bytesSent) + " bytes were sent; " +
                            MayHoldText() + ".";
    base::ShowMessage(text, MsgStyle::OkExclamation);
    m_Log.Log("CProgress end check failed: %s", std::string(base::ReasonName(reason)).c_str());
    return Finish(Outcome::CommunicationError);
}

int NvUpload::StepSave() {
    m_Progress.transferring = false;
    if (m_Settings.profile != nullptr) {
        if (!SaveUploadedList(*m_Settings.profile, m_Entries, m_Settings.savedKeyCount))
            m_Log.Log("Logo list could not be saved to the profile.");
        m_Settings.savedKeyCount = static_cast<int>(m_Entries.size());
    }
    // The progress window closes after this step; the message comes after it.
    m_State = State::Reporting;
    return 0;
}

int NvUpload::StepReport() {
    std::string text = base::Message(base::kMsgNvDefinitionComplete);
    const std::string line = m_Receipt.Line();
    if (!line.empty()) text += "\r\n" + line;
    base::ShowMessage(text, MsgStyle::OkExclamation);
    return Finish(Outcome::Completed);
}

// The progress window stays up through the waits that follow, counting down.
int NvUpload::CancelBetweenImages() {
    m_LastImageSize = m_Image > 0 ? m_Entries[m_Image - 1].size : 0;
    m_State = State::CancelWait;
    m_WaitUntil = m_Clock.NowMs() + m_LastImageSize * kCancelMsPerByte;
    return CountDown(State::Completing);
}

int NvUpload::CountDown(State next) {
    const int64_t left = m_WaitUntil - m_Clock.NowMs();
    if (left <= 0) {
        if (next == State::Done) {
            ShowCancelled();
            return Finish(Outcome::Cancelled);
        }
        m_State = next;
        return 0;
    }
    // Shown as one countdown through both waits.
    const int64_t still =
        left + (next == State::Completing ? m_LastImageSize * kCompletionMsPerByte : 0);
    m_Progress.status = "Cancelled: " + HeldText() + ". Waiting for the printer... " +
                        std::to_string((still + 999) / 1000) + " s";
    return static_cast<int>(std::min<int64_t>(left, kCountdownTickMs));
}

long NvUpload::TakenOf(long handed) const {
    return handed - std::min<long>(handed, static_cast<long>(m_Stream.PendingBytes()));
}

std::string NvUpload::SentText(long bytes) const {
    return "After " + std::to_string(bytes) + " of " + std::to_string(m_Progress.totalBytes) + " bytes.";
}

// The definition is closed and no image is cut short.
void NvUpload::ShowCancelled() {
    // Every image byte written went through: a printer that stopped taking
    // data cuts the run short in stepSendChunk instead.
    const std::string head = m_Progress.bytesSent > 0 ? "Cancelled while the printer was taking data: "
                                                      : "Cancelled: ";
    const bool emptiesSent = m_Progress.imagesBegun < m_Progress.imagesToSend;
    std::string text = head + HeldText() + ".\r\n" + SentText(m_Progress.bytesSent);
    if (m_TookDataAfterCancel) text += " The logo under way was finished first.";
    if (emptiesSent) text += " The logos not begun were sent empty; upload again to store them all.";
    base::ShowMessage(text, MsgStyle::OkExclamation);
}

// The printer still expects the announced number of images: close the
// definition with empty headers for those not begun.
int NvUpload::StepCompleting() {
    const int missing = m_Progress.imagesToSend - m_Progress.imagesBegun;
    for (int i = 0; i < missing; ++i) {
        if (!WriteAll(EncodeEmptyImageHeader())) {
            base::ShowMessage(port::WithFailureDetail(base::Message(base::kMsgWriteToPort), m_Stream),
                              MsgStyle::OkExclamation);
            return Finish(Outcome::WriteFailed);
        }
    }
    m_State = State::CompletionWait;
    m_WaitUntil = m_Clock.NowMs() + m_LastImageSize * kCompletionMsPerByte;
    return CountDown(State::Done);
}

int NvUpload::Finish(Outcome outcome) {
    if (m_Reason == base::Reason::None) {
        switch (outcome) {
            case Outcome::None:
            case Outcome::Completed:
            case Outcome::Erased: break;
            case Outcome::Cancelled:
            case Outcome::Declined: m_Reason = base::Reason::Cancelled; break;
            case Outcome::FileUnreadable: m_Reason = base::Reason::BadInput; break;
            case Outcome::ImageTooLarge:
            case Outcome::NvAreaTooSmall: m_Reason = base::Reason::TooLarge; break;
            case Outcome::PortOpenFailed:
                m_Reason = port::OpenFailureReason(m_Stream.LastError());
                break;
            case Outcome::WriteFailed:
            case Outcome::PrinterCheckFailed:
            case Outcome::CommunicationError: {
                const base::Reason fault = m_Stream.LinkFault();
                m_Reason = fault != base::Reason::None ? fault : base::Reason::Failed;
                break;
            }
        }
    }
    if (m_Opened) m_Stream.Close();
    m_Opened = false;
    m_Progress.transferring = false;
    m_Outcome = outcome;
    m_State = State::Done;
    return base::kStepDone;
}

bool NvUpload::WriteAll(std::span<const uint8_t> bytes) {
    return m_Stream.Write(bytes) == bytes.size();
}

void NvUpload::SetUpdatingStatus() {
    char text[512];
    std::snprintf(text, sizeof text, "Updating(%ld/%ld)...%s", m_Progress.bytesSent,
                  m_Progress.totalBytes, m_Entries[m_Image].name.c_str());
    m_Progress.status = text;
}

bool SaveUploadedList(base::Profile& profile, const std::vector<UploadEntry>& inUploadOrder,
                      int previousKeyCount) {
    bool ok = true;
    const int count = static_cast<int>(inUploadOrder.size());
    for (int j = 0; j < count; ++j) {
        ok = profile.WriteString("LOGO", "Logofile" + std::to_string(j + 1),
                                 inUploadOrder[j].path) && ok;
    }
    for (int k = count + 1; k <= previousKeyCount; ++k)
        ok = profile.DeleteKey("LOGO", "Logofile" + std::to_string(k)) && ok;
    return ok;
}

}  // namespace korva::logo
