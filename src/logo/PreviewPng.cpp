#include "logo/PreviewPng.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <string_view>

namespace korva::logo {
namespace {

uint32_t Crc32(std::span<const uint8_t> bytes) {
    return static_cast<uint32_t>(::crc32(0, bytes.data(), static_cast<uInt>(bytes.size())));
}

void PutBig32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

// Chunk: length, type, data, CRC of type and data.
void Chunk(std::vector<uint8_t>& out, std::string_view type, const std::vector<uint8_t>& data) {
    PutBig32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    PutBig32(out, Crc32({out.data() + start, out.size() - start}));
}

// zlib stream of stored deflate blocks (at most 65,535 bytes each) and Adler-32.
std::vector<uint8_t> ZlibStored(const std::vector<uint8_t>& raw) {
    std::vector<uint8_t> out = {0x78, 0x01};
    size_t pos = 0;
    do {
        const size_t n = std::min<size_t>(65535, raw.size() - pos);
        const bool last = pos + n == raw.size();
        out.push_back(last ? 1 : 0);
        out.push_back(static_cast<uint8_t>(n));
        out.push_back(static_cast<uint8_t>(n >> 8));
        out.push_back(static_cast<uint8_t>(~n));
        out.push_back(static_cast<uint8_t>(~n >> 8));
        out.insert(out.end(), raw.begin() + static_cast<long>(pos),
                   raw.begin() + static_cast<long>(pos + n));
        pos += n;
    } while (pos < raw.size());
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    PutBig32(out, b << 16 | a);
    return out;
}

}  // namespace

std::vector<uint8_t> MonoRasterToGray(std::span<const uint8_t> raster, int width, int height) {
    const size_t w = static_cast<size_t>(width), bands = static_cast<size_t>(height / 8);
    std::vector<uint8_t> pixels(w * static_cast<size_t>(height), 255);
    for (size_t x = 0; x < w; ++x)
        for (size_t b = 0; b < bands && x * bands + b < raster.size(); ++b)
            for (size_t r = 0; r < 8; ++r)
                if (raster[x * bands + b] & (0x80 >> r)) pixels[(8 * b + r) * w + x] = 0;
    return pixels;
}

std::vector<uint8_t> GrayRasterToGray(std::span<const uint8_t> raster, int width, int height) {
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::vector<uint8_t> pixels(count, 255);
    for (size_t i = 0; i < count && i / 2 < raster.size(); ++i) {
        const int level = (i % 2 == 0) ? raster[i / 2] >> 4 : raster[i / 2] & 0x0F;
        pixels[i] = static_cast<uint8_t>(255 - 51 * std::min(level, 5));
    }
    return pixels;
}

std::vector<uint8_t> EncodeGrayPng(std::span<const uint8_t> pixels, int width, int height) {
    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutBig32(header, static_cast<uint32_t>(width));
    PutBig32(header, static_cast<uint32_t>(height));
    header.insert(header.end(),
                  {8, 0, 0, 0, 0});  // 8-bit grayscale, deflate, no filter, no interlace
    Chunk(out, "IHDR", header);
    std::vector<uint8_t> raw;
    raw.reserve((static_cast<size_t>(width) + 1) * static_cast<size_t>(height));
    for (int y = 0; y < height; ++y) {
        raw.push_back(0);  // filter type None
        const auto row = pixels.subspan(static_cast<size_t>(y) * static_cast<size_t>(width),
                                        static_cast<size_t>(width));
        raw.insert(raw.end(), row.begin(), row.end());
    }
    Chunk(out, "IDAT", ZlibStored(raw));
    Chunk(out, "IEND", {});
    return out;
}

}  // namespace korva::logo
