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
          }),
      m_StatusOn(framing.automaticStatus) {}

ConnectionLog& Session::Log() {
    if (m_LogIndex < 0) m_LogIndex = m_Printer.OpenConnection(m_Transport).id - 1;
    // The printer keeps its logs in a deque: an index stays valid as others open.
    return m_Printer.ConnectionAt(static_cast<size_t>(m_LogIndex));
}

void Session::Receive(std::span<const uint8_t> bytes) {
    if (bytes.empty()) return;
    // A printer with automatic status on reports as soon as the host is there.
    if (m_LogIndex < 0 && m_StatusOn) Send({std::begin(kStatusBlock), std::end(kStatusBlock)});
    ConnectionLog& log = Log();
    const long strayAt = m_Printer.FaultLimits().strayAfterBytes;
    for (uint8_t b : bytes) {
        m_Printer.RecordReceived(log, b);
        WatchStatusOff(b);
        WatchStatusOn();
        // Switched off after a firmware download: bytes are recorded, nothing answers.
        if (!m_Printer.PoweredOff()) m_Decoder.Feed(b);
        if (strayAt >= 0 && !m_StraySent && m_Printer.BytesReceived() >= static_cast<size_t>(strayAt)) {
            m_StraySent = true;
            // A moment later, when a host that wrote on is waiting for an answer.
            const auto stray = [this] {
                m_Printer.Event("fault: stray byte 00 sent");
                m_Write(std::vector<uint8_t>{0x00});
                m_Printer.Changed();
            };
            if (m_Schedule) {
                m_Schedule(kStrayDelayMs, [stray, alive = m_Alive] {
                    if (*alive) stray();
                });
            } else {
                stray();
            }
        }
    }
    m_Printer.Changed();
}

void Session::WatchStatusOff(uint8_t byte) {
    static constexpr uint8_t kOff[3] = {0x1D, 0x61, 0x00};
    m_StatusOffMatched = byte == kOff[m_StatusOffMatched] ? m_StatusOffMatched + 1
                         : byte == kOff[0]                ? 1
                                                          : 0;
    if (m_StatusOffMatched < 3) return;
    m_StatusOffMatched = 0;
    if (m_StatusOn) m_Printer.Event("automatic status off");
    m_StatusOn = false;
}

void Session::WatchStatusOn() {
    const long onAt = m_Printer.FaultLimits().statusAfterBytes;
    if (onAt < 0 || m_StatusCameOn || m_Printer.BytesReceived() < static_cast<size_t>(onAt)) return;
    m_StatusCameOn = true;
    m_StatusOn = true;
    m_Printer.Event("automatic status on");
}

void Session::Send(std::vector<uint8_t> wire) {
    ConnectionLog& log = Log();
    log.sent.insert(log.sent.end(), wire.begin(), wire.end());
    if (m_Holding) {
        m_Held.insert(m_Held.end(), wire.begin(), wire.end());
        return;
    }
    m_Write(wire);
}

void Session::ReleaseHeld() {
    m_Holding = false;
    std::vector<uint8_t> held = std::move(m_Held);
    m_Held.clear();
    if (!held.empty()) m_Write(held);
    m_Printer.Changed();
}

void Session::Reply(std::vector<uint8_t> reply) {
    if (!m_Printer.TakeAnswerSlot()) {
        m_Printer.Event("answer dropped: " + ToHex(reply));
        m_Printer.Changed();
        return;
    }
    ReplyFraming framing = m_Framing;
    framing.parallelStatus = framing.parallelStatus || m_StatusOn;
    const long delayMs = m_Printer.FaultLimits().firstAnswerDelayMs;
    if (delayMs > 0 && !m_FirstAnswerGone && m_Schedule) {
        m_FirstAnswerGone = true;
        m_Holding = true;
        m_Printer.Event("fault: first answer held for " + std::to_string(delayMs) + " ms");
        if (m_Schedule) {
            m_Schedule(static_cast<int>(delayMs), [this, alive = m_Alive] {
                if (*alive) ReleaseHeld();
            });
        }
    }
    Send(FrameReply(reply, framing));
    m_Printer.Changed();
}

}  // namespace korva::sim
