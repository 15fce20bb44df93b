#include "logo/LogoDither.h"

#include <algorithm>
#include <vector>

namespace korva::logo {
namespace {

inline uint8_t AddClamped(uint8_t value, int delta) {
    const int v = value + delta;
    return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// Spreads error e of (x, y): 7/16 right, then 3/16, 5/16, 1/16 to the row
// below, each share truncated toward zero and each neighbour clamped at once.
inline void Spread(uint8_t* row, uint8_t* below, int x, int width, int e) {
    if (x < width - 1) row[x + 1] = AddClamped(row[x + 1], e * 7 / 16);
    if (below == nullptr) return;
    if (x > 0) below[x - 1] = AddClamped(below[x - 1], e * 3 / 16);
    below[x] = AddClamped(below[x], e * 5 / 16);
    if (x < width - 1) below[x + 1] = AddClamped(below[x + 1], e / 16);
}

}  // namespace

std::array<uint8_t, 256> ToneTable(int t) {
    std::array<uint8_t, 256> table{};
    for (int g = 0; g < 256; ++g) {
        // Both forms are exact in double: the divisions are by 128.
        const double v = t <= 128 ? g * (1.0 + (128 - t) / 128.0) : g * t / 128.0 - (2 * t - 256);
        const int truncated = static_cast<int>(v);
        table[static_cast<size_t>(g)] = static_cast<uint8_t>(truncated < 0 ? 0 : (truncated > 255 ? 255 : truncated));
    }
    return table;
}

void DiffuseMono(uint8_t* work, int width, int height) {
    for (int y = 0; y < height; ++y) {
        uint8_t* row = work + static_cast<size_t>(y) * static_cast<size_t>(width);
        uint8_t* below = y < height - 1 ? row + width : nullptr;
        for (int x = 0; x < width; ++x) {
            const int v = row[x];
            const int white = v >= 127 ? 1 : 0;
            row[x] = static_cast<uint8_t>(1 - white);
            const int e = v - 255 * white;
            if (e != 0) Spread(row, below, x, width, e);
        }
    }
}

void DiffuseGray(uint8_t* work, int width, int height) {
    for (int y = 0; y < height; ++y) {
        uint8_t* row = work + static_cast<size_t>(y) * static_cast<size_t>(width);
        uint8_t* below = y < height - 1 ? row + width : nullptr;
        for (int x = 0; x < width; ++x) {
            const int v = row[x];
            int level = (v + 21) / 42;  // step 255 / 6
            if (level > 5) level = 5;
            row[x] = static_cast<uint8_t>(5 - level);
            const int e = v - 51 * level;
            if (e != 0) Spread(row, below, x, width, e);
        }
    }
}

void PackColumns(const uint8_t* dots, int width, int height, uint8_t* out) {
    const int bands = height / 8;
    std::vector<uint8_t> column(static_cast<size_t>(width));
    for (int b = 0; b < bands; ++b) {
        std::fill(column.begin(), column.end(), 0);
        for (int r = 0; r < 8; ++r) {
            const uint8_t* row = dots + static_cast<size_t>(8 * b + r) * static_cast<size_t>(width);
            for (int x = 0; x < width; ++x)
                column[static_cast<size_t>(x)] = static_cast<uint8_t>((column[static_cast<size_t>(x)] << 1) | row[x]);
        }
        for (int x = 0; x < width; ++x)
            out[static_cast<size_t>(x) * static_cast<size_t>(bands) + static_cast<size_t>(b)] =
                column[static_cast<size_t>(x)];
    }
}

void PackGrayRows(const uint8_t* levels, int width, int height, uint8_t* out) {
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < pixels; i += 2) out[i / 2] = static_cast<uint8_t>((levels[i] << 4) | levels[i + 1]);
}

}  // namespace korva::logo
