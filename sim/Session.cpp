#include "Session.h"

#include "Hex.h"
#include "Printer.h"

namespace korva::sim {

Session::Session(Printer& printer, std::string transport, ReplyFraming framing, WriteFn write)
    : m_Printer(printer),
      m_Transport(std::move(transport)),
      m_Framing(framing),
      m_Write(std::move(write)),
      m_Decoder(
          printer, [this](std::vector<uint8_t> reply) { Reply(std::move(reply)); },
          [this](std::span<const uint8_t> bytes) {
              ConnectionLog& log = Log();
              log.unknown.insert(log.unknown.end(), bytes.begin(), bytes.end());
              m_Printer.Changed();
          }) {}

ConnectionLog& Session::Log() {
    if (m_LogIndex < 0) m_LogIndex = m_Printer.OpenConnection(m_Transport).id - 1;
    // The printer keeps its logs in a deque: an index stays valid as others open.
    return m_Printer.ConnectionAt(static_cast<size_t>(m_LogIndex));
}

void Session::Receive(std::span<const uint8_t> bytes) {
    if (bytes.empty()) return;
    ConnectionLog& log = Log();
    for (uint8_t b : bytes) {
        m_Printer.RecordReceived(log, b);
        // Switched off after a firmware download: bytes are recorded, nothing answers.
        if (!m_Printer.PoweredOff()) m_Decoder.Feed(b);
    }
    m_Printer.Changed();
}

void Session::Reply(std::vector<uint8_t> reply) {
    if (!m_Printer.TakeAnswerSlot()) {
        m_Printer.Event("answer dropped: " + ToHex(reply));
        m_Printer.Changed();
        return;
    }
    std::vector<uint8_t> wire = FrameReply(reply, m_Framing);
    ConnectionLog& log = Log();
    log.sent.insert(log.sent.end(), wire.begin(), wire.end());
    m_Write(wire);
    m_Printer.Changed();
}

}  // namespace korva::sim
