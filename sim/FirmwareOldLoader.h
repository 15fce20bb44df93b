#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace korva::sim {

class Printer;

/// The older series' loader: an erase packet 40 F2, then data packets 40 F0
/// (more follows) / 40 F1 (last block), big-endian length and flash address,
/// data, big-endian checksum. Every packet is answered DLE ACK or DLE NAK.
class FirmwareOldLoader {
  public:
    using ReplyFn = std::function<void(std::vector<uint8_t>)>;
    using UnknownFn = std::function<void(uint8_t)>;

    FirmwareOldLoader(Printer& printer, ReplyFn reply, UnknownFn unknown)
        : m_Printer(printer), m_Reply(std::move(reply)), m_Unknown(std::move(unknown)) {}

    /// Takes the next byte; false once the last block has been acknowledged
    /// and the line belongs to the command decoder again.
    bool Feed(uint8_t b);
    bool Erased() const { return m_AreaEnd != 0; }

  private:
    enum class Phase { Sync, Command, Header, Data, Checksum };
    void HandlePacket();
    bool HandleErase();
    bool HandleData();
    void Answer(bool ack);

    Printer& m_Printer;
    ReplyFn m_Reply;
    UnknownFn m_Unknown;
    Phase m_Phase = Phase::Sync;
    std::vector<uint8_t> m_Packet;
    size_t m_DataLeft = 0;
    uint32_t m_AreaStart = 0, m_AreaEnd = 0;
    uint32_t m_Position = 0;
    int64_t m_LastAddress = -1;  ///< address of the last accepted block
    long m_GoodPackets = 0;      ///< data packets with a good checksum, for --nak-every
    size_t m_Record = 0;
    bool m_Done = false;
};

}  // namespace korva::sim
