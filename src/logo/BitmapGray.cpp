#include "logo/BitmapGray.h"

namespace korva::logo {
namespace {

// The weights are float constants widened to double, as the tool always had
// them. Each product of such a weight and an 8-bit (or 5-bit) channel is exact
// in double, and so is the sum: the products are whole multiples of 2^-27
// (2^-24 for the 16-bit weights) below 256. The double formula therefore
// equals an integer sum of the scaled weights, shifted down; that is what runs.
constexpr double kRed = 0.3f, kGreen = 0.59f, kBlue = 0.11f;
constexpr double kRed5 = 2.4f, kGreen5 = 4.72f, kBlue5 = 0.88f;
constexpr int kShift8 = 27, kShift5 = 24;
constexpr int64_t Scaled(double weight, int shift) {
    return static_cast<int64_t>(weight * (int64_t{1} << shift));
}
constexpr int64_t kR = Scaled(kRed, kShift8), kG = Scaled(kGreen, kShift8),
                  kB = Scaled(kBlue, kShift8);
constexpr int64_t kR5 = Scaled(kRed5, kShift5), kG5 = Scaled(kGreen5, kShift5),
                  kB5 = Scaled(kBlue5, kShift5);
static_assert(static_cast<double>(kR) == kRed * (1 << kShift8) &&
                  static_cast<double>(kG) == kGreen * (1 << kShift8) &&
                  static_cast<double>(kB) == kBlue * (1 << kShift8),
              "8-bit weights must scale exactly");
static_assert(static_cast<double>(kR5) == kRed5 * (1 << kShift5) &&
                  static_cast<double>(kG5) == kGreen5 * (1 << kShift5) &&
                  static_cast<double>(kB5) == kBlue5 * (1 << kShift5),
              "5-bit weights must scale exactly");

// Channel value scaled to `bits` bits (a 6-bit green becomes 5 bits, a 4-bit
// channel is stretched), so every mask layout uses the same formula.
inline uint32_t Channel(uint32_t pixel, const ChannelMask& m, int bits) {
    const uint32_t v = (pixel & m.mask) >> m.shift;
    if (m.bits == bits) return v;
    if (m.bits > bits) return v >> (m.bits - bits);
    return v * ((1u << bits) - 1) / ((1u << m.bits) - 1);
}

inline uint8_t Gray24(uint32_t b, uint32_t g, uint32_t r) {
    return static_cast<uint8_t>((g * kG + b * kB + r * kR) >> kShift8);
}

inline uint8_t Gray16(uint32_t pixel, const DecodedBitmap& bmp) {
    const uint32_t r = Channel(pixel, bmp.red, 5), g = Channel(pixel, bmp.green, 5),
                   b = Channel(pixel, bmp.blue, 5);
    return static_cast<uint8_t>((g * kG5 + r * kR5 + b * kB5) >> kShift5);
}

inline uint8_t Gray32(uint32_t pixel, const DecodedBitmap& bmp) {
    return Gray24(Channel(pixel, bmp.blue, 8), Channel(pixel, bmp.green, 8),
                  Channel(pixel, bmp.red, 8));
}

inline uint32_t Word16(const uint8_t* p) { return static_cast<uint32_t>(p[0] | (p[1] << 8)); }
inline uint32_t Word32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

bool StandardMasks32(const DecodedBitmap& bmp) {
    return bmp.red.mask == 0x00FF0000 && bmp.green.mask == 0x0000FF00 &&
           bmp.blue.mask == 0x000000FF;
}

}  // namespace

uint8_t PaletteGray(const BitmapColour& c) { return Gray24(c.blue, c.green, c.red); }

void GrayRowBgr(const uint8_t* bgr, int width, uint8_t* out) {
    for (int x = 0; x < width; ++x, bgr += 3) out[x] = Gray24(bgr[0], bgr[1], bgr[2]);
}

int PixelIndex(const DecodedBitmap& bmp, const uint8_t* row, int x) {
    switch (bmp.bitsPerPixel) {
        case 1:
            return (row[x / 8] >> (7 - x % 8)) & 1;
        case 2:
            return (row[x / 4] >> (6 - 2 * (x % 4))) & 3;
        case 4:
            return (x % 2 == 0) ? row[x / 2] >> 4 : row[x / 2] & 0x0F;
        default:
            return row[x];
    }
}

void GrayRow(const DecodedBitmap& bmp, const std::vector<uint8_t>& paletteGray, int y,
             uint8_t* out) {
    const uint8_t* row = bmp.Row(y);
    const int w = bmp.width;
    switch (bmp.bitsPerPixel) {
        case 24:
            GrayRowBgr(row, w, out);
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
            for (int x = 0; x < w; ++x)
                out[x] = paletteGray[static_cast<size_t>(PixelIndex(bmp, row, x))];
            return;
    }
}

uint8_t GrayPixel(const DecodedBitmap& bmp, int x, int y) {
    const uint8_t* row = bmp.Row(y);
    switch (bmp.bitsPerPixel) {
        case 24:
            return Gray24(row[3 * x], row[3 * x + 1], row[3 * x + 2]);
        case 32:
            return Gray32(Word32(row + 4 * x), bmp);
        case 16:
            return Gray16(Word16(row + 2 * x), bmp);
        default:
            return PaletteGray(bmp.palette[static_cast<size_t>(PixelIndex(bmp, row, x))]);
    }
}

}  // namespace korva::logo
