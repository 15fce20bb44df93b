#include "logo/LogoDither.h"

#include <algorithm>
#include <vector>

namespace korva::logo {
namespace {

inline int Clamp255(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

// What a value becomes and the four shares of its error: e * 7/16 right,
// e * 3/16, 5/16 and 1/16 below, each truncated toward zero. The error depends
// on the value alone, so all of it comes from one table lookup. The table is
// indexed by the value before its clamp (a cell plus the share from its left,
// -128 .. 383), so the clamp of the right neighbour leaves the serial chain
// from pixel to pixel.
struct Quantized {
    uint8_t stored;
    int16_t right, belowLeft, below, belowRight;
};
constexpr int kIndexOffset = 128;
using QuantTable = std::array<Quantized, 512>;

template <typename Quantize>
QuantTable MakeTable(Quantize quantize) {
    QuantTable table{};
    for (int i = 0; i < 512; ++i) {
        uint8_t stored = 0;
        const int e = quantize(Clamp255(i - kIndexOffset), stored);
        table[static_cast<size_t>(i)] = {
            stored, static_cast<int16_t>(e * 7 / 16), static_cast<int16_t>(e * 3 / 16),
            static_cast<int16_t>(e * 5 / 16), static_cast<int16_t>(e / 16)};
    }
    return table;
}

// Clamping by lookup: cell plus share, offset by kIndexOffset.
const std::array<uint8_t, 512>& ClampTable() {
    static const std::array<uint8_t, 512> table = [] {
        std::array<uint8_t, 512> t{};
        for (int i = 0; i < 512; ++i)
            t[static_cast<size_t>(i)] = static_cast<uint8_t>(Clamp255(i - kIndexOffset));
        return t;
    }();
    return table;
}

// Floyd-Steinberg in reading order (no serpentine): the shares go right and
// to the three cells below, each neighbour clamped as soon as it is added to.
// The right neighbour and the cells below travel in registers; a cell below is
// stored once its last share (from x + 1) has arrived.
void Diffuse(uint8_t* work, int width, int height, const QuantTable& table) {
    const uint8_t* clamp = ClampTable().data() + kIndexOffset;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = work + static_cast<size_t>(y) * static_cast<size_t>(width);
        uint8_t* below = y < height - 1 ? row + width : nullptr;
        int current = row[0] + kIndexOffset;  // unclamped value of (x, y), offset
        if (below == nullptr) {
            for (int x = 0; x < width; ++x) {
                const Quantized& q = table[static_cast<size_t>(current)];
                row[x] = q.stored;
                if (x < width - 1) current = row[x + 1] + q.right + kIndexOffset;
            }
            continue;
        }
        int left = 0;           // below[x - 1]
        int centre = below[0];  // below[x]
        if (width > 1) {        // x = 0 has no cell below-left
            const Quantized& q = table[static_cast<size_t>(current)];
            row[0] = q.stored;
            current = row[1] + q.right + kIndexOffset;
            left = clamp[centre + q.below];
            centre = clamp[below[1] + q.belowRight];
        }
        for (int x = 1; x < width - 1; ++x) {
            const Quantized& q = table[static_cast<size_t>(current)];
            row[x] = q.stored;
            current = row[x + 1] + q.right + kIndexOffset;
            below[x - 1] = clamp[left + q.belowLeft];
            left = clamp[centre + q.below];
            centre = clamp[below[x + 1] + q.belowRight];
        }
        const int x = width - 1;
        const Quantized& q = table[static_cast<size_t>(current)];
        row[x] = q.stored;
        if (x > 0) below[x - 1] = clamp[left + q.belowLeft];
        below[x] = clamp[centre + q.below];
    }
}

}  // namespace

std::array<uint8_t, 256> ToneTable(int t) {
    std::array<uint8_t, 256> table{};
    for (int g = 0; g < 256; ++g) {
        // Both forms are exact in double: the divisions are by 128.
        const double v = t <= 128 ? g * (1.0 + (128 - t) / 128.0) : g * t / 128.0 - (2 * t - 256);
        table[static_cast<size_t>(g)] = static_cast<uint8_t>(Clamp255(static_cast<int>(v)));
    }
    return table;
}

void DiffuseMono(uint8_t* work, int width, int height) {
    static const QuantTable table = MakeTable([](int v, uint8_t& out) {
        const int white = v >= 127 ? 1 : 0;  // 127 is white
        out = static_cast<uint8_t>(1 - white);
        return v - 255 * white;
    });
    Diffuse(work, width, height, table);
}

void DiffuseGray(uint8_t* work, int width, int height) {
    static const QuantTable table = MakeTable([](int v, uint8_t& out) {
        int level = (v + 21) / 42;  // step 255 / 6
        if (level > 5) level = 5;
        out = static_cast<uint8_t>(5 - level);
        return v - 51 * level;
    });
    Diffuse(work, width, height, table);
}

void PackColumns(const uint8_t* dots, int width, int height, uint8_t* out) {
    const int bands = height / 8;
    std::vector<uint8_t> column(static_cast<size_t>(width));
    for (int b = 0; b < bands; ++b) {
        std::fill(column.begin(), column.end(), 0);
        for (int r = 0; r < 8; ++r) {
            const uint8_t* row = dots + static_cast<size_t>(8 * b + r) * static_cast<size_t>(width);
            for (int x = 0; x < width; ++x)
                column[static_cast<size_t>(x)] =
                    static_cast<uint8_t>((column[static_cast<size_t>(x)] << 1) | row[x]);
        }
        for (int x = 0; x < width; ++x)
            out[static_cast<size_t>(x) * static_cast<size_t>(bands) + static_cast<size_t>(b)] =
                column[static_cast<size_t>(x)];
    }
}

void PackGrayRows(const uint8_t* levels, int width, int height, uint8_t* out) {
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < pixels; i += 2)
        out[i / 2] = static_cast<uint8_t>((levels[i] << 4) | levels[i + 1]);
}

}  // namespace korva::logo
