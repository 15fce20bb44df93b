#include "logo/DeepPngDecode.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <string>
#include <vector>

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

/// One row of the file's 16-bit samples (big-endian) into the bitmap's row.
void ReduceRow(const uint8_t* in, uint8_t* out, int width, int channels) {
    const auto sample = [](const uint8_t* p) { return static_cast<uint32_t>(p[0] << 8 | p[1]); };
    for (int x = 0; x < width; ++x, in += 2 * channels) {
        switch (channels) {
            case 1: *out++ = EightBits(sample(in)); break;
            case 2: *out++ = OverWhite(EightBits(sample(in)), EightBits(sample(in + 2))); break;
            default: {
                const int alpha = channels == 4 ? EightBits(sample(in + 6)) : 255;
                *out++ = OverWhite(EightBits(sample(in + 4)), alpha);  // blue
                *out++ = OverWhite(EightBits(sample(in + 2)), alpha);  // green
                *out++ = OverWhite(EightBits(sample(in)), alpha);      // red
            }
        }
    }
}

/// Reads every row into `pixels` (rows of `stride`); false with the reader's
/// error set. Only plain values live here: libpng leaves by longjmp.
bool ReadRows(png_structp png, png_infop info, uint8_t* pixels, int stride, uint8_t* row, int channels) {
    if (setjmp(png_jmpbuf(png))) return false;
    const int width = static_cast<int>(png_get_image_width(png, info));
    const int height = static_cast<int>(png_get_image_height(png, info));
    for (int y = 0; y < height; ++y) {
        png_read_row(png, row, nullptr);
        ReduceRow(row, pixels + static_cast<size_t>(y) * static_cast<size_t>(stride), width, channels);
    }
    png_read_end(png, nullptr);
    return true;
}

/// Reads the header; false when libpng refused it (the error set).
bool ReadHeader(png_structp png, png_infop info) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_info(png, info);
    return true;
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
    const int channels = png_get_channels(png, info);
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
    const bool gray = (colourType & PNG_COLOR_MASK_COLOR) == 0;
    bmp.bitsPerPixel = gray ? 8 : 24;
    bmp.stride = (bmp.width * bmp.bitsPerPixel / 8 + 3) / 4 * 4;
    bmp.headerSize = 40;
    bmp.topDown = true;
    if (gray) {
        bmp.palette.resize(256);
        for (size_t i = 0; i < 256; ++i) bmp.palette[i] = {uint8_t(i), uint8_t(i), uint8_t(i)};
    }
    bmp.pixels.resize(static_cast<size_t>(bmp.stride) * static_cast<size_t>(bmp.height));
    std::vector<uint8_t> row(png_get_rowbytes(png, info));
    const bool read = ReadRows(png, info, bmp.pixels.data(), bmp.stride, row.data(), channels);
    png_destroy_read_struct(&png, &info, nullptr);
    if (!read) {
        result->error = {BitmapErrorKind::Damaged, std::string("the picture cannot be decoded (") + reader.error + ")"};
        result->bitmap = {};
    }
    return result;
}

}  // namespace korva::logo
