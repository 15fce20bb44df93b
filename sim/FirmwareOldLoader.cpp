#include "FirmwareOldLoader.h"

#include <cstdio>

#include "Hex.h"
#include "Printer.h"

namespace korva::sim {
namespace {

constexpr uint8_t kPacketMark = 0x40;
constexpr uint8_t kDataMore = 0xF0;
constexpr uint8_t kDataLast = 0xF1;
constexpr uint8_t kErase = 0xF2;
constexpr uint8_t kDle = 0x10;
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kNak = 0x15;
constexpr size_t kMaxBlock = 512;

// Erase codes: first and end 64 KiB block numbers, each plus 3.
struct EraseArea {
    uint8_t first, end;
    const char* name;
};
const EraseArea kEraseAreas[] = {
    {0x20, 0x22, "program"}, {0x0B, 0x1B, "extfont"}, {0x22, 0x23, "boot"}, {0x1C, 0x1E, "font"}};

uint32_t Be16(const uint8_t* p) { return (p[0] << 8) | p[1]; }
uint32_t Be32(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
}

std::string Hex32(uint32_t v) {
    char text[12];
    std::snprintf(text, sizeof text, "%X", v);
    return text;
}

}  // namespace

bool FirmwareOldLoader::Feed(uint8_t b) {
    switch (m_Phase) {
        case Phase::Sync:
            // Between packets only the packet mark starts something.
            if (b != kPacketMark) {
                m_Unknown(b);
                break;
            }
            m_Packet.assign(1, b);
            m_Phase = Phase::Command;
            break;
        case Phase::Command:
            if (b != kDataMore && b != kDataLast && b != kErase) {
                m_Unknown(kPacketMark);
                m_Unknown(b);
                m_Phase = Phase::Sync;
                break;
            }
            m_Packet.push_back(b);
            m_Phase = Phase::Header;
            break;
        case Phase::Header:
            m_Packet.push_back(b);
            if (m_Packet.size() < 8) break;
            m_DataLeft = m_Packet[1] == kErase ? 0 : Be16(&m_Packet[2]);
            if (m_DataLeft == 0 && m_Packet[1] != kErase) {
                m_Printer.Event("firmware: data packet with length 0");
                Answer(false);
                m_Phase = Phase::Sync;
            } else if (m_DataLeft > kMaxBlock) {
                // A length this long cannot be a block; drop it and look for the next packet.
                m_Printer.Event("firmware: data packet length " + std::to_string(m_DataLeft) +
                                " above 512");
                Answer(false);
                m_Phase = Phase::Sync;
            } else {
                m_Phase = m_DataLeft ? Phase::Data : Phase::Checksum;
            }
            break;
        case Phase::Data:
            m_Packet.push_back(b);
            if (--m_DataLeft == 0) m_Phase = Phase::Checksum;
            break;
        case Phase::Checksum:
            m_Packet.push_back(b);
            if (m_Packet[1] == kErase ? m_Packet.size() < 10
                                      : m_Packet.size() < 10 + Be16(&m_Packet[2]))
                break;
            m_Phase = Phase::Sync;
            HandlePacket();
            break;
    }
    if (m_Done) {
        m_Done = false;
        return false;
    }
    return true;
}

void FirmwareOldLoader::HandlePacket() {
    bool ack = m_Packet[1] == kErase ? HandleErase() : HandleData();
    Answer(ack);
    m_Printer.Changed();
}

bool FirmwareOldLoader::HandleErase() {
    const uint8_t* p = m_Packet.data();
    bool zeros = Be32(p + 4) == 0 && Be16(p + 8) == 0;
    for (const EraseArea& area : kEraseAreas) {
        if (area.first != p[2] || area.end != p[3]) continue;
        if (!zeros) break;
        m_AreaStart = uint32_t(area.first - 3) << 16;
        m_AreaEnd = uint32_t(area.end - 3) << 16;
        m_Position = m_AreaStart;
        m_LastAddress = -1;
        FirmwareRecord record;
        record.series = m_Printer.Series();
        record.area = area.name;
        record.areaCode = ToHex(std::span(m_Packet).subspan(2, 2));
        record.checksumOk = true;
        m_Printer.Firmware().push_back(record);
        m_Record = m_Printer.Firmware().size() - 1;
        m_Printer.Event("firmware: erased the " + std::string(area.name) + " area " +
                        Hex32(m_AreaStart) + "-" + Hex32(m_AreaEnd));
        return true;
    }
    m_Printer.Event("firmware: bad erase packet " + ToHex(m_Packet));
    return false;
}

bool FirmwareOldLoader::HandleData() {
    const uint8_t* p = m_Packet.data();
    const uint32_t n = Be16(p + 2), address = Be32(p + 4);
    if (m_AreaEnd == 0) {
        m_Printer.Event("firmware: data packet before any erase");
        return false;
    }
    FirmwareRecord& record = m_Printer.Firmware()[m_Record];
    uint16_t sum = 0;
    for (uint32_t i = 0; i < n; ++i) sum = static_cast<uint16_t>(sum + p[8 + i]);
    if (sum != Be16(p + 8 + n)) {
        record.checksumOk = false;
        m_Printer.Event("firmware: bad checksum at " + Hex32(address));
        return false;
    }
    if (m_Printer.FaultLimits().nakEvery > 0 &&
        ++m_GoodPackets % m_Printer.FaultLimits().nakEvery == 0) {
        m_Printer.Event("firmware: injected NAK at " + Hex32(address));
        return false;
    }
    if (static_cast<int64_t>(address) == m_LastAddress) return true;  // a repeat of the last block
    if (address != m_Position) {
        m_Printer.Event("firmware: block at " + Hex32(address) + ", expected " + Hex32(m_Position));
        return false;
    }
    const bool last = p[1] == kDataLast;
    if (address + n > m_AreaEnd || last != (address + n == m_AreaEnd)) {
        m_Printer.Event("firmware: block at " + Hex32(address) + " of " + std::to_string(n) +
                        " bytes does not match the area end " + Hex32(m_AreaEnd));
        return false;
    }
    for (uint32_t i = 0; i < n; ++i) record.dataFnv1a = (record.dataFnv1a ^ p[8 + i]) * 16777619u;
    record.length += n;
    m_LastAddress = address;
    m_Position += n;
    if (last) {
        record.complete = true;
        record.lengthOk = record.length == m_AreaEnd - m_AreaStart;
        m_Printer.Event("firmware: " + record.area + " area written");
        m_AreaEnd = 0;
        m_Done = true;
    }
    return true;
}

void FirmwareOldLoader::Answer(bool ack) {
    if (!ack && m_Record < m_Printer.Firmware().size() && m_AreaEnd != 0)
        ++m_Printer.Firmware()[m_Record].naks;
    m_Reply({kDle, ack ? kAck : kNak});
}

}  // namespace korva::sim
