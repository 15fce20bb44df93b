#pragma once
// The end of an operation where the printer can answer: the printer-ID
// request goes out after the last byte, and since a printer answers in
// order, its answer proves that it has read everything before it. Only the
// answer to that request counts: the connection's dialogue matches it, so a
// stray byte, a status block or a late answer to an earlier request does not.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/Clock.h"
#include "base/Reason.h"
#include "port/ByteStream.h"

namespace korva::port {

/// How an operation ended at the printer.
enum class Receipt {
    Pending,       ///< the check runs
    Confirmed,     ///< the printer answered after the last byte
    NotConfirmed,  ///< sent; nothing on this connection can confirm it
    Failed,        ///< a link fault, or silence from a printer that answered before
};

class ReceiptCheck {
public:
    /// What a printer that never answered may take to answer beyond the
    /// time the caller adds; one that answers has until the stall limit.
    static constexpr int kAnswerMarginMs = 2000;
    static constexpr int kPollMs = 10;
    /// A port whose queue has not shrunk for this long holds a printer that stopped reading.
    static constexpr int64_t kStallMs = 10'000;

    ReceiptCheck(ByteStream& stream, base::Clock& clock) : m_Stream(stream), m_Clock(clock) {}

    /// Sends the request after the operation's last byte. `answeredBefore`:
    /// the printer answered a request earlier in this operation, so silence
    /// now is a failure; so it is on TCP, where every printer answers, and
    /// once any request of the connection was answered, even late. `extraWaitMs`: time the printer may still need for
    /// what it was sent (memory being written); the line time of what the
    /// port still holds is added here.
    /// A file or a port without a reply path gets no request.
    void Begin(bool answeredBefore, int64_t extraWaitMs = 0);
    /// Looks for the answer once; returns the wait before the next look, or
    /// base::kStepDone once the result is known.
    int Poll();

    Receipt Result() const { return m_Result; }
    /// None when confirmed; NotConfirmed, NoAnswer or the link's fault otherwise.
    base::Reason Reason() const { return m_Reason; }
    /// One line for under the operation's message ("" when confirmed).
    std::string Line() const;

private:
    int Settle(Receipt result, base::Reason reason);
    int64_t MarginMs(bool answers) const;

    ByteStream& m_Stream;
    base::Clock& m_Clock;
    Receipt m_Result = Receipt::Pending;
    base::Reason m_Reason = base::Reason::None;
    bool m_AnsweredBefore = false;
    int64_t m_ExtraWaitMs = 0;
    int64_t m_Deadline = 0;
    int64_t m_Queued = 0;          ///< line time the port still held at the last look
    int64_t m_LastProgressMs = 0;  ///< when the port's queue last shrank
    PrinterDialogue::Ticket m_Ticket = 0;
};

/// Where nothing can answer: looks at the link for up to `ms` after the last
/// write, since a printer that hangs up on the last bytes does so a moment
/// after they were handed over. The fault, or None.
base::Reason LinkFaultWithin(ByteStream& stream, base::Clock& clock, int ms);

/// The line for a sent-but-unconfirmed or unanswered end, "" otherwise.
std::string ReceiptLine(base::Reason reason, PortKind kind);

}  // namespace korva::port
