#pragma once
// Logo pictures in the formats Qt's image plugins read (PNG, GIF, JPEG, TIFF,
// WebP, ...). The picture is laid on white paper, its transparency blended
// away, and handed on as the 24-bit bitmap of those pixels, so it converts
// exactly as a 24-bit .bmp file of the same pixels would.
#include <cstdint>
#include <span>

#include "logo/BitmapDecode.h"

namespace korva::logo {

/// Most memory a picture may take while Qt decodes it, in MB: room for the
/// largest accepted image at 8 bytes a pixel (16-bit channels).
inline constexpr int kImageDecodeLimitMB = 320;

/// Decodes a picture file's bytes. Refuses bytes no image plugin reads, and
/// pictures beyond the bitmap size limits before their pixels are unpacked
/// (a small file that unpacks to gigabytes never gets its memory).
BitmapDecodeResult DecodeImageFile(std::span<const uint8_t> file);

/// Blends one channel of a pixel of opacity `alpha` over white paper.
constexpr uint8_t OverWhite(int channel, int alpha) {
    return static_cast<uint8_t>((channel * alpha + 255 * (255 - alpha) + 127) / 255);
}

}  // namespace korva::logo
