#include "logo/DeepPngDecode.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <string>
#include <vector>

#include "logo/BitmapGray.h"
#include "logo/OverWhite.h"

namespace korva::logo {
namespace {

struct MemoryReader {
    const uint8_t* data;
    size_t size;
    size_t at;
    char error[200];  ///< libpng's words for a failure
};

void ReadFromMemory(png_structp png, png_bytep out, size_t count) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (reader->size - reader->at < count) png_error(png, "the file ends early");
    std::memcpy(out, reader->data + reader->at, count);
    reader->at += count;
}

void OnError(png_structp png, png_const_charp message) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    std::snprintf(reader->error, sizeof reader->error, "%s", message);
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

// How a row libpng hands over (8 bits a sample, blue first) becomes the
// bitmap's row of 8-bit values.
enum class RowLayout { Gray, GrayAlpha, Colour, ColourAlpha };

RowLayout LayoutOf(int colourType) {
    const bool alpha = (colourType & PNG_COLOR_MASK_ALPHA) != 0;
    if ((colourType & PNG_COLOR_MASK_COLOR) == 0) return alpha ? RowLayout::GrayAlpha : RowLayout::Gray;
    return alpha ? RowLayout::ColourAlpha : RowLayout::Colour;
}

/// One row into the bitmap's row: gray values as they are, colour as its gray
/// value, both laid on white where the file has alpha. `in` is the work row.
void ToBitmapRow(RowLayout layout, uint8_t* in, uint8_t* out, int width) {
    switch (layout) {
        case RowLayout::Gray: std::memcpy(out, in, static_cast<size_t>(width)); return;
        case RowLayout::GrayAlpha:
            for (int x = 0; x < width; ++x, in += 2) out[x] = OverWhite(in[0], in[1]);
            return;
        case RowLayout::ColourAlpha: {
            // Over white in place, four bytes a pixel to three: the write never passes the read.
            const uint8_t* bgra = in;
            uint8_t* bgr = in;
            for (int x = 0; x < width; ++x, bgra += 4, bgr += 3) {
                const int alpha = bgra[3];
                bgr[0] = OverWhite(bgra[0], alpha);
                bgr[1] = OverWhite(bgra[1], alpha);
                bgr[2] = OverWhite(bgra[2], alpha);
            }
            GrayRowBgr(in, width, out);
            return;
        }
        case RowLayout::Colour: GrayRowBgr(in, width, out); return;
    }
}

/// Reads every row into `pixels` (rows of `stride`); false with the reader's
/// error set. Only plain values live here: libpng leaves by longjmp.
bool ReadRows(png_structp png, png_infop info, uint8_t* pixels, int stride, uint8_t* row, RowLayout layout) {
    if (setjmp(png_jmpbuf(png))) return false;
    const int width = static_cast<int>(png_get_image_width(png, info));
    const int height = static_cast<int>(png_get_image_height(png, info));
    for (int y = 0; y < height; ++y) {
        png_read_row(png, row, nullptr);
        ToBitmapRow(layout, row, pixels + static_cast<size_t>(y) * static_cast<size_t>(stride), width);
    }
    png_read_end(png, nullptr);
    return true;
}

/// libpng reduces each sample to 8 bits (rounded as Qt rounds, v / 257: the
/// tests compare every value) and hands colour over blue first, as GrayRowBgr reads it.
/// The critical chunks' CRCs were checked with the whole file: not again, and
/// not the pixel stream's Adler-32 either: the CRCs guard the same stored bytes.
bool SetUpRows(png_structp png, png_infop info) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_DEFAULT);
    png_set_option(png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
    png_set_scale_16(png);
    png_set_bgr(png);
    png_read_update_info(png, info);
    return true;
}

/// Reads the header; false when libpng refused it (the error set).
bool ReadHeader(png_structp png, png_infop info) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_info(png, info);
    return true;
}

// A gray picture's colour table: each value is the gray of that level, as
// in any 8-bit gray picture.
std::vector<BitmapColour> GrayLevels() {
    std::vector<BitmapColour> table(256);
    for (size_t i = 0; i < 256; ++i) table[i] = {uint8_t(i), uint8_t(i), uint8_t(i)};
    return table;
}

// A colour picture's colour table: each stored value is the gray value the
// conversion reads, and the level one above it has just that gray (the
// weights add up to slightly less than 1). Gray values never exceed 254.
std::vector<BitmapColour> GrayValues() {
    std::vector<BitmapColour> table(256, BitmapColour{255, 255, 255});
    for (size_t i = 0; i < 255; ++i) table[i] = {uint8_t(i + 1), uint8_t(i + 1), uint8_t(i + 1)};
    return table;
}

}  // namespace

std::optional<BitmapDecodeResult> DecodeDeepPng(std::span<const uint8_t> file) {
    static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    // The bit depth is the 25th byte, in IHDR right behind the signature.
    if (file.size() < 33 || std::memcmp(file.data(), kSignature, 8) != 0 || file[24] != 16) return std::nullopt;
    MemoryReader reader{file.data(), file.size(), 0, {}};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &reader, OnError, OnWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return std::nullopt;
    }
    png_set_read_fn(png, &reader, ReadFromMemory);
    std::optional<BitmapDecodeResult> result;
    if (!ReadHeader(png, info)) {
        png_destroy_read_struct(&png, &info, nullptr);
        return std::nullopt;  // Qt's reader says what is wrong with it
    }
    const int colourType = png_get_color_type(png, info);
    if (png_get_bit_depth(png, info) != 16 || png_get_interlace_type(png, info) != PNG_INTERLACE_NONE ||
        png_get_valid(png, info, PNG_INFO_tRNS) || (colourType & PNG_COLOR_MASK_PALETTE) != 0) {
        png_destroy_read_struct(&png, &info, nullptr);
        return std::nullopt;
    }
    result.emplace();
    DecodedBitmap& bmp = result->bitmap;
    bmp.width = static_cast<int>(png_get_image_width(png, info));
    bmp.height = static_cast<int>(png_get_image_height(png, info));
    const int64_t w = bmp.width, h = bmp.height;
    if (w <= 0 || h <= 0 || w > kMaxBitmapSide || h > kMaxBitmapSide || w * h > kMaxBitmapPixels) {
        png_destroy_read_struct(&png, &info, nullptr);
        result->error = {BitmapErrorKind::TooLarge, TooLargeReason(w, h)};
        result->bitmap = {};
        return result;
    }
    const RowLayout layout = LayoutOf(colourType);
    bmp.bitsPerPixel = 8;
    bmp.stride = (bmp.width + 3) / 4 * 4;
    bmp.headerSize = 40;
    bmp.topDown = true;
    bmp.palette = layout == RowLayout::Gray || layout == RowLayout::GrayAlpha ? GrayLevels() : GrayValues();
    bool read = SetUpRows(png, info);
    if (read) {
        bmp.pixels.resize(static_cast<size_t>(bmp.stride) * static_cast<size_t>(bmp.height));
        std::vector<uint8_t> row(png_get_rowbytes(png, info));
        read = ReadRows(png, info, bmp.pixels.data(), bmp.stride, row.data(), layout);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    if (!read) {
        result->error = {BitmapErrorKind::Damaged, std::string("the picture cannot be decoded (") + reader.error + ")"};
        result->bitmap = {};
    }
    return result;
}

}  // namespace korva::logo
