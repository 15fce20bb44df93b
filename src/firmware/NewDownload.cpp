#include "firmware/NewDownload.h"

#include <algorithm>
#include <cstdio>

#include "base/MessageBox.h"
#include "base/Messages.h"
#include "base/StepEngine.h"
#include "firmware/FirmwareTexts.h"
#include "firmware/ImageFile.h"
#include "firmware/RefusalText.h"
#include "port/PortFailures.h"

namespace korva::firmware {

using base::MsgAnswer;
using base::MsgStyle;
using port::PortKind;

namespace {

// A block goes to a local port in pieces, so no single write holds the window
// for long on a slow line; the printer sees one unbroken stream either way.
constexpr uint32_t kLocalPiece = 512;
constexpr int kSettleStepSpan = 80;        // bar units per settling step
constexpr int kEthernetSettleExtra = 4096; // the link's bar runs one block ahead
constexpr int kSettleDivisor = 10240;      // settling step = packet length / 10240 ms
constexpr int kRestartPollMs = 50;
constexpr int kRestartWaitMs = 10'000;      // the stall limit: a printer may pause, then read on

int confirmationOf(NewArea area) {
    switch (area) {
        case NewArea::Boot: return base::kMsgConfirmBoot;
        case NewArea::Downloader: return base::kMsgConfirmDownloader;
        case NewArea::ExtFont: return base::kMsgConfirmExtFont;
        case NewArea::Program: break;
    }
    return -1;
}

std::string hexText(unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, "%X", value);
    return text;
}

}  // namespace

NewFirmwareDownload::NewFirmwareDownload(port::ByteStream& stream, base::CErrorLog& log,
                                         NewDownloadSettings settings)
    : m_Stream(stream), m_Log(log), m_Settings(std::move(settings)) {}

bool NewFirmwareDownload::IsLocal() const { return m_Stream.Kind() != PortKind::Ethernet; }

int NewFirmwareDownload::Step() {
    switch (m_State) {
        case State::Idle:
            m_State = State::Confirming;
            return 0;
        case State::Confirming: return StepConfirm();
        case State::Reopening: return StepReopen();
        case State::Loading: return StepLoad();
        case State::Connecting: return StepConnect();
        case State::Sending: return StepSend();
        case State::Settling: return StepSettle();
        case State::Done: return base::kStepDone;
    }
    return base::kStepDone;
}

int NewFirmwareDownload::StepConfirm() {
    const int question = confirmationOf(m_Settings.area);
    if (question >= 0 && m_Settings.askConfirmation &&
        base::ShowMessage(base::Message(question), MsgStyle::YesNo) != MsgAnswer::Yes) {
        m_Outcome = Outcome::Declined;
        m_State = State::Done;
        return base::kStepDone;
    }
    m_State = IsLocal() ? State::Reopening : State::Loading;
    return 0;
}

int NewFirmwareDownload::StepReopen() {
    m_Stream.Close();
    if (!m_Stream.Open()) {
        base::ShowMessage(port::WithFailureDetail(base::Message(base::kMsgInitFail), m_Stream));
        m_Outcome = Outcome::PortOpenFailed;
        m_State = State::Done;
        return base::kStepDone;
    }
    m_State = State::Loading;
    return 0;
}

// Every check runs before the first byte is sent: a refused image never
// reaches the printer.
int NewFirmwareDownload::StepLoad() {
    // Remembered before the file is opened, so a path that fails is kept too.
    if (m_Settings.profile != nullptr) {
        m_Settings.profile->WriteString(kSectionNewSeries, kKeyFolder, m_Settings.path);
        m_Settings.profile->WriteString(kSectionNewSeries, kKeyFile, m_Settings.fileName);
    }
    uint64_t size = 0;
    if (!ImageFileSize(m_Settings.path, size)) return Refuse(Outcome::FileOpenFailed, kTextFileOpen);
    if (!IsNewImageSize(size)) {
        std::string text = kTextFileSizeNotCorrect;
        text.append("\r\n").append(m_Settings.fileName).append(": ").append(NewImageSizeMismatch(size)).append(".");
        return Refuse(Outcome::SizeWrong, text);
    }
    const ImageFile file = ReadImageFile(m_Settings.path, kNewImageSize2M, true);
    switch (file.status) {
        case ImageFile::Status::Ok: break;
        case ImageFile::Status::OpenFailed: return Refuse(Outcome::FileOpenFailed, kTextFileOpen);
        case ImageFile::Status::OutOfMemory: return Refuse(Outcome::OutOfMemory, kTextMemoryAllocation);
        case ImageFile::Status::TooLarge:  // the file grew since its size was taken
        case ImageFile::Status::ShortRead: return Refuse(Outcome::FileReadFailed, kTextFileSizeError);
    }
    if (!IsNewImageSize(file.bytes.size())) return Refuse(Outcome::FileReadFailed, kTextFileSizeError);

    NewPacketResult built = BuildNewDownloadPacket(file.bytes, m_Settings.deviceType, m_Settings.area);
    switch (built.error) {
        case NewImageError::None: break;
        case NewImageError::SizeWrong:
            return Refuse(Outcome::FileReadFailed, kTextFileSizeError);
        case NewImageError::NotFirmware: {
            std::string text = base::Message(base::kMsgNotFirmwareFile);
            text.append("\r\n").append(m_Settings.fileName).append(" ");
            text.append(NewImageMismatch(file.bytes, m_Settings.deviceType)).append("; nothing was sent.");
            text.append("\r\nOpen an image made for ").append(NewSeriesName(m_Settings.deviceType)).append(" printers.");
            return Refuse(Outcome::NotFirmware, text);
        }
        case NewImageError::NoExtFont:
            m_Settings.area = NewArea::Program;
            return Refuse(Outcome::NoExtFont, base::Message(base::kMsgNoExtFontInFile));
    }
    m_Packet = std::move(built.packet.bytes);
    m_Progress.packetLength = static_cast<uint32_t>(m_Packet.size());
    m_Progress.checksumText = hexText(built.packet.checksum);
    m_Progress.range = static_cast<int>(m_Packet.size()) + kSettleRange;
    m_Progress.bytesSent = 0;
    m_Progress.transferring = true;
    SetPosition(0);
    m_State = IsLocal() ? State::Sending : State::Connecting;
    return 0;
}

