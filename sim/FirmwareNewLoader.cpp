#include "FirmwareNewLoader.h"

#include <array>
#include <initializer_list>

#include "Hex.h"
#include "Printer.h"

namespace korva::sim {
namespace {

struct Area {
    std::array<uint8_t, 4> code;  // as sent: the 32-bit area code, little-endian
    const char* name;
    std::initializer_list<uint32_t> series1Lengths;  // first generation ("K20" images)
    std::initializer_list<uint32_t> series3Lengths;  // KORVA20II ("K22", "K23", "K24")
};

const Area kAreas[] = {
    {{0x01, 0x11, 0x51, 0x04}, "program", {0x60000}, {0x50000}},
    {{0x01, 0x11, 0x61, 0x05}, "program", {}, {0x60000}},
    {{0x01, 0x11, 0x42, 0x04}, "boot", {0x4000}, {0x4000}},
    {{0x01, 0x11, 0x44, 0x04}, "downloader", {0x30000}, {0x20000, 0x10000}},
    {{0x01, 0x11, 0x46, 0x04}, "extfont", {0x100000}, {0x100000}},
};

constexpr uint32_t kMinLength = 10;        // area code, length, checksum
constexpr uint32_t kMaxLength = 0x100000;  // the largest area

const Area* FindArea(const std::vector<uint8_t>& held) {
    for (const Area& area : kAreas)
        if (std::equal(area.code.begin(), area.code.end(), held.begin())) return &area;
    return nullptr;
}

}  // namespace

void FirmwareNewLoader::Begin() {
    m_Phase = Phase::AreaCode;
    m_Held.clear();
}

bool FirmwareNewLoader::AreaCodePrefixValid() const {
    for (const Area& area : kAreas)
        if (std::equal(m_Held.begin(), m_Held.end(), area.code.begin())) return true;
    return false;
}

FirmwareNewLoader::Step FirmwareNewLoader::Feed(uint8_t b) {
    switch (m_Phase) {
        case Phase::AreaCode:
            m_Held.push_back(b);
            if (!AreaCodePrefixValid()) {
                m_Held.pop_back();
                return Step::Reject;
            }
            if (m_Held.size() == 4) m_Phase = Phase::Length;
            return Step::More;
        case Phase::Length:
            m_Held.push_back(b);
            if (m_Held.size() < 8) return Step::More;
            m_Length =
                m_Held[4] | (m_Held[5] << 8) | (m_Held[6] << 16) | (uint32_t(m_Held[7]) << 24);
            StartBody();
            if (m_Length < kMinLength || m_Length > kMaxLength) return Step::Done;
            m_Phase = Phase::Body;
            return Step::More;
        case Phase::Body:
            --m_BodyLeft;
            if (m_BodyLeft >= 2) {
                m_Sum = static_cast<uint16_t>(m_Sum + b);
                FirmwareRecord& record = m_Printer.Firmware()[m_Record];
                record.dataFnv1a = (record.dataFnv1a ^ b) * 16777619u;
                return Step::More;
            }
            if (m_BodyLeft == 1) {
                m_ChecksumLow = b;
                return Step::More;
            }
            Finish(static_cast<uint16_t>(m_ChecksumLow | (b << 8)));
            return Step::Done;
    }
    return Step::Done;
}

void FirmwareNewLoader::StartBody() {
    const Area* area = FindArea(m_Held);
    FirmwareRecord record;
    record.series = m_Printer.Series();
    record.area = area->name;
    record.areaCode = ToHex(std::span(m_Held).first(4));
    record.length = m_Length;
    const auto& allowed = m_Printer.Series() == 1 ? area->series1Lengths : area->series3Lengths;
    for (uint32_t length : allowed) record.lengthOk = record.lengthOk || length == m_Length;
    m_Printer.Firmware().push_back(record);
    m_Record = m_Printer.Firmware().size() - 1;
    m_Sum = 0;
    m_BodyLeft = m_Length - 8;
    if (m_Length < kMinLength || m_Length > kMaxLength)
        m_Printer.Event("firmware: packet length " + std::to_string(m_Length) +
                        " is impossible; packet dropped");
    else
        m_Printer.Event("firmware: download packet for the " + record.area + " area, " +
                        std::to_string(m_Length) + " bytes");
    m_Printer.Changed();
}

void FirmwareNewLoader::Finish(uint16_t checksum) {
    FirmwareRecord& record = m_Printer.Firmware()[m_Record];
    record.complete = true;
    record.checksumOk = checksum == m_Sum;
    m_Printer.Event(std::string("firmware: packet received, checksum ") +
                    (record.checksumOk ? "good" : "bad") + ", length " +
                    (record.lengthOk ? "good" : "wrong for this series"));
    m_Printer.Changed();
    // The loader writes its flash, sounds the buzzer and switches off.
    m_Printer.PowerOff();
    m_Printer.Changed();
}

}  // namespace korva::sim
