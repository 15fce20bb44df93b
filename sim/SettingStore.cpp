#include "SettingStore.h"

#include <cstdio>
#include <vector>

namespace korva::sim {
namespace {

std::string Dec(unsigned value) { return std::to_string(value); }

std::string HexByte(uint8_t b) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", b);
    return text;
}

// One entry of a set-values command: the setting byte and its parameter bytes.
struct Entry {
    uint8_t key;
    std::span<const uint8_t> p;
};

// Turns one entry into (setting number, answer text); false when the
// parameters are outside what the printer accepts for that setting.
bool DecodeEntry(const Entry& e, int* number, std::string* text, std::string* error) {
    const uint8_t a = e.p[0], b = e.p[1];
    *number = e.key;
    auto bad = [&](const char* why) {
        *error = "set-values entry " + HexByte(e.key) + ": " + why;
        return false;
    };
    switch (e.key) {
        case 0x03:  // paper width: 02 58 mm 30 col, 03 58 mm 32 col, 06 80 mm
            if ((a != 2 && a != 3 && a != 6) || b != 0)
                return bad("paper width must be 02/03/06 00");
            *text = Dec(a);
            return true;
        case 0x74:  // paper type: 01 m, m = 01 two-colour, 00 black
            if (a != 1 || b > 1) return bad("paper type must be 01 00 or 01 01");
            *text = b ? "257" : "1";
            return true;
        case 0x76:  // two-colour density in percent, then 00
            if (b != 0) return bad("density must end in 00");
            *text = Dec(a);
            return true;
        case 0xF2:  // water mark: 00 i, i = image number, 0 disables
            if (a != 0) return bad("water mark must begin 00");
            *text = b ? "1" + Dec(b) : "0";
            return true;
        case 0xF3:  // cutting position: 01 l = on with l lines, 00 00 = off
            if (a > 1 || (a == 0 && b != 0)) return bad("cutting position must be 01 l or 00 00");
            *text = a ? "1" + Dec(b) : "0";
            return true;
        case 0xF4:  // drawer open with cutting: 00 01 / 00 00
            if (a != 0 || b > 1) return bad("drawer with cutting must be 00 00 or 00 01");
            *text = Dec(b);
            return true;
        case 0xF5:  // kitchen bell: type 0..4, times 1..5
            if (a > 4 || b < 1 || b > 5) return bad("bell needs type 0..4 and times 1..5");
            *text = std::string(1, static_cast<char>('0' + a)) + static_cast<char>('0' + b);
            return true;
        case 0xF6:  // default code page number, then 00
            if (b != 0) return bad("code page must end in 00");
            *text = Dec(a);
            return true;
        case 0x01:  // NV user memory 1..5 = 64..320 KB
            if (a < 1 || a > 5 || b != 0) return bad("NV user memory must be 01..05 00");
            *text = Dec(a);
            return true;
        case 0x02:  // NV graphic memory 1..7 = 0..384 KB
            if (a < 1 || a > 7 || b != 0) return bad("NV graphic memory must be 01..07 00");
            *text = Dec(a);
            return true;
        case 0xF7:  // cutting mode: 01 01 full, 00 01 partial
        case 0xF8:  // reserved switch: 01 01 off, 00 01 on
        case 0xFB:  // drawer open in self-test: 01 01 disable, 00 01 enable
        case 0xFD:  // stop bits: 01 01 two, 00 01 one
            if (a > 1 || b != 1) return bad("switch must be 00 01 or 01 01");
            *text = Dec(a);
            return true;
        case 0xF9:  // print speed in mm/s, little-endian
        case 0xFA:  // left margin in dots, little-endian
            *text = Dec(a | (b << 8));
            return true;
        case 0xFC:  // receive buffer as two ASCII digits: "64", "32", "20", "04"
            if (a < '0' || a > '9' || b < '0' || b > '9')
                return bad("receive buffer must be two digits");
            *text = std::string{static_cast<char>(a), static_cast<char>(b)};
            return true;
        case 0xFF: {  // customer setup code, 32-bit little-endian, then 04
            if (e.p[4] != 0x04) return bad("setup code must end in 04");
            uint32_t code = e.p[0] | (e.p[1] << 8) | (e.p[2] << 16) | (uint32_t(e.p[3]) << 24);
            *text = Dec(code);
            return true;
        }
        default:
            return bad("unknown setting");
    }
}

}  // namespace

SettingStore::SettingStore() {
    // Factory state: 80 mm, black paper, medium density, no water mark, no cut
    // adjustment, no drawer, bell type 1 three times, code page 0, 384 KB NV
    // graphics, 64 KB NV user, partial cut, 220 mm/s, reserved off, no self-test
    // drawer, one stop bit, 4 KB receive buffer, margin 0, setup code 0.
    m_Values = {{3, "6"},    {116, "1"}, {118, "85"}, {242, "0"},  {243, "0"}, {244, "0"},
                {245, "13"}, {246, "0"}, {1, "1"},    {2, "7"},    {247, "0"}, {249, "220"},
                {248, "1"},  {251, "1"}, {253, "0"},  {252, "04"}, {250, "0"}, {255, "0"}};
}

std::optional<std::string> SettingStore::Answer(int number) const {
    auto it = m_Values.find(number);
    if (it == m_Values.end()) return std::nullopt;
    return it->second;
}

bool SettingStore::ApplySetValues(std::span<const uint8_t> entries, std::string* error) {
    std::vector<std::pair<int, std::string>> decoded;
    size_t pos = 0;
    while (pos < entries.size()) {
        uint8_t key = entries[pos];
        size_t params = key == 0xFF ? 5 : 2;
        if (entries.size() - pos - 1 < params) {
            *error = "set-values entry " + HexByte(key) + " is cut short";
            return false;
        }
        int number = 0;
        std::string text;
        if (!DecodeEntry({key, entries.subspan(pos + 1, params)}, &number, &text, error))
            return false;
        decoded.emplace_back(number, text);
        pos += 1 + params;
    }
    for (auto& [number, text] : decoded)
        if (!m_Fixed.count(number)) m_Values[number] = text;
    return true;
}

size_t SettingStore::NvGraphicsBytes() const {
    // Setting 2 holds 1..7 for 0, 64, ..., 384 KB.
    const std::string& text = m_Values.at(2);
    if (text.size() != 1 || text[0] < '1' || text[0] > '7') return 0;
    return static_cast<size_t>(text[0] - '1') * 64 * 1024;
}

}  // namespace korva::sim