int NewFirmwareDownload::StepConnect() {
    if (!m_Stream.Open()) {
        // The link stays as the probes left it; only EXIT is left to the user.
        base::ShowMessage(base::Message(base::kMsgPrinterCheck));
        return Finish(Outcome::PrinterCheckFailed);
    }
    m_State = State::Sending;
    return 0;
}

int NewFirmwareDownload::StepSend() {
    const uint32_t length = m_Progress.packetLength;
    uint32_t& sent = m_Progress.bytesSent;
    if (sent >= m_BlockEnd) {
        const uint32_t block = IsLocal() ? kLocalBlock : kEthernetBlock;
        m_BlockEnd = std::min(length, sent + block);
    }
    const uint32_t piece = IsLocal() ? std::min(kLocalPiece, m_BlockEnd - sent) : m_BlockEnd - sent;
    const size_t written = m_Stream.Write(std::span(m_Packet).subspan(sent, piece));
    if (written != piece) {
        const int code = m_Stream.LastError();
        m_Log.Log("Firmware download: write of %u bytes at %u failed [%d]", piece, sent, code);
        const PortKind kind = m_Stream.Kind();
        const std::string howFar = HowFarText(sent + static_cast<uint32_t>(written));
        if (kind == PortKind::Serial) {
            base::ShowMessage(port::WithFailureDetail(base::Message(base::kMsgPrinterNotReady), m_Stream) + howFar);
            m_Stream.Close();
            return Finish(Outcome::PrinterNotReady);
        }
        if (kind == PortKind::Ethernet) {
            // Whatever part of the block was queued may have gone out: sending it
            // again would corrupt the packet, so the download stops here.
            base::ShowMessage(port::WithFailureDetail(base::Message(base::kMsgWriteToPort), m_Stream) + howFar);
            m_Stream.Close();
            return Finish(Outcome::WriteFailed);
        }
        char text[64];
        std::snprintf(text, sizeof text, base::Message(base::kMsgLptWriteError), code);
        base::ShowMessage(port::WithFailureDetail(text, m_Stream) + howFar);
        m_Stream.Close();
        return Finish(Outcome::WriteFailed);
    }
    sent += piece;
    if (sent == m_BlockEnd) SetPosition(static_cast<int>(sent));
    if (sent < length) return 0;

    m_Progress.sentText = std::to_string(length);
    // An Ethernet printer acknowledges the packet's last bytes after the
    // last write has returned.
    if (!m_Stream.AwaitDelivery()) {
        const base::Reason reason = m_Stream.FailureReason();
        return FailLink(reason != base::Reason::None ? reason : base::Reason::Failed);
    }
    // An Ethernet printer that read it all may close at once to restart; a
    // reset means it had not.
    if (const base::Reason fault = m_Stream.LinkFault();
        fault != base::Reason::None && !(fault == base::Reason::HangUp && !IsLocal()))
        return FailLink(fault);
    // A USB printer may leave the bus as it restarts: its port is done with
    // now. Closed without purging: a purge of the transmit side could drop
    // the packet's tail still buffered on the way, and nothing is read back
    // that would need clearing.
    if (m_Stream.Kind() != PortKind::Serial && IsLocal()) m_Stream.Close();
    m_SettleStep = 0;
    m_RestartPolls = 0;
    m_State = State::Settling;
    return 0;
}

