#include "port/ReceiptCheck.h"

#include <algorithm>
#include <array>

#include "base/StepEngine.h"
#include "port/PortFailures.h"
#include "port/PortTraits.h"
#include "port/PrinterDialogue.h"

namespace korva::port {

void ReceiptCheck::Begin(bool answeredBefore, int64_t extraWaitMs) {
    m_Result = Receipt::Pending;
    m_Reason = base::Reason::None;
    if (const base::Reason fault = m_Stream.LinkFault(); fault != base::Reason::None) {
        Settle(Receipt::Failed, fault);
        return;
    }
    // Everything sent must have reached the printer first: a printer that
    // stopped taking data has stalled, whatever it would answer.
    if (!m_Stream.AwaitDelivery()) {
        const base::Reason reason = m_Stream.FailureReason();
        Settle(Receipt::Failed, reason != base::Reason::None ? reason : base::Reason::Failed);
        return;
    }
    if (!TraitsOf(m_Stream.Kind()).answers) {
        Settle(Receipt::NotConfirmed, base::Reason::NotConfirmed);
        return;
    }
    PrinterDialogue& dialogue = m_Stream.Dialogue();
    // Answers already on their way go to the requests they belong to first.
    dialogue.Pump(0, m_Clock);
    // Every KORVA Ethernet interface answers: silence there is never "sent".
    m_AnsweredBefore = answeredBefore || m_Stream.Kind() == PortKind::Ethernet;
    const auto ticket = dialogue.AskModelId();
    if (!ticket) {
        const base::Reason fault = m_Stream.LinkFault();
        Settle(Receipt::Failed, fault != base::Reason::None ? fault : base::Reason::Failed);
        return;
    }
    m_Ticket = *ticket;
    m_ExtraWaitMs = std::max<int64_t>(extraWaitMs, 0);
    // The request itself waits behind whatever the line has not carried yet.
    m_Queued = m_Stream.QueuedLineMs();
    m_LastProgressMs = m_Clock.NowMs();
    m_Deadline = m_LastProgressMs + MarginMs(m_AnsweredBefore) + m_Queued;
}

int64_t ReceiptCheck::MarginMs(bool answers) const {
    // A printer known to answer may stop reading for a moment and read on
    // (its buffer full, paper being cut): only the stall limit gives up on
    // it. One that never answered is given up on after the short margin.
    return (answers ? kStallMs : kAnswerMarginMs) + m_ExtraWaitMs;
}

int ReceiptCheck::Poll() {
    if (m_Result != Receipt::Pending) return base::kStepDone;
    PrinterDialogue& dialogue = m_Stream.Dialogue();
    const bool readable = dialogue.Pump(1, m_Clock);
    if (dialogue.Answered(m_Ticket)) return Settle(Receipt::Confirmed, base::Reason::None);
    // A hang-up or reset ends the wait at once.
    if (const base::Reason fault = m_Stream.LinkFault(); fault != base::Reason::None)
        return Settle(Receipt::Failed, fault);
    // The margin counts from the printer's last progress: while the port's
    // queue shrinks the printer is still reading what came before.
    const int64_t now = m_Clock.NowMs();
    const int64_t queued = m_Stream.QueuedLineMs();
    if (queued < m_Queued) m_LastProgressMs = now;
    m_Queued = queued;
    const bool answers = m_AnsweredBefore || dialogue.PrinterAnswered();
    if (queued > 0 && now - m_LastProgressMs < kStallMs)
        m_Deadline = std::max(m_Deadline, now + queued + MarginMs(answers));
    // A late answer to an earlier request shows a printer that answers.
    if (answers) m_Deadline = std::max(m_Deadline, m_LastProgressMs + queued + MarginMs(true));
    const int64_t left = m_Deadline - now;
    if (!readable || left <= 0) {
        if (queued > 0 && now - m_LastProgressMs >= kStallMs)
            return Settle(Receipt::Failed, base::Reason::Stalled);
        return answers ? Settle(Receipt::Failed, base::Reason::NoAnswer)
                       : Settle(Receipt::NotConfirmed, base::Reason::NotConfirmed);
    }
    return static_cast<int>(std::min<int64_t>(kPollMs, left));
}

int ReceiptCheck::Settle(Receipt result, base::Reason reason) {
    m_Result = result;
    m_Reason = reason;
    return base::kStepDone;
}

base::Reason LinkFaultWithin(ByteStream& stream, base::Clock& clock, int ms) {
    const int64_t end = clock.NowMs() + ms;
    for (;;) {
        const base::Reason fault = stream.LinkFault();
        if (fault != base::Reason::None || clock.NowMs() >= end) return fault;
        clock.SleepMs(ReceiptCheck::kPollMs);
    }
}

std::string ReceiptCheck::Line() const { return ReceiptLine(m_Reason, m_Stream.Kind()); }

std::string ReceiptLine(base::Reason reason, PortKind kind) {
    if (reason == base::Reason::NoAnswer && kind == PortKind::Ethernet)
        return "The printer did not confirm: its Ethernet interface always answers, but no "
               "answer came after the last byte.";
    if (reason == base::Reason::NoAnswer)
        return "The printer did not confirm: it answered before, but not after the last byte.";
    if (reason != base::Reason::NotConfirmed) return {};
    if (kind == PortKind::File || kind == PortKind::OutputFile)
        return "Sent, not confirmed: written to a file, no printer has read it yet.";
    return "Sent, not confirmed: the printer gives no answer on this connection.";
}

}  // namespace korva::port
