#pragma once
// Asks the printer for its model ID (GS I 1) and waits a bounded time for
// the answer to that very request. `korva status` and the logo tool's
// printer check on its setup page both run it.
#include <cstdint>
#include <optional>

#include "port/PrinterDialogue.h"

namespace korva::base {
class Clock;
}

namespace korva::port {

class ByteStream;

class ModelIdQuery {
public:
    ModelIdQuery(ByteStream& stream, base::Clock& clock) : m_Stream(stream), m_Clock(clock) {}

    /// Sends the request and starts a wait of `waitMs`; false when it could
    /// not be written (the stream says why).
    bool Begin(int64_t waitMs);
    /// Reads what has come; base::kStepDone once the answer is in, the wait
    /// has run out or the connection cannot be read.
    int Step();

    /// The model ID the printer answered this request with.
    std::optional<uint8_t> Answer() const;
    /// False once the connection could not be read (gone, or no reply path).
    bool Readable() const { return m_Readable; }

private:
    static constexpr int kPollMs = 10;

    ByteStream& m_Stream;
    base::Clock& m_Clock;
    std::optional<PrinterDialogue::Ticket> m_Ticket;
    int64_t m_Deadline = 0;
    bool m_Readable = true;
};

}  // namespace korva::port
