#include "port/ReceiptCheck.h"

#include <algorithm>
#include <array>

#include "base/StepEngine.h"
#include "port/PortFailures.h"

namespace korva::port {

namespace {
constexpr std::array<uint8_t, 3> kPrinterIdRequest{0x1D, 0x49, 0x01};  // GS I 1: printer ID
constexpr int kStaleReads = 64;  // at most this many reads clear answers that came late

bool HasReplyPath(PortKind kind) {
    return kind == PortKind::Serial || kind == PortKind::Usb || kind == PortKind::Ethernet;
}
}  // namespace

void ReceiptCheck::Begin(bool answeredBefore, int64_t extraWaitMs) {
    m_AnsweredBefore = answeredBefore;
    m_Result = Receipt::Pending;
    m_Reason = base::Reason::None;
    if (const base::Reason fault = m_Stream.LinkFault(); fault != base::Reason::None) {
        settle(Receipt::Failed, fault);
        return;
    }
    if (!HasReplyPath(m_Stream.Kind())) {
        settle(Receipt::NotConfirmed, base::Reason::NotConfirmed);
        return;
    }
    // An answer to an earlier request that came late must not pass for this one.
    uint8_t stale[64];
    for (int i = 0; i < kStaleReads && m_Stream.Read(stale, 0) > 0; ++i) {}
    if (m_Stream.Write(kPrinterIdRequest) != kPrinterIdRequest.size()) {
        const base::Reason fault = m_Stream.LinkFault();
        settle(Receipt::Failed, fault != base::Reason::None ? fault : base::Reason::Failed);
        return;
    }
    // The request itself waits behind whatever the line has not carried yet.
    m_Deadline = m_Clock.NowMs() + kAnswerMarginMs + std::max<int64_t>(extraWaitMs, 0) +
                 m_Stream.QueuedLineMs();
}

int ReceiptCheck::Poll() {
    if (m_Result != Receipt::Pending) return base::kStepDone;
    uint8_t answer[16];
    // 1 ms, not 0: a USB port only fetches a reply when asked to wait.
    const int got = m_Stream.Read(answer, 1);
    if (got > 0) return settle(Receipt::Confirmed, base::Reason::None);
    // A hang-up or reset ends the wait at once.
    if (const base::Reason fault = m_Stream.LinkFault(); fault != base::Reason::None)
        return settle(Receipt::Failed, fault);
    const int64_t left = m_Deadline - m_Clock.NowMs();
    if (got < 0 || left <= 0) {
        return m_AnsweredBefore ? settle(Receipt::Failed, base::Reason::NoAnswer)
                                : settle(Receipt::NotConfirmed, base::Reason::NotConfirmed);
    }
    return static_cast<int>(std::min<int64_t>(kPollMs, left));
}

int ReceiptCheck::settle(Receipt result, base::Reason reason) {
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
    if (reason == base::Reason::NoAnswer)
        return "The printer did not confirm: it answered before, but not after the last byte.";
    if (reason != base::Reason::NotConfirmed) return {};
    if (kind == PortKind::File || kind == PortKind::OutputFile)
        return "Sent, not confirmed: written to a file, no printer has read it yet.";
    return "Sent, not confirmed: the printer gives no answer on this connection.";
}

}  // namespace korva::port
