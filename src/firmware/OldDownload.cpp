#include "firmware/OldDownload.h"

#include <cerrno>
#include <cstdio>

#include "base/MessageBox.h"
#include "base/Messages.h"
#include "base/StepEngine.h"
#include "firmware/FirmwareTexts.h"
#include "firmware/ImageFile.h"
#include "port/PortFailures.h"
#include "port/PortTraits.h"
#include "port/ReceiptCheck.h"

namespace korva::firmware {

using port::PortKind;

namespace {

std::string writingCaption(uint32_t position) {
    char text[40];
    std::snprintf(text, sizeof text, "Writing...(%lX)", static_cast<unsigned long>(position));
    return text;
}

}  // namespace

OldFirmwareDownload::OldFirmwareDownload(port::ByteStream& stream, base::Clock& clock,
                                         base::CErrorLog& log, OldDownloadSettings settings)
    : m_Stream(stream), m_Clock(clock), m_Log(log), m_Settings(std::move(settings)) {
    const OldAreaInfo& area = OldAreaOf(m_Settings.area);
    m_Progress.start = area.start;
    m_Progress.end = area.end;
    m_Progress.position = area.start;
}

// Parallel ports and file outputs cannot be read: their blocks go out blind.
bool OldFirmwareDownload::Answers() const {
    return port::TraitsOf(m_Stream.Kind()).answers;
}

int OldFirmwareDownload::Step() {
    if (m_Cancelled && m_State != State::Done) return Finish(Outcome::Cancelled);
    switch (m_State) {
        case State::Idle:
            m_State = State::Opening;
            return 0;
        case State::Opening: return StepOpen();
        case State::Loading: return StepLoad();
        case State::Erasing: return StepErase();
        case State::AwaitingAnswer: return StepAwaitAnswer();
        case State::SendingBlind: return StepSendBlind();
        case State::Done: return base::kStepDone;
    }
    return base::kStepDone;
}

int OldFirmwareDownload::StepOpen() {
    if (!m_Stream.Open()) {
        base::ShowMessage(port::WithFailureDetail(base::Message(base::kMsgInitFail), m_Stream));
        return Finish(Outcome::PortOpenFailed);
    }
    m_Opened = true;
    // Answers left from an earlier run must not be taken for this one's.
    m_Stream.Purge();
    m_Answers.Reset();
    if (m_Settings.profile != nullptr) {
        m_Settings.profile->WriteString(kSectionOldSeries, kKeyFolder, m_Settings.path);
        m_Settings.profile->WriteString(kSectionOldSeries, kKeyFile, m_Settings.fileName);
    }
    m_State = State::Loading;
    return 0;
}

int OldFirmwareDownload::StepLoad() {
    const ImageFile file = ReadImageFile(m_Settings.path, m_Progress.end, false);
    if (file.status != ImageFile::Status::Ok && file.status != ImageFile::Status::ShortRead)
        return Fail(Outcome::FileOpenFailed, base::Message(base::kMsgFileOpenError));
    m_Image = file.bytes;
    switch (CheckOldImage(m_Image, m_Settings.area)) {
        case OldImageError::None: break;
        case OldImageError::NoExtFont:
            return Fail(Outcome::NoExtFont, base::Message(base::kMsgNoExtFontData));
        case OldImageError::TooShort: {
            // Sending would put bytes that are not in the file into the flash.
            char text[160];
            std::snprintf(text, sizeof text,
                          "The firmware file is too short for this area:\n"
                          "it ends at %lX, the area ends at %lX.",
                          static_cast<unsigned long>(m_Image.size()),
                          static_cast<unsigned long>(m_Progress.end));
            return Fail(Outcome::ImageTooShort, text);
        }
    }
    m_Progress.caption = "Erasing...";
    m_Packet = EncodeOldErasePacket(m_Settings.area);
    if (!SendPacket()) return Fail(Outcome::WriteFailed, WriteFailText());
    m_Erase = OldErase::Unconfirmed;
    m_EraseWaitsDone = 0;
    m_State = State::Erasing;
    return OldAreaOf(m_Settings.area).eraseWaitMs + AfterSend();
}

// Six waits, one more dot in the caption after each; answers arriving
// meanwhile stay in the receive queue.
int OldFirmwareDownload::StepErase() {
    ++m_EraseWaitsDone;
    m_Progress.caption = "Erasing..." + std::string(static_cast<size_t>(m_EraseWaitsDone), '.');
    if (m_EraseWaitsDone < kOldEraseWaits) return OldAreaOf(m_Settings.area).eraseWaitMs;
    if (!Answers()) {
        m_Erase = OldErase::Erased;  // nothing can answer: sent is as far as anyone can tell
        m_State = State::SendingBlind;
        return 0;
    }
    m_NaksInARow = 0;
    m_AnswerDeadline = m_Clock.NowMs() + m_Settings.answerTimeoutMs;
    m_State = State::AwaitingAnswer;
    return 0;
}

int OldFirmwareDownload::StepAwaitAnswer() {
    uint8_t received[256];
    // 1 ms, not 0: a USB port only fetches answers when asked to wait.
    const int got = m_Stream.Read(received, 1);
    // A hang-up ends the wait at once: no answer can come any more.
    if (got <= 0 && m_Stream.LinkFault() != base::Reason::None)
        return Fail(Outcome::WriteFailed, WriteFailText());
    if (got < 0) {
        m_Log.Log("Firmware download: the port can no longer be read");
        return Fail(Outcome::NoAnswer, port::WithFailureDetail(base::Message(base::kMsgReceiveData), m_Stream));
    }
    for (int i = 0; i < got; ++i) {
        const std::optional<OldAnswer> answer = m_Answers.Feed(received[i]);
        if (!answer) continue;
        m_Erase = OldErase::Erased;  // the printer answered once its erase was done
        m_AnswerDeadline = m_Clock.NowMs() + m_Settings.answerTimeoutMs;
        if (*answer == OldAnswer::Nak) {
            if (++m_NaksInARow > kMaxResends)
                return Fail(Outcome::TooManyNaks, base::Message(base::kMsgCommunicationError));
            ++m_Progress.resends;
        } else if (m_Progress.position >= m_Progress.end) {
            base::ShowMessage(base::Message(base::kMsgCompleted));
            return Finish(Outcome::Completed);
        } else {
            m_NaksInARow = 0;
            BuildNextPacket();
        }
        if (!SendPacket()) return Fail(Outcome::WriteFailed, WriteFailText());
        // The rest of what arrived answered nothing sent yet: one packet is in flight.
        return AfterSend();
    }
    if (m_Settings.answerTimeoutMs > 0 && m_Clock.NowMs() >= m_AnswerDeadline) {
        m_Log.Log("Firmware download: no answer at %lX", static_cast<unsigned long>(m_Progress.position));
        return Fail(Outcome::NoAnswer, base::Message(base::kMsgReceiveData));
    }
    return kAnswerPollMs;
}

int OldFirmwareDownload::StepSendBlind() {
    if (m_Progress.position >= m_Progress.end) {
        // Nothing answers a blind transfer: a hang-up is the only sign of trouble.
        if (m_Stream.LinkFault() != base::Reason::None)
            return Fail(Outcome::WriteFailed, WriteFailText());
        m_Reason = base::Reason::NotConfirmed;
        base::ShowMessage(std::string(base::Message(base::kMsgCompleted)) + "\r\n" +
                          port::ReceiptLine(base::Reason::NotConfirmed, m_Stream.Kind()));
        return Finish(Outcome::Completed);
    }
    BuildNextPacket();
    if (!SendPacket()) return Fail(Outcome::WriteFailed, WriteFailText());
    return AfterSend();
}

void OldFirmwareDownload::BuildNextPacket() {
    const uint32_t at = m_Progress.position;
    const OldBlock block = NextOldBlock(at, m_Progress.end);
    m_Packet = EncodeOldDataPacket(std::span(m_Image).subspan(at, block.size), at, block.last);
    m_Progress.position = at + block.size;
    m_Progress.caption = writingCaption(m_Progress.position);
}

bool OldFirmwareDownload::SendPacket() {
    const size_t written = m_Stream.Write(m_Packet);
    if (written == m_Packet.size()) return true;
    m_Log.Log("Firmware download: packet at %lX not written [%d]",
              static_cast<unsigned long>(m_Progress.position), m_Stream.LastError());
    return false;
}

std::string OldFirmwareDownload::WriteFailText() const {
    return port::WithFailureDetail(base::Message(base::kMsgWriteToPort), m_Stream);
}

int OldFirmwareDownload::AfterSend() const {
    return m_Stream.Kind() == PortKind::Serial ? 0 : kPacketGapMs;
}

int OldFirmwareDownload::Fail(Outcome outcome, const std::string& text) {
    if (m_Stream.LastError() == ECANCELED && m_Cancelled) return Finish(Outcome::Cancelled);
    base::ShowMessage(text);
    return Finish(outcome);
}

int OldFirmwareDownload::Finish(Outcome outcome) {
    if (m_Reason == base::Reason::None && outcome != Outcome::Completed) {
        const base::Reason fault = m_Stream.LinkFault();
        m_Reason = outcome == Outcome::Cancelled          ? base::Reason::Cancelled
                   : outcome == Outcome::PortOpenFailed   ? port::OpenFailureReason(m_Stream.LastError())
                   : outcome == Outcome::FileOpenFailed   ? base::Reason::FileIo
                   : outcome == Outcome::NoExtFont || outcome == Outcome::ImageTooShort
                       ? base::Reason::BadInput
                   : fault != base::Reason::None          ? fault
                   : outcome == Outcome::NoAnswer         ? base::Reason::NoAnswer
                                                          : base::Reason::Failed;
    }
    if (m_Opened) m_Stream.Close();
    m_Opened = false;
    m_Image.clear();
    m_Outcome = outcome;
    m_State = State::Done;
    return base::kStepDone;
}

}  // namespace korva::firmware
