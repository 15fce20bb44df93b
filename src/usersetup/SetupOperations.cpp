// The operations behind Get Value, Set Value and TEST, as queued steps.
#include <algorithm>
#include <array>

#include "base/ErrorLog.h"
#include "base/MessageBox.h"
#include "base/Messages.h"
#include "port/ParPortCtl.h"
#include "port/Ports.h"
#include "port/PortFailures.h"
#include "port/PortTraits.h"
#include "port/PrinterSocket.h"
#include "port/ReceiptCheck.h"
#include "printer/PrinterFacts.h"
#include "usersetup/SetupCommands.h"
#include "usersetup/UserSetupExchange.h"

namespace korva::usersetup {

namespace {

constexpr int kFirstCompletionCheckMs = 3000;
constexpr int kNextCompletionCheckMs = 2000;
constexpr int kEthernetRequestPauseMs = 10;
constexpr int kParallelRestartMs = 4000;  // the printer restarts its interface after "OUT"
constexpr int kUsbRestartMs = 2500;
constexpr int kEthernetRestartMs = 3000;
constexpr int kTestPageSettleMs = 800;
// The printer's answer to the printer-ID request after the test page: the
// page itself prints meanwhile, so the wait is generous.
constexpr int kEndAnswerMs = 4000;
constexpr int kEndPollMs = 20;
// The longest look of the answer wait: its last answer and a lost link end
// the wait at once (AnswersIn, LinkLost); the look catches a clock that
// cannot be woken and a USB printer, whose replies are fetched.
constexpr int kAnswerLookMs = 100;
// After a USB fetch brought bytes: time for the reader to hand them over.
constexpr int kUsbHandOverMs = 10;
// Waits before the 2nd..5th open of a USB printer after a write, and after the fifth failure.
constexpr std::array<int, 5> kUsbReopenWaitsMs{500, 400, 300, 200, 100};

std::string WriteFailText() { return base::Message(base::kMsgWriteFailCheckPower); }
}  // namespace

// --- read ----------------------------------------------------------------

void UserSetupExchange::BeginRead() {
    m_Steps.clear();
    m_Outcome = Outcome::None;
    m_Reason = base::Reason::None;
    m_Answered.fill(false);
    switch (m_Ep.kind) {
        case port::PortKind::Parallel:
            QueueParallelRead();
            break;
        case port::PortKind::Ethernet:
            QueueEthernetRead();
            break;
        default:
            QueueSerialRead();
            break;
    }
}

void UserSetupExchange::QueueParallelRead() {
    Queue([this] {
        port::ParPortCtl& par = *m_Ep.parallel;
        if (!WriteBlock(printer::kAutomaticStatusOff))
            return Fail(base::Message(base::kMsgWriteToPort), "parallel read");
        for (uint8_t setting : RequestList()) {
            const auto request = BuildRequest(setting);
            if (!WriteBlock(request))
                return Fail(base::Message(base::kMsgWriteToPort), "parallel request");
            par.TriggerRead();
        }
        if (par.StartReadThread() == 0)
            return Fail(base::Message(base::kMsgCannotCreateReceiveThread),
                        "parallel receive thread");
        m_Answered.fill(false);
        if (!m_Reader.StartParallel(par))
            return Fail(base::Message(base::kMsgCannotCreateReceiveThread), "reply reader");
        m_ReadElapsedMs = kFirstCompletionCheckMs;
        QueueParallelCompletion();
        return kFirstCompletionCheckMs;
    });
}

void UserSetupExchange::QueueParallelCompletion() {
    Queue([this] {
        port::ParPortCtl& par = *m_Ep.parallel;
        const bool timedOut = m_ReadDeadlineMs >= 0 && m_ReadElapsedMs >= m_ReadDeadlineMs;
        if (!timedOut) {
            // Bytes still waiting in the control's queue may complete the read.
            bool waiting = par.ReadPosition() != par.WritePosition();
            if (!waiting) {
                for (uint8_t setting : RequestList()) {
                    if (m_Answered[setting]) continue;
                    const auto request = BuildRequest(setting);
                    if (!WriteBlock(request)) return Fail(kGetValueCmdFail, "request re-send");
                    par.TriggerRead();
                    waiting = true;
                }
            }
            if (waiting) {
                m_ReadElapsedMs += kNextCompletionCheckMs;
                QueueParallelCompletion();
                return kNextCompletionCheckMs;
            }
        }
        m_Reader.Stop();
        par.StopReadThread();
        const bool ended = WriteBlock(kParallelReadEnd);
        if (timedOut) {
            Log().Log("CUserSetup: parallel read incomplete after %d ms\r\n", m_ReadElapsedMs);
            m_Outcome = Outcome::TimedOut;
        } else if (!ended) {
            Log().Log("CUserSetup: end of parallel read not written\r\n");
        }
        return 0;
    });
}

void UserSetupExchange::QueueSerialRead() {
    Queue([this] {
        for (uint8_t setting : RequestList()) {
            const auto request = BuildRequest(setting);
            if (!WriteBlock(request)) return Fail(WriteFailText(), "read request");
        }
        // A read with a deadline fetches USB replies as they come, in its wait.
        if (m_Ep.kind == port::PortKind::Usb && m_ReadDeadlineMs < 0) m_Ep.ports->ReadUsbReply();
        return 0;
    });
    QueueAnswerWait();
}

void UserSetupExchange::QueueAnswerWait() {
    // Only a read with a deadline waits here; without one the answers come
    // when they come, as on the dialog's Get Value.
    if (m_ReadDeadlineMs < 0) return;
    Queue([this] {
        m_AnswerTimer.start();
        m_AwaitingAnswers = true;
        return AwaitAnswers();
    });
}

int UserSetupExchange::AwaitAnswers() {
    if (AllAnswered()) {
        m_AwaitingAnswers = false;
        return 0;
    }
    // A hang-up or reset ends the wait at once: no further answer can come.
    if (LinkFaultNow() != base::Reason::None) {
        m_AwaitingAnswers = false;
        return Fail(WriteFailText(), "read answers");
    }
    const qint64 left = m_ReadDeadlineMs - m_AnswerTimer.elapsed();
    if (left <= 0) {
        Log().Log("CUserSetup: read incomplete after %d ms\r\n",
                  static_cast<int>(m_AnswerTimer.elapsed()));
        m_AwaitingAnswers = false;
        m_Outcome = Outcome::TimedOut;
        return 0;
    }
    const int look = static_cast<int>(std::min<qint64>(left, kAnswerLookMs));
    Queue([this] { return AwaitAnswers(); });
    if (m_Ep.kind == port::PortKind::Usb && m_Ep.ports->IsOpen()) {
        // The wait is on the printer's descriptor; a printer that cannot be
        // read is looked at again after a whole look.
        const int got = m_Ep.ports->AwaitUsbReply(look);
        return got > 0 ? kUsbHandOverMs : got == 0 ? 1 : look;
    }
    return look;
}

void UserSetupExchange::QueueEthernetRead() {
    Queue([this] {
        // Answers left over from an earlier read go before the first request.
        if (!m_Reader.DiscardPending())
            return Fail(base::Message(base::kMsgCannotCreateReceiveThread), "reply reader");
        ForgetModelIdRequests();
        if (!OpenEthernetExchange(false)) return Fail(WriteFailText(), "Ethernet read");
        return 0;
    });
    for (uint8_t setting : RequestList()) {
        Queue([this, setting] {
            const auto request = BuildRequest(setting);
            WriteBlock(request);  // the printer's answers tell whether it arrived
            return kEthernetRequestPauseMs;
        });
    }
    QueueAnswerWait();
}

void UserSetupExchange::FetchUsbReplies() {
    if (m_Ep.kind == port::PortKind::Usb && m_Ep.ports->IsOpen()) m_Ep.ports->ReadUsbReply();
}

// --- write ---------------------------------------------------------------

void UserSetupExchange::BeginWrite(SetValuesBuilder buildSetValues) {
    m_Steps.clear();
    m_Outcome = Outcome::None;
    m_Reason = base::Reason::None;
    Queue([this, build = std::move(buildSetValues)] {
        const bool ethernet = m_Ep.kind == port::PortKind::Ethernet;
        if (ethernet && !OpenEthernetExchange(true)) return Fail(WriteFailText(), "Ethernet write");
        if (!WriteBlock(kEnterSetup)) return Fail(WriteFailText(), "enter-setup write");
        const std::vector<uint8_t> setValues = build();
        const bool sent = WriteBlock(setValues);
        // Leave-setup goes out even after a failed set-values: a printer left
        // in setup mode takes nothing else. A dropped link gets one new try.
        bool left = WriteBlock(kLeaveSetup) && AllDelivered();
        // A hang-up or reset up to here may have lost set-values even though
        // every block was taken: the connection's fault, before any new one.
        const base::Reason lost = LinkFaultNow();
        if (!left && ethernet && OpenEthernetExchange(true))
            left = WriteBlock(kLeaveSetup) && AllDelivered();
        if (lost != base::Reason::None) m_Reason = lost;
        if (!sent || !left || lost != base::Reason::None)
            return Fail(WriteFailText(), "set-values write");
        QueueReconnectAfterWrite();
        switch (m_Ep.kind) {
            case port::PortKind::Parallel:
                return kParallelRestartMs;
            case port::PortKind::Usb:
                return kUsbRestartMs;
            case port::PortKind::Ethernet:
                return kEthernetRestartMs;
            default:
                return 0;
        }
    });
}

void UserSetupExchange::QueueReconnectAfterWrite() {
    switch (m_Ep.kind) {
        case port::PortKind::Parallel:
            Queue([this] {
                port::ParPortCtl& par = *m_Ep.parallel;
                par.ClosePort();
                m_ParallelConnected = par.OpenPort(m_Ep.portName) == 1;
                if (!m_ParallelConnected || !WriteBlock(printer::kAutomaticStatusOff))
                    return Fail(WriteFailText(), "parallel reconnect");
                return 0;
            });
            break;
        case port::PortKind::Usb:
            QueueUsbReopen(0);
            break;
        case port::PortKind::Ethernet:
            Queue([this] {
                CloseEthernet();
                return 0;
            });
            break;
        default:
            Queue([] { return 0; });
            break;
    }
}

void UserSetupExchange::QueueUsbReopen(int attempt) {
    Queue([this, attempt] {
        m_Ep.ports->Close();
        if (m_Ep.ports->Open()) return 0;
        const int wait = kUsbReopenWaitsMs[static_cast<size_t>(attempt)];
        if (attempt + 1 < static_cast<int>(kUsbReopenWaitsMs.size())) {
            QueueUsbReopen(attempt + 1);
        } else {
            Log().Log("CUserSetup: USB printer not back after the write\r\n");
            Queue([] { return 0; });
        }
        return wait;
    });
}

// --- test page -----------------------------------------------------------

void UserSetupExchange::BeginTest() {
    m_Steps.clear();
    m_Outcome = Outcome::None;
    m_Reason = base::Reason::None;
    Queue([this] {
        const bool ethernet = m_Ep.kind == port::PortKind::Ethernet;
        if (ethernet && !OpenEthernetExchange(true))
            return Fail(WriteFailText(), "Ethernet test page");
        for (const auto& block : BuildTestPage())
            if (!WriteBlock(block)) return Fail(WriteFailText(), "test page write");
        return kTestPageSettleMs;
    });
    QueueTestEnd();
}

// The printer-ID request after the page: its answer proves the printer read
// the whole page. A printer that never answered on this connection may be
// wired one way only; then the page counts as sent, not confirmed.
void UserSetupExchange::QueueTestEnd() {
    Queue([this] {
        // A printer that stopped taking the page has stalled, whatever it answers.
        if (!AllDelivered() || LinkFaultNow() != base::Reason::None)
            return Fail(WriteFailText(), "test page");
        if (!port::TraitsOf(m_Ep.kind).answers) {
            m_Reason = base::Reason::NotConfirmed;
            return 0;
        }
        m_EndWaitedMs = 0;
        if (!WriteBlock(printer::kModelIdRequest)) return Fail(WriteFailText(), "test page end check");
        // The printer answers in order: this request's answer is the one
        // after every earlier request's, late ones included.
        m_EndAnswerNumber = ++m_ModelIdAsked;
        // The request waits behind what a slow line has not carried yet.
        const bool ownLine = m_Ep.kind != port::PortKind::Ethernet;
        m_EndLimitMs = kEndAnswerMs + static_cast<int>(ownLine ? m_Ep.ports->QueuedLineMs() : 0);
        Queue([this] { return PollTestEnd(); });
        return kEndPollMs;
    });
}

int UserSetupExchange::PollTestEnd() {
    FetchUsbReplies();
    const bool answered = m_Reader.ModelIdAnswers() >= m_EndAnswerNumber;
    if (!answered) {
        if (LinkFaultNow() != base::Reason::None) return Fail(WriteFailText(), "test page");
        if (m_EndWaitedMs < m_EndLimitMs) {
            m_EndWaitedMs += kEndPollMs;
            Queue([this] { return PollTestEnd(); });
            return kEndPollMs;
        }
        if (m_PrinterAnswered || m_Reader.ModelIdAnswers() > m_ModelIdBase ||
            m_Ep.kind == port::PortKind::Ethernet) {
            m_Reason = base::Reason::NoAnswer;
            return Fail(std::string(WriteFailText()) + "\r\n" +
                            port::ReceiptLine(base::Reason::NoAnswer, m_Ep.kind),
                        "test page end check");
        }
        m_Reason = base::Reason::NotConfirmed;
    }
    if (m_Ep.kind == port::PortKind::Ethernet) CloseEthernet();
    return 0;
}

}  // namespace korva::usersetup
