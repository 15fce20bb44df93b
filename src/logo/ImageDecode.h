#pragma once
// Logo pictures in the formats Qt's image plugins read (PNG, GIF, JPEG, TIFF,
// WebP, ...). The picture is laid on white paper, its transparency blended
// away, and handed on as the 24-bit bitmap of those pixels, so it converts
// exactly as a 24-bit .bmp file of the same pixels would.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "logo/BitmapDecode.h"
#include "logo/OverWhite.h"

namespace korva::logo {

/// Most memory a picture may take while Qt decodes it, in MB: room for the
/// largest accepted image at 8 bytes a pixel (16-bit channels).
inline constexpr int kImageDecodeLimitMB = 320;

/// What a picture's header says, read without unpacking a pixel.
struct ImageHeader {
    BitmapError error;
    int width = 0;   ///< upright: after the turn the orientation tag asks for;
    int height = 0;  ///< both 0 when the format tells its size only with the pixels
    bool ok() const { return error.kind == BitmapErrorKind::None; }
};

/// Reads only the header: refused when no plugin reads the bytes or when the
/// size is beyond the bitmap size limits.
/// `formatHint` is the file name's suffix ("tga"), tried before the bytes are
/// sniffed: a format without a signature (TGA) is otherwise taken for another.
ImageHeader ReadImageHeader(std::span<const uint8_t> file, std::string_view formatHint = {});

/// Decodes a picture file's bytes. Refuses bytes no image plugin reads, files
/// that end early or whose decoder reports corrupt data, and pictures beyond
/// the bitmap size limits before their pixels are unpacked (a small file that
/// unpacks to gigabytes never gets its memory). What the decoder said is in
/// decoderWords, and never on the terminal.
BitmapDecodeResult DecodeImageFile(std::span<const uint8_t> file, std::string_view formatHint = {});

}  // namespace korva::logo
