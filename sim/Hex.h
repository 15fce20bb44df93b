#pragma once
#include <cstdint>
#include <span>
#include <string>

namespace korva::sim {

/// Lower-case hex text of bytes, two digits per byte and no separators.
inline std::string ToHex(std::span<const uint8_t> bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) {
        text.push_back(kDigits[b >> 4]);
        text.push_back(kDigits[b & 0x0F]);
    }
    return text;
}

}  // namespace korva::sim
