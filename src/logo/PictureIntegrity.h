#pragma once
// Whether a PNG, GIF or JPEG file holds all the data its own structure
// announces. Image libraries fill a picture that ends early with gray or black
// and call it read; a logo stored that way prints the fill. Walking the
// file's chunks, blocks or segments finds the early end before any decoder runs.
#include <cstdint>
#include <span>

#include "logo/BitmapDecode.h"

namespace korva::logo {

/// The reason given for a picture that ends before its data does.
inline constexpr const char* kEndsEarlyReason = "the file ends early (damaged or still being copied)";

/// None for a whole file or a format not walked here; Truncated when the file
/// ends inside its data; Damaged when its structure is broken.
BitmapError CheckPictureWhole(std::span<const uint8_t> file);

}  // namespace korva::logo
