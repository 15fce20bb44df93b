#pragma once
// One connection's dialogue with the printer: requests go out with the shape
// of their answer, and what the printer sends is cleared of automatic status
// blocks and matched to them in order. Every engine, the window's and
// korva's alike, asks its questions here, so a stray byte, a status block or
// a late answer to an earlier question never passes for the printer's word.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "port/AnswerMatcher.h"
#include "port/StatusBlockFilter.h"

namespace korva::base {
class Clock;
}

namespace korva::port {

class ByteStream;

class PrinterDialogue {
public:
    using Ticket = AnswerMatcher::Ticket;

    explicit PrinterDialogue(ByteStream& stream) : m_Stream(stream) {}

    /// Writes `request` and registers its answer's shape; nullopt when the
    /// write failed (the stream says why).
    std::optional<Ticket> Ask(std::span<const uint8_t> request, std::string name, AnswerRule rule);
    /// GS I 1, answered by the printer's model ID.
    std::optional<Ticket> AskModelId();

    /// Reads what has come within `timeoutMs` and matches it; false when the
    /// connection cannot be read (gone, or a port without a reply path).
    bool Pump(int timeoutMs, base::Clock& clock);

    bool Answered(Ticket ticket) const { return m_Matcher.Answered(ticket); }
    std::optional<std::vector<uint8_t>> AnswerTo(Ticket ticket) const {
        return m_Matcher.AnswerTo(ticket);
    }
    /// True once any request of this connection was answered.
    bool PrinterAnswered() const { return m_Matcher.PrinterAnswered(); }
    std::optional<uint8_t> ModelId() const { return m_Matcher.ModelId(); }
    /// The last automatic status block the printer sent on this connection.
    std::optional<std::array<uint8_t, 4>> LastStatus() const { return m_Filter.LastStatus(); }
    /// Bytes that answered nothing, in hex for the log ("" when none).
    std::string TakeStrayHex();

    /// A new connection: forgets every request and what the printer said.
    void Reset();

private:
    ByteStream& m_Stream;
    StatusBlockFilter m_Filter;
    AnswerMatcher m_Matcher;
};

/// "1D 49 01": bytes in hex for logs.
std::string HexBytes(std::span<const uint8_t> bytes);

}  // namespace korva::port