// The printer writes its flash meanwhile; the bar runs into the room reserved
// past the packet.
int NewFirmwareDownload::StepSettle() {
    if (m_SettleStep < kSettleSteps) {
        const int extra = IsLocal() ? 0 : kEthernetSettleExtra;
        SetPosition(static_cast<int>(m_Progress.bytesSent) + 1 + kSettleStepSpan * m_SettleStep + extra);
        ++m_SettleStep;
        return static_cast<int>(m_Progress.packetLength / kSettleDivisor);
    }
    if (m_SettleStep > kSettleSteps) {
        base::ShowMessage(base::Message(base::kMsgUpdateComplete));
        SetPosition(0);
        if (m_Stream.IsOpen()) m_Stream.Close();
        return Finish(Outcome::Completed);
    }
    // A serial line that hung up, or a link reset, while the printer had not
    // yet taken everything: the image is incomplete. A printer that closed
    // its connection in order to restart took every byte first.
    if (m_Stream.IsOpen()) {
        const base::Reason fault = m_Stream.LinkFault();
        if (fault != base::Reason::None && !(fault == base::Reason::HangUp && !IsLocal()))
            return FailLink(fault);
        // An Ethernet printer's stack acknowledges what its reader may not
        // have taken yet: only the close it makes to restart shows that it
        // read the whole packet. It may pause first, up to the stall limit.
        if (!IsLocal() && fault == base::Reason::None) {
            if (++m_RestartPolls * kRestartPollMs < kRestartWaitMs) return kRestartPollMs;
            return FailNoRestart();
        }
    } else if (!IsLocal() && m_Stream.LinkFault() == base::Reason::Reset) {
        return FailLink(base::Reason::Reset);
    }
    // A step of its own, so the bar and the caption show the end before the box does.
    SetPosition(m_Progress.range);
    ++m_SettleStep;
    return 0;
}

int NewFirmwareDownload::FailLink(base::Reason fault) {
    m_Reason = fault;
    m_Log.Log("Firmware download: link fault after %u of %u bytes", m_Progress.bytesSent,
              m_Progress.packetLength);
    base::ShowMessage(port::WithFailureDetail(base::Message(base::kMsgWriteToPort), m_Stream) +
                      "\r\nAll " + std::to_string(m_Progress.packetLength) +
                      " bytes were sent, but the printer may not have taken the last of them: "
                      "its image is incomplete; download it again.");
    if (m_Stream.IsOpen()) m_Stream.Close();
    return Finish(Outcome::WriteFailed);
}

int NewFirmwareDownload::FailNoRestart() {
    m_Reason = base::Reason::NoAnswer;
    m_Log.Log("Firmware download: no restart within %d ms of the last byte", kRestartWaitMs);
    base::ShowMessage(std::string(base::Message(base::kMsgWriteToPort)) +
                      "\r\nAll " + std::to_string(m_Progress.packetLength) +
                      " bytes were acknowledged, but the printer did not restart: it may not have "
                      "read the last of them. Switch it off and on; if it does not start, download "
                      "the firmware again.");
    m_Stream.Close();
    return Finish(Outcome::WriteFailed);
}

std::string NewFirmwareDownload::HowFarText(uint32_t taken) const {
    const std::string count = std::to_string(taken) + " of " + std::to_string(m_Progress.packetLength);
    std::string what = count + " bytes of the packet left the port";
    if (m_Stream.Kind() == PortKind::Ethernet) {
        what = "The printer acknowledged " + count + " bytes of the packet";
    } else if (m_Stream.Counts() != port::CountSide::Printer) {
        what = count + " bytes of the packet were" +
               (m_Stream.Counts() == port::CountSide::Driver ? " handed to the driver" : " handed to the port");
    }
    return "\r\n" + what + ": its image is incomplete; download it again.";
}

int NewFirmwareDownload::Refuse(Outcome outcome, const std::string& text) {
    base::ShowMessage(text);
    if (IsLocal()) m_Stream.Close();
    return Finish(outcome);
}

int NewFirmwareDownload::Finish(Outcome outcome) {
    if (m_Reason == base::Reason::None && outcome != Outcome::Completed) {
        const base::Reason fault = m_Stream.LinkFault();
        switch (outcome) {
            case Outcome::Declined: m_Reason = base::Reason::Cancelled; break;
            case Outcome::PortOpenFailed:
            case Outcome::PrinterCheckFailed:
                m_Reason = port::OpenFailureReason(m_Stream.LastError());
                break;
            case Outcome::FileOpenFailed:
            case Outcome::FileReadFailed:
            case Outcome::OutOfMemory: m_Reason = base::Reason::FileIo; break;
            case Outcome::SizeWrong:
            case Outcome::NotFirmware:
            case Outcome::NoExtFont: m_Reason = base::Reason::BadInput; break;
            default: {
                const base::Reason own = m_Stream.FailureReason();
                m_Reason = fault != base::Reason::None ? fault
                           : own != base::Reason::None ? own
                                                       : base::Reason::Failed;
                break;
            }
        }
    }
    m_Packet.clear();
    m_Packet.shrink_to_fit();
    m_Progress.transferring = false;
    m_Outcome = outcome;
    m_State = State::Done;
    return base::kStepDone;
}

// The link's bar would run past its end by the extra block: held at the end.
void NewFirmwareDownload::SetPosition(int position) {
    if (m_Progress.range > 0) position = std::min(position, m_Progress.range);
    m_Progress.position = position;
    m_Progress.percent = m_Progress.range > 0
                             ? static_cast<int>(int64_t{position} * 100 / m_Progress.range)
                             : 0;
}

}  // namespace korva::firmware
