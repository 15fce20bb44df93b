#include "logo/BitmapDecode.h"

#include <bit>
#include <limits>

#include "logo/BitmapRle.h"

namespace korva::logo {
namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiJpeg = 4, kBiPng = 5,
                   kBiAlphaBitfields = 6;

uint16_t U16(std::span<const uint8_t> b, size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}
uint32_t U32(std::span<const uint8_t> b, size_t at) {
    return static_cast<uint32_t>(b[at]) | (static_cast<uint32_t>(b[at + 1]) << 8) |
           (static_cast<uint32_t>(b[at + 2]) << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

// What the headers say, before anything is checked against the pixel data.
struct Layout {
    uint32_t fileSize = 0;     // the header's file size field
    uint32_t pixelOffset = 0;  // where the pixel array starts
    uint32_t headerSize = 0;
    int64_t width = 0, height = 0;
    uint16_t bitsPerPixel = 0;
    uint32_t compression = kBiRgb;
    uint32_t imageSize = 0;
    uint32_t coloursUsed = 0;
    size_t paletteStart = 0;
    size_t paletteEntrySize = 4;
    bool hasMasks = false;
    uint32_t masks[3] = {0, 0, 0};  // red, green, blue
};

BitmapDecodeResult Fail(BitmapErrorKind kind, std::string reason) {
    BitmapDecodeResult result;
    result.error = {kind, std::move(reason)};
    return result;
}

bool KnownHeaderSize(uint32_t size) {
    return size == 12 || size == 40 || size == 52 || size == 56 || size == 64 || size == 108 ||
           size == 124;
}

// Reads the file header and the information header; the error kind is None on success.
BitmapError ReadLayout(std::span<const uint8_t> file, Layout& l) {
    if (file.size() < kFileHeaderSize + 4)
        return {BitmapErrorKind::Truncated, "the file is too short to be a bitmap"};
    if (file[0] != 'B' || file[1] != 'M')
        return {BitmapErrorKind::NotBitmap, "the file does not start with the bitmap mark \"BM\""};
    l.fileSize = U32(file, 2);
    l.pixelOffset = U32(file, 10);
    l.headerSize = U32(file, 14);
    if (!KnownHeaderSize(l.headerSize))
        return {BitmapErrorKind::UnsupportedHeader,
                "unknown information header size " + std::to_string(l.headerSize)};
    if (file.size() < kFileHeaderSize + l.headerSize)
        return {BitmapErrorKind::Truncated, "the file ends inside its information header"};
    if (l.headerSize == 12) {  // OS/2 core header: 16-bit sizes, 3-byte colour entries
        l.width = U16(file, 18);
        l.height = U16(file, 20);
        l.bitsPerPixel = U16(file, 24);
        l.paletteEntrySize = 3;
    } else {
        l.width = static_cast<int32_t>(U32(file, 18));
        l.height = static_cast<int32_t>(U32(file, 22));
        l.bitsPerPixel = U16(file, 28);
        l.compression = U32(file, 30);
        l.imageSize = U32(file, 34);
        l.coloursUsed = U32(file, 46);
    }
    l.paletteStart = kFileHeaderSize + l.headerSize;
    const bool bitfields = l.compression == kBiBitfields || l.compression == kBiAlphaBitfields;
    if (bitfields && l.headerSize != 64) {
        // A 40-byte header is followed by the masks; longer ones hold them.
        size_t at = kFileHeaderSize + 40;
        if (l.headerSize == 40) {
            const size_t maskBytes = l.compression == kBiAlphaBitfields ? 16 : 12;
            if (file.size() < at + maskBytes)
                return {BitmapErrorKind::Truncated, "the file ends inside its colour masks"};
            l.paletteStart += maskBytes;
        }
        for (uint32_t& mask : l.masks) {
            mask = U32(file, at);
            at += 4;
        }
        l.hasMasks = true;
    }
    return {};
}

BitmapError CheckGeometry(const Layout& l) {
    if (l.width <= 0)
        return {BitmapErrorKind::BadDimensions, "width is " + std::to_string(l.width)};
    if (l.height == 0 || l.height == std::numeric_limits<int32_t>::min())
        return {BitmapErrorKind::BadDimensions, "height is " + std::to_string(l.height)};
    const int64_t height = l.height < 0 ? -l.height : l.height;
    if (l.width > kMaxBitmapSide || height > kMaxBitmapSide || l.width * height > kMaxBitmapPixels)
        return {BitmapErrorKind::TooLarge, TooLargeReason(l.width, height)};
    const int bpp = l.bitsPerPixel;
    if (bpp > 32)
        return {BitmapErrorKind::TooManyBitsPerPixel,
                std::to_string(bpp) + " bits per pixel (at most 32 are supported)"};
    if (bpp != 1 && bpp != 2 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
        return {BitmapErrorKind::UnsupportedDepth, std::to_string(bpp) + " bits per pixel"};
    if (l.headerSize == 12 && (bpp == 2 || bpp == 16 || bpp == 32))
        return {BitmapErrorKind::UnsupportedDepth,
                std::to_string(bpp) + " bits per pixel in an OS/2 bitmap"};
    const uint32_t c = l.compression;
    const bool bitfields = c == kBiBitfields || c == kBiAlphaBitfields;
    if (l.headerSize == 64 && c > kBiRle4)  // OS/2 2.x: 3 is Huffman 1D, 4 is RLE24
        return {BitmapErrorKind::UnsupportedCompression,
                "OS/2 compression type " + std::to_string(c)};
    if (c == kBiJpeg || c == kBiPng)
        return {BitmapErrorKind::UnsupportedCompression, "JPEG or PNG data inside a bitmap"};
    if (c == kBiRle8 && bpp != 8)
        return {BitmapErrorKind::UnsupportedCompression, "RLE8 compression needs 8 bits per pixel"};
    if (c == kBiRle4 && bpp != 4)
        return {BitmapErrorKind::UnsupportedCompression, "RLE4 compression needs 4 bits per pixel"};
    if (bitfields && bpp != 16 && bpp != 32)
        return {BitmapErrorKind::UnsupportedCompression,
                "bit-field masks with " + std::to_string(bpp) + " bits per pixel"};
    if (c > kBiAlphaBitfields)
        return {BitmapErrorKind::UnsupportedCompression, "compression type " + std::to_string(c)};
    if ((c == kBiRle8 || c == kBiRle4) && l.height < 0)
        return {BitmapErrorKind::UnsupportedCompression, "compressed rows stored top-down"};
    return {};
}

BitmapError MakeMask(uint32_t mask, int bpp, const char* name, ChannelMask& out) {
    const uint32_t allowed = bpp == 16 ? 0xFFFFu : 0xFFFFFFFFu;
    if (mask == 0 || (mask & ~allowed) != 0)
        return {BitmapErrorKind::BadMasks, std::string("the ") + name + " mask is unusable"};
    const int shift = std::countr_zero(mask);
    const uint32_t bits = mask >> shift;
    if ((bits & (bits + 1)) != 0)
        return {BitmapErrorKind::BadMasks, std::string("the ") + name + " mask is not contiguous"};
    out = {mask, shift, std::popcount(mask)};
    return {};
}

BitmapError ReadMasks(const Layout& l, DecodedBitmap& bmp) {
    uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};  // 16 bits: 5-5-5, bit 15 unused
    if (l.bitsPerPixel == 32) {
        masks[0] = 0x00FF0000;
        masks[1] = 0x0000FF00;
        masks[2] = 0x000000FF;
    }
    if (l.hasMasks) std::copy(std::begin(l.masks), std::end(l.masks), masks);
    if ((masks[0] & masks[1]) || (masks[0] & masks[2]) || (masks[1] & masks[2]))
        return {BitmapErrorKind::BadMasks, "the colour masks overlap"};
    if (auto e = MakeMask(masks[0], l.bitsPerPixel, "red", bmp.red);
        e.kind != BitmapErrorKind::None)
        return e;
    if (auto e = MakeMask(masks[1], l.bitsPerPixel, "green", bmp.green);
        e.kind != BitmapErrorKind::None)
        return e;
    return MakeMask(masks[2], l.bitsPerPixel, "blue", bmp.blue);
}

// The colour table lies in the bytes after the 14-byte file header up to the
// file size the header states (the tail the loader reads), and in the file.
BitmapError ReadPalette(std::span<const uint8_t> file, const Layout& l, DecodedBitmap& bmp) {
    const uint64_t declared = l.coloursUsed;
    const uint64_t tableEnd = l.paletteStart + declared * l.paletteEntrySize;
    if (declared > 0 && tableEnd > file.size())
        return {BitmapErrorKind::BadColourTable, "the colour table of " + std::to_string(declared) +
                                                     " entries runs past the end of the file"};
    if (l.bitsPerPixel > 8) return {};
    const uint64_t full = uint64_t{1} << l.bitsPerPixel;
    uint64_t entries = (declared == 0 || declared > full) ? full : declared;
    // A table cut short by the pixel data (OS/2 files, sparse writers) holds what fits.
    entries = std::min<uint64_t>(entries, (l.pixelOffset - l.paletteStart) / l.paletteEntrySize);
    const uint64_t end = l.paletteStart + entries * l.paletteEntrySize;
    if (entries == 0) return {BitmapErrorKind::BadColourTable, "the colour table is missing"};
    if (end > l.fileSize || end > file.size())
        return {BitmapErrorKind::BadColourTable, "the colour table runs past the end of the file"};
    bmp.palette.resize(entries);
    for (uint64_t i = 0; i < entries; ++i) {
        const size_t at = l.paletteStart + i * l.paletteEntrySize;
        bmp.palette[i] = {file[at], file[at + 1], file[at + 2]};
    }
    return {};
}

BitmapError CheckPixelOffset(std::span<const uint8_t> file, const Layout& l) {
    if (l.pixelOffset < l.paletteStart || l.pixelOffset >= file.size())
        return {BitmapErrorKind::BadPixelOffset,
                "the pixel data offset " + std::to_string(l.pixelOffset) +
                    " points into the headers or past the end of the file"};
    return {};
}

// `owned` is the vector `file` views, when the caller handed it over: complete
// uncompressed rows are then used where they lie instead of being copied.
BitmapError ReadPixels(std::span<const uint8_t> file, const Layout& l, DecodedBitmap& bmp,
                       std::vector<uint8_t>* owned) {
    const size_t rows = static_cast<size_t>(bmp.height);
    const size_t stride = static_cast<size_t>(bmp.stride);
    std::span<const uint8_t> data = file.subspan(l.pixelOffset);
    if (l.compression == kBiRle8 || l.compression == kBiRle4) {
        bmp.pixels.assign(rows * stride, 0);
        if (l.imageSize > data.size())
            return {BitmapErrorKind::BadPixelOffset,
                    "the compressed data runs past the end of the file"};
        if (l.imageSize > 0) data = data.first(l.imageSize);
        std::string reason =
            ExpandRle(data, bmp.bitsPerPixel, bmp.width, bmp.height, bmp.stride, bmp.pixels);
        if (!reason.empty()) return {BitmapErrorKind::BadRle, reason};
        return {};
    }
    // The last row may go without its padding; everything else must be present.
    const size_t used = (static_cast<size_t>(bmp.width) * bmp.bitsPerPixel + 7) / 8;
    const size_t needed = (rows - 1) * stride + used;
    if (data.size() < needed)
        return {BitmapErrorKind::Truncated, "the pixel data needs " + std::to_string(needed) +
                                                " bytes but the file holds " +
                                                std::to_string(data.size())};
    if (owned != nullptr && data.size() >= rows * stride) {
        bmp.pixels = std::move(*owned);  // same buffer: `file` stays valid
        bmp.pixelOffset = l.pixelOffset;
        return {};
    }
    const size_t copied = std::min(data.size(), rows * stride);
    bmp.pixels.assign(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(copied));
    bmp.pixels.resize(rows * stride, 0);
    return {};
}

// Every colour index must name an entry of the (possibly short) colour table.
BitmapError CheckIndices(const DecodedBitmap& bmp) {
    const size_t entries = bmp.palette.size();
    const int bpp = bmp.bitsPerPixel;
    if (entries >= (size_t{1} << bpp)) return {};
    for (int y = 0; y < bmp.height; ++y) {
        const uint8_t* row = bmp.Row(y);
        for (int x = 0; x < bmp.width; ++x) {
            const int bit = x * bpp;
            const int index = (row[bit / 8] >> (8 - bpp - bit % 8)) & ((1 << bpp) - 1);
            if (static_cast<size_t>(index) >= entries)
                return {BitmapErrorKind::IndexBeyondColourTable,
                        "pixel (" + std::to_string(x) + ", " + std::to_string(y) +
                            ") uses colour " + std::to_string(index) + " of a table of " +
                            std::to_string(entries)};
        }
    }
    return {};
}

}  // namespace

namespace {

BitmapDecodeResult Decode(std::span<const uint8_t> file, std::vector<uint8_t>* owned) {
    Layout layout;
    if (BitmapError e = ReadLayout(file, layout); e.kind != BitmapErrorKind::None)
        return Fail(e.kind, e.reason);
    if (BitmapError e = CheckGeometry(layout); e.kind != BitmapErrorKind::None)
        return Fail(e.kind, e.reason);
    // The loader reads the bytes after the file header as far as the file size
    // field says; a file shorter than that is refused.
    if (layout.fileSize < kFileHeaderSize + layout.headerSize)
        return Fail(BitmapErrorKind::Truncated, "the file size field (" +
                                                    std::to_string(layout.fileSize) +
                                                    ") is smaller than the headers");
    if (layout.fileSize > file.size())
        return Fail(BitmapErrorKind::Truncated, "the file holds " + std::to_string(file.size()) +
                                                    " bytes but its header promises " +
                                                    std::to_string(layout.fileSize));
    BitmapDecodeResult result;
    DecodedBitmap& bmp = result.bitmap;
    bmp.width = static_cast<int>(layout.width);
    bmp.height = static_cast<int>(layout.height < 0 ? -layout.height : layout.height);
    bmp.topDown = layout.height < 0;
    bmp.bitsPerPixel = layout.bitsPerPixel;
    bmp.stride = static_cast<int>(4 * ((layout.width * layout.bitsPerPixel + 31) / 32));
    bmp.headerSize = static_cast<int>(layout.headerSize);
    bmp.compression = layout.compression;
    BitmapError e = CheckPixelOffset(file, layout);
    if (e.kind == BitmapErrorKind::None) e = ReadPalette(file, layout, bmp);
    if (e.kind == BitmapErrorKind::None && (bmp.bitsPerPixel == 16 || bmp.bitsPerPixel == 32))
        e = ReadMasks(layout, bmp);
    if (e.kind == BitmapErrorKind::None) e = ReadPixels(file, layout, bmp, owned);
    if (e.kind == BitmapErrorKind::None && bmp.bitsPerPixel <= 8) e = CheckIndices(bmp);
    if (e.kind != BitmapErrorKind::None) return Fail(e.kind, e.reason);
    return result;
}

}  // namespace

BitmapDecodeResult DecodeBitmap(std::span<const uint8_t> file) { return Decode(file, nullptr); }

BitmapDecodeResult DecodeBitmap(std::vector<uint8_t>&& file) {
    return Decode({file.data(), file.size()}, &file);
}

std::string TooLargeReason(int64_t width, int64_t height) {
    return "the image of " + std::to_string(width) + " x " + std::to_string(height) +
           " pixels is too large (at most " + std::to_string(kMaxBitmapPixels) + " pixels and " +
           std::to_string(kMaxBitmapSide) + " a side)";
}

std::string DescribeBitmapError(const BitmapError& error) {
    if (error.kind == BitmapErrorKind::None) return {};
    return error.reason.empty() ? std::string("the file is not a usable bitmap") : error.reason;
}

}  // namespace korva::logo
