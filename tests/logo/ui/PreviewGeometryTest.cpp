#include "logo/ui/PreviewGeometry.h"

#include <gtest/gtest.h>

using namespace korva::logo::ui;

namespace {
std::pair<int, int> Drawn(int w, int h, PreviewQuality q, int areaW = 200, int areaH = 150) {
    const PreviewSize size = PreviewDrawSize(areaW, areaH, w, h, q);
    return {size.width, size.height};
}
}  // namespace

TEST(PreviewGeometryTest, WideBitmapAtTheFourQualities) {
    EXPECT_EQ(Drawn(300, 100, PreviewQuality::Normal), std::make_pair(100, 33));
    EXPECT_EQ(Drawn(300, 100, PreviewQuality::Quadraple), std::make_pair(200, 66));
    EXPECT_EQ(Drawn(300, 100, PreviewQuality::DoubleHeight), std::make_pair(100, 66));
    EXPECT_EQ(Drawn(300, 100, PreviewQuality::DoubleWidth), std::make_pair(200, 33));
}

TEST(PreviewGeometryTest, TallSquareAndFlatAreaCases) {
    EXPECT_EQ(Drawn(100, 300, PreviewQuality::Normal), std::make_pair(25, 75));
    EXPECT_EQ(Drawn(64, 64, PreviewQuality::Normal), std::make_pair(75, 75));
    // A wide image whose half-width scaling would be taller than half the
    // area falls back to half the area's height.
    EXPECT_EQ(Drawn(300, 200, PreviewQuality::Normal, 400, 100), std::make_pair(75, 50));
}

TEST(PreviewGeometryTest, DegenerateSizesDrawNothing) {
    EXPECT_EQ(Drawn(0, 10, PreviewQuality::Normal), std::make_pair(0, 0));
    EXPECT_EQ(Drawn(10, 10, PreviewQuality::Normal, 0, 0), std::make_pair(0, 0));
    // Large bitmaps scale without overflow.
    EXPECT_EQ(Drawn(2000000, 1000000, PreviewQuality::Normal, 2000, 1500), std::make_pair(1000, 500));
}
