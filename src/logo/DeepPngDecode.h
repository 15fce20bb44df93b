#pragma once
// PNG files of 16 bits a channel, decoded row by row straight into the bitmap
// the conversion reads: each channel reduced to 8 bits as Qt's own conversion
// reduces it (v / 257, rounded), laid on white where the file has alpha, and
// a colour pixel turned into its gray value on the way. Only the result, one
// byte a pixel, is held whole.
#include <cstdint>
#include <optional>
#include <span>

#include "logo/BitmapDecode.h"

namespace korva::logo {

/// The picture of a whole (already checked) PNG file with 16-bit channels,
/// not interlaced and without a transparent colour; nullopt for any other
/// PNG, which Qt's reader decodes as before. Both give an 8-bit bitmap: gray
/// files their levels, colour files the gray values their 24-bit bitmap
/// would give, with a colour table whose gray for each value is that value.
std::optional<BitmapDecodeResult> DecodeDeepPng(std::span<const uint8_t> file);

}  // namespace korva::logo
