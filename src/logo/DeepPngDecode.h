#pragma once
// PNG files of 16 bits a channel, decoded row by row straight into the bitmap
// the conversion reads: each channel reduced to 8 bits as Qt's own conversion
// reduces it (v / 257, rounded), laid on white where the file has alpha. A
// full picture of 8-byte pixels is never held, only the small result.
#include <cstdint>
#include <optional>
#include <span>

#include "logo/BitmapDecode.h"

namespace korva::logo {

/// The picture of a whole (already checked) PNG file with 16-bit channels,
/// not interlaced and without a transparent colour; nullopt for any other
/// PNG, which Qt's reader decodes as before. Gray files give an 8-bit gray
/// bitmap, colour files a 24-bit one.
std::optional<BitmapDecodeResult> DecodeDeepPng(std::span<const uint8_t> file);

/// A 16-bit channel reduced to 8 bits as Qt's conversions reduce it (v / 257,
/// rounded half up, in integers).
constexpr uint8_t EightBits(uint32_t v) { return static_cast<uint8_t>((v * 255 + 32895) >> 16); }

}  // namespace korva::logo
