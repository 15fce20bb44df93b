#pragma once
// Windows bitmap (.bmp) reader: turns a file's bytes into rows of pixels, a
// colour table and channel masks, or into a typed refusal with a reason a
// person can act on. Reads nothing outside the given bytes.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace korva::logo {

enum class BitmapErrorKind {
    None,
    FileUnreadable,          ///< the file cannot be opened or read
    Truncated,               ///< the file ends before a header, table or row it needs
    NotBitmap,               ///< no "BM" signature
    UnsupportedHeader,       ///< information header of an unknown size
    BadDimensions,           ///< zero, negative or unrepresentable width/height
    TooLarge,                ///< more pixels than a logo can sensibly have
    TooManyBitsPerPixel,     ///< more than 32 bits per pixel
    UnsupportedDepth,        ///< a depth other than 1, 2, 4, 8, 16, 24, 32
    UnsupportedCompression,  ///< JPEG, PNG, Huffman, CMYK, or a mismatched depth
    BadColourTable,          ///< table missing, absurd or outside the file
    BadMasks,                ///< zero, overlapping or non-contiguous bit fields
    BadPixelOffset,          ///< pixel data starts inside the headers or past the end
    BadRle,                  ///< a run or jump passes the last row, or the data ends early
    IndexBeyondColourTable,  ///< a pixel names a colour the table does not have
    Damaged,                 ///< a picture whose structure or decoder reports corrupt data
};

struct BitmapError {
    BitmapErrorKind kind = BitmapErrorKind::None;
    std::string reason;  ///< one line for a person, e.g. "width is 0"
};

struct BitmapColour {
    uint8_t blue = 0, green = 0, red = 0;
};

/// Where one colour channel sits in a 16- or 32-bit pixel.
struct ChannelMask {
    uint32_t mask = 0;
    int shift = 0;  ///< position of the lowest mask bit
    int bits = 0;   ///< number of mask bits (contiguous)
};

/// A decoded bitmap. RLE data is expanded into uncompressed rows of its depth;
/// rows keep the file's order (`topDown` tells which).
struct DecodedBitmap {
    int width = 0;
    int height = 0;             ///< always positive
    uint16_t bitsPerPixel = 0;  ///< 1, 2, 4, 8, 16, 24 or 32
    int stride = 0;             ///< bytes per row, a multiple of 4
    bool topDown = false;
    int headerSize = 0;                 ///< 12 (OS/2 core), 40, 52, 56, 64, 108 or 124
    uint32_t compression = 0;           ///< as in the file: 0 none, 1 RLE8, 2 RLE4, 3/6 bit fields
    std::vector<uint8_t> pixels;        ///< height rows of stride bytes from pixelOffset
    size_t pixelOffset = 0;             ///< where the rows start in `pixels`
    std::vector<BitmapColour> palette;  ///< depths 1..8
    ChannelMask red, green, blue;       ///< depths 16 and 32

    /// Row of image line y (0 = top line).
    const uint8_t* Row(int y) const {
        const int stored = topDown ? y : height - 1 - y;
        return pixels.data() + pixelOffset +
               static_cast<size_t>(stored) * static_cast<size_t>(stride);
    }
};

struct BitmapDecodeResult {
    DecodedBitmap bitmap;
    BitmapError error;
    std::string decoderWords;  ///< what a picture's decoder said while reading, lines joined by "; "

    bool ok() const { return error.kind == BitmapErrorKind::None; }
};

/// Largest image accepted, in pixels: far beyond what 384 KB of NV memory
/// holds, small enough that the work buffers stay modest.
inline constexpr int64_t kMaxBitmapPixels = int64_t{1} << 25;
/// Longest side accepted: what the printer's 16-bit byte count x can carry.
inline constexpr int64_t kMaxBitmapSide = 0xFFFF * 8;

/// Reads a whole .bmp file image.
BitmapDecodeResult DecodeBitmap(std::span<const uint8_t> file);
/// The same, taking the file's buffer: uncompressed rows are used in place.
BitmapDecodeResult DecodeBitmap(std::vector<uint8_t>&& file);

/// Says why an image of width x height pixels cannot be taken, or "" when it can.
using ImageSizeCheck = std::function<std::string(int width, int height)>;

/// Why an image beyond kMaxBitmapPixels or kMaxBitmapSide is refused, with the limits.
std::string TooLargeReason(int64_t width, int64_t height);

/// Text of an error for messages: "<reason>" or a generic line when empty.
std::string DescribeBitmapError(const BitmapError& error);

}  // namespace korva::logo
