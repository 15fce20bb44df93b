#include "logo/BitmapGray.h"

namespace korva::logo {
namespace {

// The weights are float constants widened to double, as the tool always had them.
constexpr double kRed = 0.3f, kGreen = 0.59f, kBlue = 0.11f;
// 16-bit pixels: 5-bit channels with the 8-bit weights times 8.
constexpr double kRed5 = 2.4f, kGreen5 = 4.72f, kBlue5 = 0.88f;

// Channel value scaled to `bits` bits (a 6-bit green becomes 5 bits, a 4-bit
// channel is stretched), so every mask layout uses the same formula.
inline uint32_t Channel(uint32_t pixel, const ChannelMask& m, int bits) {
    const uint32_t v = (pixel & m.mask) >> m.shift;
    if (m.bits == bits) return v;
    if (m.bits > bits) return v >> (m.bits - bits);
    return v * ((1u << bits) - 1) / ((1u << m.bits) - 1);
}

inline uint8_t Gray24(uint32_t b, uint32_t g, uint32_t r) {
    return static_cast<uint8_t>(static_cast<int>(g * kGreen + b * kBlue + r * kRed));
}

inline uint8_t Gray16(uint32_t pixel, const DecodedBitmap& bmp) {
    const uint32_t r = Channel(pixel, bmp.red, 5), g = Channel(pixel, bmp.green, 5),
                   b = Channel(pixel, bmp.blue, 5);
    return static_cast<uint8_t>(static_cast<int>(g * kGreen5 + r * kRed5 + b * kBlue5));
}

inline uint8_t Gray32(uint32_t pixel, const DecodedBitmap& bmp) {
    return Gray24(Channel(pixel, bmp.blue, 8), Channel(pixel, bmp.green, 8), Channel(pixel, bmp.red, 8));
}

inline uint32_t Word16(const uint8_t* p) { return static_cast<uint32_t>(p[0] | (p[1] << 8)); }
inline uint32_t Word32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool StandardMasks32(const DecodedBitmap& bmp) {
    return bmp.red.mask == 0x00FF0000 && bmp.green.mask == 0x0000FF00 && bmp.blue.mask == 0x000000FF;
}

}  // namespace

uint8_t PaletteGray(const BitmapColour& c) {
    return static_cast<uint8_t>(static_cast<int>(c.blue * kBlue + c.green * kGreen + c.red * kRed));
}

int PixelIndex(const DecodedBitmap& bmp, const uint8_t* row, int x) {
    switch (bmp.bitsPerPixel) {
        case 1: return (row[x / 8] >> (7 - x % 8)) & 1;
        case 2: return (row[x / 4] >> (6 - 2 * (x % 4))) & 3;
        case 4: return (x % 2 == 0) ? row[x / 2] >> 4 : row[x / 2] & 0x0F;
        default: return row[x];
    }
}

void GrayRow(const DecodedBitmap& bmp, const std::vector<uint8_t>& paletteGray, int y, uint8_t* out) {
    const uint8_t* row = bmp.Row(y);
    const int w = bmp.width;
    switch (bmp.bitsPerPixel) {
        case 24:
            for (int x = 0; x < w; ++x, row += 3) out[x] = Gray24(row[0], row[1], row[2]);
            return;
        case 32:
            if (StandardMasks32(bmp)) {
                for (int x = 0; x < w; ++x, row += 4) out[x] = Gray24(row[0], row[1], row[2]);
            } else {
                for (int x = 0; x < w; ++x, row += 4) out[x] = Gray32(Word32(row), bmp);
            }
            return;
        case 16:
            for (int x = 0; x < w; ++x, row += 2) out[x] = Gray16(Word16(row), bmp);
            return;
        case 8:
            for (int x = 0; x < w; ++x) out[x] = paletteGray[row[x]];
            return;
        default:
            for (int x = 0; x < w; ++x) out[x] = paletteGray[static_cast<size_t>(PixelIndex(bmp, row, x))];
            return;
    }
}

uint8_t GrayPixel(const DecodedBitmap& bmp, int x, int y) {
    const uint8_t* row = bmp.Row(y);
    switch (bmp.bitsPerPixel) {
        case 24: return Gray24(row[3 * x], row[3 * x + 1], row[3 * x + 2]);
        case 32: return Gray32(Word32(row + 4 * x), bmp);
        case 16: return Gray16(Word16(row + 2 * x), bmp);
        default: return PaletteGray(bmp.palette[static_cast<size_t>(PixelIndex(bmp, row, x))]);
    }
}

}  // namespace korva::logo
