#include "logo/LogoPrint.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

#include "base/MessageBox.h"
#include "base/Messages.h"
#include "logo/NvDefinition.h"
#include "port/PortFailures.h"
#include "port/PortTraits.h"

namespace korva::logo {

using base::MsgStyle;
using port::PortKind;

namespace {
constexpr int kReplyPollMs = 10;
constexpr long kAllLogos = 255;

void warn(int message) { base::ShowMessage(base::Message(message), MsgStyle::OkExclamation); }
}  // namespace

LogoPrint::LogoPrint(port::ByteStream& stream, base::Clock& clock, base::CErrorLog& log,
                     LogoPrintSettings settings)
    : m_Stream(stream),
      m_Clock(clock),
      m_Log(log),
      m_Settings(std::move(settings)),
      m_Receipt(stream, clock) {}

int LogoPrint::Step() {
    if (m_Cancelled && m_State != State::Done && m_State != State::Finishing &&
        m_State != State::EndCheck)
        return Finish(Outcome::Cancelled);
    switch (m_State) {
        case State::Idle:
        case State::Planning: return StepPlan();
        case State::Connecting: return StepConnect();
        case State::CheckingPrinter: return StepCheckPrinter();
        case State::AwaitingReply: return StepAwaitReply();
        case State::Initializing: return StepInitialize();
        case State::Printing: return StepPrint();
        case State::Finishing:
            m_State = State::EndCheck;
            m_Receipt.Begin(m_PrinterAnswered);
            return 0;
        case State::EndCheck: return StepEndCheck();
        case State::Done: return base::kStepDone;
    }
    return base::kStepDone;
}

// The selection is checked before the printer is touched, so a typing
// mistake sends nothing at all.
int LogoPrint::StepPlan() {
    m_State = State::Planning;
    if (m_Settings.all) {
        m_Total = kAllLogos;
    } else {
        m_Plan = ParsePrintPlan(m_Settings.selection);
        if (!m_Plan.ok()) {
            warn(base::kMsgNvImageNumberIncorrect);
            return Finish(Outcome::BadSelection);
        }
        m_Total = m_Plan.total();
    }
    m_State = State::Connecting;
    return 0;
}

int LogoPrint::StepConnect() {
    m_Stream.Close();
    if (!m_Stream.Open()) {
        base::ShowMessage(port::WithFailureDetail(base::Message(base::kMsgPortOpen), m_Stream),
                          MsgStyle::OkExclamation);
        return Finish(Outcome::PortOpenFailed);
    }
    m_Opened = true;
    const PortKind kind = m_Stream.Kind();
    // A printer on a device of this machine is asked for its ID first; on
    // Ethernet the connection's probe already showed the printer is there.
    if (!port::TraitsOf(kind).local) {
        m_State = State::Printing;
        return kTickMs;
    }
    m_State = State::CheckingPrinter;
    return 0;
}

int LogoPrint::StepCheckPrinter() {
    const auto ticket = m_Stream.Dialogue().AskModelId();
    if (!ticket) {
        warn(base::kMsgWriteToPort);
        return Finish(Outcome::WriteFailed);
    }
    m_ReplyTicket = *ticket;
    m_ReplyDeadline = m_Clock.NowMs() + m_Settings.replyWaitMs;
    m_State = State::AwaitingReply;
    return 0;
}

// Printing goes on with or without the answer; one that comes late is still
// this request's, never the end check's.
int LogoPrint::StepAwaitReply() {
    port::PrinterDialogue& dialogue = m_Stream.Dialogue();
    const bool readable = dialogue.Pump(1, m_Clock);
    const bool answered = dialogue.Answered(m_ReplyTicket);
    const int64_t left = m_ReplyDeadline - m_Clock.NowMs();
    if (!answered && readable && left > 0)
        return static_cast<int>(std::min<int64_t>(kReplyPollMs, left));
    m_PrinterAnswered = answered;
    if (m_Stream.Kind() == PortKind::Parallel) {  // no ESC @ on a parallel port
        m_State = State::Printing;
        return kTickMs;
    }
    m_State = State::Initializing;
    return 0;
}

int LogoPrint::StepInitialize() {
    if (m_Stream.Write(EncodeInitialize()) != 2) {
        warn(base::kMsgWriteToPort);
        return Finish(Outcome::WriteFailed);
    }
    m_State = State::Printing;
    return kTickMs;
}

int LogoPrint::NextNumber() {
    if (m_Settings.all) return static_cast<int>(m_Count) + 1;
    if (m_Current >= m_RangeEnd) {
        const PlanRange& range = m_Plan.ranges[m_NextRange++];
        m_Current = range.first;
        m_RangeEnd = range.last;
    } else {
        ++m_Current;
    }
    return m_Current;
}

// One timer tick: the optional header line, then the command for one logo.
int LogoPrint::StepPrint() {
    if (m_Count >= m_Total) {
        m_State = State::Finishing;
        return kFinishMs;
    }
    const int number = NextNumber();
    if (m_Settings.header) {
        const std::string line = EncodeLogoHeaderLine(number);
        const std::span<const uint8_t> bytes(reinterpret_cast<const uint8_t*>(line.data()),
                                             line.size());
        if (m_Stream.Write(bytes) != bytes.size()) {
            return FailPrinting(number);  // the logo's own command is not attempted
        }
    }
    const auto command = EncodeNvPrintCommand(number, m_Settings.size, m_Settings.starEmulation);
    if (m_Stream.Write(command) != command.size()) return FailPrinting(number);
    ++m_Count;
    char text[64];
    std::snprintf(text, sizeof text, "Printing... %ld/255", m_Count);
    m_Status = text;
    return kTickMs;
}

int LogoPrint::FailPrinting(int number) {
    const int code = m_Stream.LastError();
    if (code == ECANCELED) return Finish(Outcome::Cancelled);
    base::ShowMessage(port::WithFailureDetail(base::Message(base::kMsgCommunicationError), m_Stream),
                     MsgStyle::OkExclamation);
    m_Log.Log("CPrintDlg write of logo %d failed[%d]", number, code);
    return Finish(Outcome::CommunicationError);
}

int LogoPrint::StepEndCheck() {
    const int wait = m_Receipt.Poll();
    if (wait != base::kStepDone) return wait;
    m_Reason = m_Receipt.Reason();
    const std::string line = m_Receipt.Line();
    if (m_Receipt.Result() != port::Receipt::Failed) {
        if (!line.empty()) m_Status += " - " + line;
        return Finish(Outcome::Completed);
    }
    base::ShowMessage(std::string(base::Message(base::kMsgCommunicationError)) + "\r\n" +
                          (line.empty() ? m_Stream.FailureDetail() : line) + "\r\nAll " +
                          std::to_string(m_Count) +
                          " print commands were sent; the printer may have printed fewer.",
                      MsgStyle::OkExclamation);
    m_Log.Log("CPrintDlg end check failed: %s", std::string(base::ReasonName(m_Reason)).c_str());
    return Finish(Outcome::CommunicationError);
}

int LogoPrint::Finish(Outcome outcome) {
    if (m_Reason == base::Reason::None) {
        switch (outcome) {
            case Outcome::None:
            case Outcome::Completed: break;
            case Outcome::Cancelled: m_Reason = base::Reason::Cancelled; break;
            case Outcome::BadSelection: m_Reason = base::Reason::BadInput; break;
            case Outcome::PortOpenFailed:
                m_Reason = port::OpenFailureReason(m_Stream.LastError());
                break;
            case Outcome::WriteFailed:
            case Outcome::CommunicationError: {
                const base::Reason fault = m_Stream.LinkFault();
                m_Reason = fault != base::Reason::None ? fault : base::Reason::Failed;
                break;
            }
        }
    }
    if (m_Opened) m_Stream.Close();
    m_Opened = false;
    m_Outcome = outcome;
    m_State = State::Done;
    return base::kStepDone;
}

}  // namespace korva::logo
