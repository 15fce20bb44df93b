// The conversion's documented examples, compared as whole rasters.
#include <gtest/gtest.h>

#include "logo/BmpWriter.h"
#include "logo/LogoBitmap.h"
#include "logo/LogoDither.h"

namespace korva::logo {
namespace {

using test::Gray;
using test::Rgb;
using test::Rgb24Bmp;

CLogoBitmap Loaded(const std::vector<uint8_t>& file) {
    CLogoBitmap bitmap;
    EXPECT_TRUE(bitmap.LoadFile(file)) << bitmap.LastError().reason;
    return bitmap;
}

std::vector<uint8_t> Raster(const CLogoBitmap& bitmap) {
    return {bitmap.raster().begin(), bitmap.raster().end()};
}

// Expected column raster of a w x h image that is black where `dot` says.
std::vector<uint8_t> ColumnRaster(int paddedWidth, int paddedHeight,
                                  const std::function<bool(int, int)>& dot) {
    std::vector<uint8_t> out;
    for (int x = 0; x < paddedWidth; ++x)
        for (int band = 0; band < paddedHeight / 8; ++band) {
            uint8_t byte = 0;
            for (int r = 0; r < 8; ++r)
                byte = static_cast<uint8_t>(byte << 1 | (dot(x, 8 * band + r) ? 1 : 0));
            out.push_back(byte);
        }
    return out;
}

TEST(LogoBitmapGray, NeutralPixelsLoseOneAndWeightsFollowEachDepth) {
    CLogoBitmap rgb =
        Loaded(Rgb24Bmp(256, 1, [](int x, int) { return Gray(static_cast<uint8_t>(x)); }));
    EXPECT_EQ(rgb.GrayAt(0, 0), 0);
    EXPECT_EQ(rgb.GrayAt(128, 0), 127);
    EXPECT_EQ(rgb.GrayAt(255, 0), 254);
    for (int v = 1; v < 256; ++v) ASSERT_EQ(rgb.GrayAt(v, 0), v - 1) << "value " << v;
    EXPECT_EQ(rgb.GrayAt(256, 0), 255);  // outside the image
    EXPECT_EQ(rgb.GrayAt(0, 1), 255);

    // Pure channels: trunc(255 * weight).
    CLogoBitmap channels = Loaded(Rgb24Bmp(3, 1, [](int x, int) {
        return x == 0 ? Rgb{255, 0, 0} : x == 1 ? Rgb{0, 255, 0} : Rgb{0, 0, 255};
    }));
    EXPECT_EQ(channels.GrayAt(0, 0), 76);   // 255 * 0.3
    EXPECT_EQ(channels.GrayAt(1, 0), 150);  // 255 * 0.59
    EXPECT_EQ(channels.GrayAt(2, 0), 28);   // 255 * 0.11

    // 16-bit 5-5-5: white reaches only 247, pure red 31 * 2.4.
    test::BmpFields f;
    f.width = 2;
    f.height = 1;
    f.bitsPerPixel = 16;
    f.pixels = {0xFF, 0x7F, 0x00, 0x7C};
    CLogoBitmap hi = Loaded(test::BuildBmp(f));
    EXPECT_EQ(hi.GrayAt(0, 0), 247);
    EXPECT_EQ(hi.GrayAt(1, 0), 74);

    CLogoBitmap none;
    EXPECT_EQ(none.GrayAt(0, 0), 255);
    EXPECT_EQ(none.DotAt(0, 0), 0);
}

TEST(LogoBitmapMono, TwoColourFilesPrintTheirBlackIndex) {
    const auto pattern = [](int x, int y) { return (x + 2 * y) % 3 == 0 ? 1 : 0; };
    CLogoBitmap whiteFirst = Loaded(test::IndexedBmp(10, 9, 1, {Gray(255), Gray(0)}, pattern));
    CLogoBitmap blackFirst = Loaded(test::IndexedBmp(10, 9, 1, {Gray(0), Gray(255)}, pattern));
    LogoOptions options;
    options.threshold = 255;  // the diverging point does not apply to 1-bit images
    whiteFirst.ConvertMono(options, false);
    blackFirst.ConvertMono(options, false);
    EXPECT_EQ(whiteFirst.paddedWidth(), 16);
    EXPECT_EQ(whiteFirst.paddedHeight(), 16);
    const auto inside = [](int x, int y) { return x < 10 && y < 9; };
    EXPECT_EQ(Raster(whiteFirst), ColumnRaster(16, 16, [&](int x, int y) {
                  return inside(x, y) && pattern(x, y) == 1;
              }));
    EXPECT_EQ(Raster(blackFirst), ColumnRaster(16, 16, [&](int x, int y) {
                  return inside(x, y) && pattern(x, y) == 0;
              }));
    EXPECT_EQ(blackFirst.DotAt(0, 0), 0);
    EXPECT_EQ(blackFirst.DotAt(1, 0), 1);
    EXPECT_EQ(blackFirst.DotAt(10, 0), 0);
}

TEST(LogoBitmapMono, UniformImagesAndPadding) {
    LogoOptions options;
    CLogoBitmap white = Loaded(Rgb24Bmp(100, 30, [](int, int) { return Gray(255); }));
    white.ConvertMono(options, false);
    EXPECT_EQ(white.paddedWidth(), 104);
    EXPECT_EQ(white.paddedHeight(), 32);
    EXPECT_EQ(white.rasterLength(), 416);
    EXPECT_EQ(Raster(white), std::vector<uint8_t>(416, 0));

    CLogoBitmap black = Loaded(Rgb24Bmp(100, 30, [](int, int) { return Gray(0); }));
    black.ConvertMono(options, false);
    EXPECT_EQ(Raster(black), ColumnRaster(104, 32, [](int x, int y) { return x < 100 && y < 30; }));

    // Gray 126 starts with a dot, gray 127 (the (128,128,128) pixel) does not.
    CLogoBitmap dark = Loaded(Rgb24Bmp(16, 8, [](int, int) { return Gray(127); }));
    CLogoBitmap light = Loaded(Rgb24Bmp(16, 8, [](int, int) { return Gray(128); }));
    dark.ConvertMono(options, false);
    light.ConvertMono(options, false);
    EXPECT_EQ(dark.raster()[0] & 0x80, 0x80);
    EXPECT_EQ(light.raster()[0] & 0x80, 0);
    // The rest is a diffusion pattern: roughly half the dots, not all or none.
    int dots = 0;
    for (uint8_t byte : light.raster()) dots += __builtin_popcount(byte);
    EXPECT_GT(dots, 40);
    EXPECT_LT(dots, 88);
}

TEST(LogoBitmapMono, CentringShiftsWholeBytesOfBlankColumns) {
    CLogoBitmap bitmap =
        Loaded(Rgb24Bmp(100, 30, [](int x, int y) { return Gray((x + y) % 2 ? 0 : 255); }));
    LogoOptions options;
    bitmap.ConvertMono(options, false);
    const std::vector<uint8_t> plain = Raster(bitmap);
    EXPECT_EQ(bitmap.centringBytes(), 0);

    options.maxPrintableWidth = 512;  // (512 - 104) / 2 = 204, up to 208 columns
    bitmap.ConvertMono(options, true);
    EXPECT_EQ(bitmap.paddedWidth(), 312);
    EXPECT_EQ(bitmap.rasterLength(), 1248);
    EXPECT_EQ(bitmap.centringBytes(), 832);
    std::vector<uint8_t> expected(832, 0);
    expected.insert(expected.end(), plain.begin(), plain.end());
    EXPECT_EQ(Raster(bitmap), expected);

    for (int width : {104, 100, 0, -5}) {
        options.maxPrintableWidth = width;
        bitmap.ConvertMono(options, true);
        EXPECT_EQ(Raster(bitmap), plain) << "maximum width " << width;
        EXPECT_EQ(bitmap.paddedWidth(), 104);
        EXPECT_EQ(bitmap.centringBytes(), 0);
    }
}

TEST(LogoBitmapTone, DivergingPointScalesGray) {
    const auto t128 = ToneTable(128), t0 = ToneTable(0), t64 = ToneTable(64), t255 = ToneTable(255);
    for (int g = 0; g < 256; ++g) {
        ASSERT_EQ(t128[g], g);
        ASSERT_EQ(t0[g], std::min(255, 2 * g));
    }
    EXPECT_EQ(t64[100], 150);
    EXPECT_EQ(t255[200], 144);  // trunc(200 * 255 / 128 - 254) = trunc(144.44)
    EXPECT_EQ(t255[127], 0);    // -0.99 truncates to 0
    EXPECT_EQ(t255[0], 0);      // clamped
    EXPECT_EQ(t255[255], 254);
    EXPECT_EQ(ToneTable(200)[50], 0);

    // A higher diverging point gives more dots.
    CLogoBitmap mid = Loaded(Rgb24Bmp(64, 64, [](int, int) { return Gray(170); }));
    LogoOptions options;
    auto dotsAt = [&](int t) {
        options.threshold = t;
        mid.ConvertMono(options, false);
        int dots = 0;
        for (uint8_t byte : mid.raster()) dots += __builtin_popcount(byte);
        return dots;
    };
    EXPECT_LT(dotsAt(0), dotsAt(128));
    EXPECT_LT(dotsAt(128), dotsAt(200));
    EXPECT_EQ(dotsAt(0), 0);  // 169 doubled is white
}

TEST(LogoBitmapGrayMode, RowsOfNibblesAndNoCentring) {
    LogoOptions options;
    options.grayPrinting = true;
    CLogoBitmap black = Loaded(Rgb24Bmp(100, 30, [](int, int) { return Gray(0); }));
    black.ConvertGray(options);
    EXPECT_EQ(black.paddedWidth(), 104);
    EXPECT_EQ(black.paddedHeight(), 32);
    ASSERT_EQ(black.rasterLength(), 1664);
    std::vector<uint8_t> expected;
    for (int y = 0; y < 32; ++y)
        for (int pair = 0; pair < 52; ++pair) expected.push_back(y < 30 && pair < 50 ? 0x55 : 0x00);
    EXPECT_EQ(Raster(black), expected);

    CLogoBitmap white = Loaded(Rgb24Bmp(100, 30, [](int, int) { return Gray(255); }));
    white.ConvertGray(options);
    EXPECT_EQ(Raster(white), std::vector<uint8_t>(1664, 0));

    // Levels: gray 127 -> (127 + 21) / 42 = 3 -> darkness 2 in the first pixel, left nibble.
    CLogoBitmap mid = Loaded(Rgb24Bmp(8, 8, [](int, int) { return Gray(128); }));
    mid.ConvertGray(options);
    EXPECT_EQ(mid.raster()[0] >> 4, 2);

    // A 1-bit image goes through its colour table's gray like other palettes.
    CLogoBitmap mono =
        Loaded(test::IndexedBmp(8, 8, 1, {Gray(0), Gray(255)}, [](int x, int) { return x % 2; }));
    mono.ConvertGray(options);
    EXPECT_EQ(Raster(mono), std::vector<uint8_t>(32, 0x50));
}

TEST(LogoBitmapLifecycle, NothingLoadedMeansNoRaster) {
    CLogoBitmap bitmap;
    LogoOptions options;
    bitmap.ConvertMono(options, true);
    bitmap.ConvertGray(options);
    EXPECT_EQ(bitmap.rasterLength(), 0);
    EXPECT_FALSE(bitmap.IsLoaded());

    // A failed load drops the previous image and its raster.
    bitmap = Loaded(Rgb24Bmp(8, 8, [](int, int) { return Gray(0); }));
    bitmap.ConvertMono(options, false);
    EXPECT_EQ(bitmap.rasterLength(), 8);
    const std::vector<uint8_t> junk = {'B', 'M', 1, 2, 3};
    EXPECT_FALSE(bitmap.LoadFile(junk));
    EXPECT_EQ(bitmap.rasterLength(), 0);
    EXPECT_EQ(bitmap.paddedWidth(), 0);
    bitmap.ConvertMono(options, false);
    EXPECT_EQ(bitmap.rasterLength(), 0);
}

}  // namespace
}  // namespace korva::logo
