#pragma once
// Builds small .bmp files in memory for the logo tests, field by field, so a
// test can also write the broken ones.
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace korva::logo::test {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
};

struct BmpFields {
    uint32_t headerSize = 40;
    int32_t width = 0;
    int32_t height = 0;  ///< negative: rows stored top-down
    uint16_t bitsPerPixel = 24;
    uint32_t compression = 0;
    uint32_t coloursUsed = 0;
    std::vector<Rgb> palette;
    std::vector<uint32_t> masksAfterHeader;    ///< BI_BITFIELDS masks after a 40-byte header
    std::vector<uint8_t> pixels;               ///< the pixel array as stored
    std::optional<uint32_t> fileSizeField;     ///< default: the real size
    std::optional<uint32_t> pixelOffsetField;  ///< default: right after the colour table
};

inline void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}
inline void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

inline std::vector<uint8_t> BuildBmp(const BmpFields& f) {
    std::vector<uint8_t> info;
    Put32(info, f.headerSize);
    if (f.headerSize == 12) {
        Put16(info, static_cast<uint32_t>(f.width));
        Put16(info, static_cast<uint32_t>(f.height));
        Put16(info, 1);
        Put16(info, f.bitsPerPixel);
    } else {
        Put32(info, static_cast<uint32_t>(f.width));
        Put32(info, static_cast<uint32_t>(f.height));
        Put16(info, 1);
        Put16(info, f.bitsPerPixel);
        Put32(info, f.compression);
        Put32(info, static_cast<uint32_t>(f.pixels.size()));
        Put32(info, 2835);
        Put32(info, 2835);
        Put32(info, f.coloursUsed);
        Put32(info, 0);
        info.resize(f.headerSize, 0);
    }
    for (uint32_t m : f.masksAfterHeader) Put32(info, m);
    for (const Rgb& c : f.palette) {
        info.push_back(c.b);
        info.push_back(c.g);
        info.push_back(c.r);
        if (f.headerSize != 12) info.push_back(0);
    }
    const uint32_t offset = f.pixelOffsetField.value_or(static_cast<uint32_t>(14 + info.size()));
    const uint32_t size = static_cast<uint32_t>(14 + info.size() + f.pixels.size());
    std::vector<uint8_t> out = {'B', 'M'};
    Put32(out, f.fileSizeField.value_or(size));
    Put32(out, 0);
    Put32(out, offset);
    out.insert(out.end(), info.begin(), info.end());
    out.insert(out.end(), f.pixels.begin(), f.pixels.end());
    return out;
}

inline size_t Stride(int width, int bpp) {
    return static_cast<size_t>((width * bpp + 31) / 32 * 4);
}

/// A 24-bit bottom-up file whose pixel (x, y) (y = 0 the top line) is colour(x, y).
inline std::vector<uint8_t> Rgb24Bmp(int width, int height,
                                     const std::function<Rgb(int, int)>& colour) {
    BmpFields f;
    f.width = width;
    f.height = height;
    const size_t stride = Stride(width, 24);
    f.pixels.assign(stride * static_cast<size_t>(height), 0);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = f.pixels.data() + static_cast<size_t>(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            const Rgb c = colour(x, y);
            row[3 * x] = c.b;
            row[3 * x + 1] = c.g;
            row[3 * x + 2] = c.r;
        }
    }
    return BuildBmp(f);
}

/// An indexed bottom-up file of depth 1, 2, 4 or 8.
inline std::vector<uint8_t> IndexedBmp(int width, int height, uint16_t bpp,
                                       std::vector<Rgb> palette,
                                       const std::function<int(int, int)>& index) {
    BmpFields f;
    f.width = width;
    f.height = height;
    f.bitsPerPixel = bpp;
    f.palette = std::move(palette);
    const size_t stride = Stride(width, bpp);
    f.pixels.assign(stride * static_cast<size_t>(height), 0);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = f.pixels.data() + static_cast<size_t>(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x) {
            const int bit = x * bpp;
            row[bit / 8] =
                static_cast<uint8_t>(row[bit / 8] | (index(x, y) << (8 - bpp - bit % 8)));
        }
    }
    return BuildBmp(f);
}

inline Rgb Gray(uint8_t v) { return {v, v, v}; }

}  // namespace korva::logo::test
