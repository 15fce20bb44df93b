#include "port/PrinterDialogue.h"

#include <cstdio>

#include "base/Clock.h"
#include "port/ByteStream.h"
#include "printer/PrinterFacts.h"

namespace korva::port {

std::optional<PrinterDialogue::Ticket> PrinterDialogue::Ask(std::span<const uint8_t> request,
                                                            std::string name, AnswerRule rule) {
    // Registered before the write: a fast printer may answer while it returns.
    const Ticket ticket = m_Matcher.Expect(std::move(name), std::move(rule));
    if (m_Stream.Write(request) != request.size()) return std::nullopt;
    return ticket;
}

std::optional<PrinterDialogue::Ticket> PrinterDialogue::AskModelId() {
    const Ticket ticket = m_Matcher.ExpectModelId();
    if (m_Stream.Write(printer::kModelIdRequest) != printer::kModelIdRequest.size())
        return std::nullopt;
    return ticket;
}

bool PrinterDialogue::Pump(int timeoutMs, base::Clock& clock) {
    uint8_t buffer[256];
    // At least 1 ms: a USB port only fetches a reply when asked to wait.
    const int got = m_Stream.Read(buffer, timeoutMs < 1 ? 1 : timeoutMs);
    const int64_t now = clock.NowMs();
    if (got > 0) m_Matcher.Feed(m_Filter.Feed(std::span(buffer, static_cast<size_t>(got)), now));
    m_Matcher.Feed(m_Filter.Release(now));
    return got >= 0;
}

std::string PrinterDialogue::TakeStrayHex() { return HexBytes(m_Matcher.TakeStrays()); }

void PrinterDialogue::Reset() {
    m_Filter.Reset();
    m_Matcher.Reset();
}

std::string HexBytes(std::span<const uint8_t> bytes) {
    std::string text;
    for (uint8_t b : bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X", b);
        if (!text.empty()) text += ' ';
        text += hex;
    }
    return text;
}

}  // namespace korva::port
