// The integer gray sums against the double-precision formulas they replace,
// for every colour a pixel can have.
#include <gtest/gtest.h>

#include "logo/BitmapGray.h"
#include "logo/BmpWriter.h"
#include "logo/LogoBitmap.h"

namespace korva::logo {
namespace {

TEST(GrayFormula, EveryEightBitColourMatchesTheDoubleFormulas) {
    const double r = 0.3f, g = 0.59f, b = 0.11f;
    long mismatches = 0;
    for (int red = 0; red < 256; ++red)
        for (int green = 0; green < 256; ++green)
            for (int blue = 0; blue < 256; ++blue) {
                const int palette =
                    static_cast<int>(blue * b + green * g + red * r);  // colour table order
                const int direct =
                    static_cast<int>(green * g + blue * b + red * r);  // 24/32-bit order
                const int got =
                    PaletteGray({static_cast<uint8_t>(blue), static_cast<uint8_t>(green),
                                 static_cast<uint8_t>(red)});
                mismatches += (got != palette) + (got != direct);
            }
    EXPECT_EQ(mismatches, 0);
}

TEST(GrayFormula, EverySixteenBitPixelMatchesTheDoubleFormula) {
    // One row holding every 5-5-5 value.
    test::BmpFields f;
    f.width = 32768;
    f.height = 1;
    f.bitsPerPixel = 16;
    for (int v = 0; v < 32768; ++v) {
        f.pixels.push_back(static_cast<uint8_t>(v));
        f.pixels.push_back(static_cast<uint8_t>(v >> 8));
    }
    CLogoBitmap bitmap;
    ASSERT_TRUE(bitmap.LoadFile(test::BuildBmp(f)));
    std::vector<uint8_t> row(32768);
    GrayRow(bitmap.bitmap(), {}, 0, row.data());
    for (int v = 0; v < 32768; ++v) {
        const int r5 = v >> 10 & 31, g5 = v >> 5 & 31, b5 = v & 31;
        const int expected =
            static_cast<int>(g5 * static_cast<double>(4.72f) + r5 * static_cast<double>(2.4f) +
                             b5 * static_cast<double>(0.88f));
        ASSERT_EQ(row[static_cast<size_t>(v)], expected) << "pixel " << v;
        ASSERT_EQ(bitmap.GrayAt(v, 0), expected) << "pixel " << v;
    }
}

}  // namespace
}  // namespace korva::logo
