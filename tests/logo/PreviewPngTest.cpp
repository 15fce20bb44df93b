// The preview PNG read back by Qt's own decoder.
#include <gtest/gtest.h>

#include <QImage>

#include "logo/PreviewPng.h"

namespace korva::logo {
namespace {

QImage Decode(const std::vector<uint8_t>& png) {
    QImage image;
    EXPECT_TRUE(image.loadFromData(png.data(), static_cast<int>(png.size()), "PNG"));
    return image;
}

TEST(PreviewPng, DotsAndGrayLevelsAsPixels) {
    // Two columns of 8 dots: column 0 has its top dot, column 1 its bottom dot.
    const std::vector<uint8_t> mono = {0x80, 0x01};
    const QImage dots = Decode(EncodeGrayPng(MonoRasterToGray(mono, 2, 8), 2, 8));
    ASSERT_EQ(dots.size(), QSize(2, 8));
    EXPECT_EQ(qGray(dots.pixel(0, 0)), 0);
    EXPECT_EQ(qGray(dots.pixel(1, 0)), 255);
    EXPECT_EQ(qGray(dots.pixel(1, 7)), 0);
    EXPECT_EQ(qGray(dots.pixel(0, 7)), 255);

    const std::vector<uint8_t> gray = {0x05, 0x12, 0x34, 0x50};
    const QImage levels = Decode(EncodeGrayPng(GrayRasterToGray(gray, 8, 1), 8, 1));
    const int expected[8] = {255, 0, 204, 153, 102, 51, 0, 255};
    for (int x = 0; x < 8; ++x) EXPECT_EQ(qGray(levels.pixel(x, 0)), expected[x]) << x;

    // Larger than one stored deflate block.
    std::vector<uint8_t> big(512 * 1000 / 8, 0xAA);
    const QImage large = Decode(EncodeGrayPng(MonoRasterToGray(big, 512, 1000), 512, 1000));
    ASSERT_EQ(large.size(), QSize(512, 1000));
    EXPECT_EQ(qGray(large.pixel(511, 998)), 0);
    EXPECT_EQ(qGray(large.pixel(511, 999)), 255);
}

}  // namespace
}  // namespace korva::logo
