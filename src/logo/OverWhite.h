#pragma once
// Pictures with transparency are laid on white paper before they convert.
#include <cstdint>

namespace korva::logo {

/// Blends one channel of a pixel of opacity `alpha` over white paper.
constexpr uint8_t OverWhite(int channel, int alpha) {
    return static_cast<uint8_t>((channel * alpha + 255 * (255 - alpha) + 127) / 255);
}

}  // namespace korva::logo
