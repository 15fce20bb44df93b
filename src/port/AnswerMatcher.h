#pragma once
// Matches the printer's answers to the requests that asked for them. The
// printer answers in order, so the bytes go to the oldest request still
// waiting; a request whose wait ran out keeps its place, and its late answer
// is taken as its own, never as a newer request's. Bytes that fit no waiting
// request are no answer: they are set aside for the log. Plain logic, no I/O:
// the bytes come in already cleared of automatic status blocks.
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "port/AnswerFit.h"

namespace korva::port {

class AnswerMatcher {
public:
    using Ticket = uint64_t;
    /// The most stray bytes kept for the log; older ones are dropped.
    static constexpr size_t kStrayLimit = 256;

    /// A request was sent whose answer has the shape `rule`.
    Ticket Expect(std::string name, AnswerRule rule);
    /// GS I 1: one byte, a known model ID; once the printer has named its
    /// model on this connection, that same ID.
    Ticket ExpectModelId();

    /// Bytes from the printer, in order.
    void Feed(std::span<const uint8_t> bytes);

    bool Answered(Ticket ticket) const { return m_Answers.count(ticket) != 0; }
    /// The answer to `ticket`, once whole.
    std::optional<std::vector<uint8_t>> AnswerTo(Ticket ticket) const;
    /// True once any request on this connection was answered.
    bool PrinterAnswered() const { return m_AnyAnswered; }
    std::optional<uint8_t> ModelId() const { return m_ModelId; }
    /// Requests still waiting, oldest first.
    size_t Waiting() const { return m_Waiting.size(); }
    /// Bytes that fitted no request since the last call.
    std::vector<uint8_t> TakeStrays();
    /// A new connection: nothing waits, nothing is known.
    void Reset();

private:
    struct Request {
        Ticket ticket;
        std::string name;
        AnswerRule rule;
        bool modelId = false;
        std::vector<uint8_t> gathered;
    };
    void Offer(uint8_t byte);
    AnswerFit Judge(const Request& request) const;
    void Stray(uint8_t byte);

    std::deque<Request> m_Waiting;
    std::map<Ticket, std::vector<uint8_t>> m_Answers;
    std::vector<uint8_t> m_Strays;
    std::optional<uint8_t> m_ModelId;
    Ticket m_Next = 1;
    bool m_AnyAnswered = false;
};

}  // namespace korva::port
