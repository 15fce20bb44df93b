#include "cli/TextWidth.h"

#include <cstdint>

namespace korva::cli {

namespace {

bool IsWide(uint32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
           (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF) ||
           (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
           (c >= 0x20000 && c <= 0x3FFFD);
}

bool IsCombining(uint32_t c) {
    return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1160 && c <= 0x11FF) || c == 0x200B ||
           (c >= 0xFE00 && c <= 0xFE0F);
}

}  // namespace

size_t DisplayWidth(std::string_view text) {
    size_t width = 0;
    for (size_t i = 0; i < text.size();) {
        const auto lead = static_cast<uint8_t>(text[i]);
        const size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3
                              : (lead >> 3) == 0x1E ? 4 : 0;
        bool valid = length > 0 && i + length <= text.size();
        uint32_t c = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
        for (size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<uint8_t>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        if (!valid) {
            width += 1;
            i += 1;
            continue;
        }
        width += IsCombining(c) ? 0 : IsWide(c) ? 2 : 1;
        i += length;
    }
    return width;
}

std::string PadToWidth(std::string_view text, size_t columns) {
    const size_t width = DisplayWidth(text);
    std::string out(text);
    if (width < columns) out.append(columns - width, ' ');
    return out;
}

}  // namespace korva::cli
