// Broken and hostile files are refused with a reason, never read past their end.
#include <gtest/gtest.h>

#include "logo/BitmapDecode.h"
#include "logo/BmpWriter.h"
#include "logo/LogoBitmap.h"

namespace korva::logo {
namespace {

using test::BmpFields;
using test::Gray;

BmpFields Valid8Bit() {
    BmpFields f;
    f.width = 5;
    f.height = 3;
    f.bitsPerPixel = 8;
    f.palette = {Gray(0), Gray(255)};
    f.pixels.assign(8 * 3, 1);
    return f;
}

void ExpectRefused(const std::vector<uint8_t>& file, BitmapErrorKind kind,
                   const std::string& words) {
    // A copy of exactly the file's size, so AddressSanitizer sees any read past it.
    std::vector<uint8_t> exact(file.begin(), file.end());
    exact.shrink_to_fit();
    CLogoBitmap bitmap;
    EXPECT_FALSE(bitmap.LoadFile(exact));
    EXPECT_EQ(bitmap.LastError().kind, kind) << bitmap.LastError().reason;
    EXPECT_NE(bitmap.LastError().reason.find(words), std::string::npos)
        << bitmap.LastError().reason;
    EXPECT_FALSE(bitmap.IsLoaded());
}

TEST(BitmapRefusal, HeadersAndSizes) {
    ASSERT_TRUE(DecodeBitmap(test::BuildBmp(Valid8Bit())).ok());
    const std::vector<uint8_t> good = test::BuildBmp(Valid8Bit());

    for (size_t cut : {size_t{0}, size_t{10}, size_t{20}, size_t{53}})
        ExpectRefused({good.begin(), good.begin() + static_cast<long>(cut)},
                      BitmapErrorKind::Truncated, "");
    std::vector<uint8_t> notBm = good;
    notBm[0] = 'X';
    ExpectRefused(notBm, BitmapErrorKind::NotBitmap, "BM");

    BmpFields f = Valid8Bit();
    f.headerSize = 44;
    ExpectRefused(test::BuildBmp(f), BitmapErrorKind::UnsupportedHeader, "44");

    // The file size field promises more than the file holds.
    f = Valid8Bit();
    f.fileSizeField = static_cast<uint32_t>(good.size() + 1);
    ExpectRefused(test::BuildBmp(f), BitmapErrorKind::Truncated, "promises");
    f.fileSizeField = 3;
    ExpectRefused(test::BuildBmp(f), BitmapErrorKind::Truncated, "file size field");
    // The last pixel row cut short (the size field agreeing).
    f = Valid8Bit();
    f.fileSizeField = static_cast<uint32_t>(good.size() - 5);
    const std::vector<uint8_t> cut = test::BuildBmp(f);
    ExpectRefused({cut.begin(), cut.end() - 5}, BitmapErrorKind::Truncated, "pixel data");
}

TEST(BitmapRefusal, DimensionsAndDepths) {
    BmpFields f = Valid8Bit();
    f.width = 0;
    ExpectRefused(test::BuildBmp(f), BitmapErrorKind::BadDimensions, "width is 0");
    f.width = -4;
    ExpectRefused(test::BuildBmp(f), BitmapErrorKind::BadDimensions, "width is -4");
    f = Valid8Bit();
    f.height = 0;
    ExpectRefused(test::BuildBmp(f), BitmapErrorKind::BadDimensions, "height is 0");
    f.height = INT32_MIN;
    ExpectRefused(test::BuildBmp(f), BitmapErrorKind::BadDimensions, "-2147483648");
    f = Valid8Bit();
    f.width = 100000;  // a tiny file cannot hold such rows
    ExpectRefused(test::BuildBmp(f), BitmapErrorKind::Truncated, "pixel data");
    f.width = 600000;
    ExpectRefused(test::BuildBmp(f), BitmapErrorKind::TooLarge, "too large");
    f.width = 20000;
    f.height = -20000;
    ExpectRefused(test::BuildBmp(f), BitmapErrorKind::TooLarge, "too large");

    f = Valid8Bit();
    f.bitsPerPixel = 48;
    ExpectRefused(test::BuildBmp(f), BitmapErrorKind::TooManyBitsPerPixel, "48 bits");
    f.bitsPerPixel = 3;
    ExpectRefused(test::BuildBmp(f), BitmapErrorKind::UnsupportedDepth, "3 bits");
    f.bitsPerPixel = 0;
    ExpectRefused(test::BuildBmp(f), BitmapErrorKind::UnsupportedDepth, "0 bits");
    f = Valid8Bit();
    f.compression = 4;
    ExpectRefused(test::BuildBmp(f), BitmapErrorKind::UnsupportedCompression, "JPEG");
    f.compression = 2;  // RLE4 on an 8-bit image
    ExpectRefused(test::BuildBmp(f), BitmapErrorKind::UnsupportedCompression, "RLE4");
    f.compression = 1;
    f.height = -3;  // compressed rows cannot be top-down
    ExpectRefused(test::BuildBmp(f), BitmapErrorKind::UnsupportedCompression, "top-down");
}

TEST(BitmapRefusal, ColourTablesAndOffsets) {
    BmpFields f = Valid8Bit();
    f.coloursUsed = 0x80000000u;  // a table of 2^31 entries
    ExpectRefused(test::BuildBmp(f), BitmapErrorKind::BadColourTable, "2147483648");
    f = Valid8Bit();
    f.coloursUsed = 2;
    f.pixels[0] = 7;  // colour 7 of a two-entry table
    ExpectRefused(test::BuildBmp(f), BitmapErrorKind::IndexBeyondColourTable, "colour 7");
    // A pixel in the row padding does not count.
    f.pixels[0] = 1;
    f.pixels[6] = 200;
    EXPECT_TRUE(DecodeBitmap(test::BuildBmp(f)).ok());

    f = Valid8Bit();
    f.pixelOffsetField = 5000;
    ExpectRefused(test::BuildBmp(f), BitmapErrorKind::BadPixelOffset, "5000");
    f.pixelOffsetField = 20;  // inside the information header
    ExpectRefused(test::BuildBmp(f), BitmapErrorKind::BadPixelOffset, "20");
    f = Valid8Bit();
    f.palette.clear();
    f.pixelOffsetField = 54;  // no room for a colour table
    ExpectRefused(test::BuildBmp(f), BitmapErrorKind::BadColourTable, "missing");
}

TEST(BitmapRefusal, BitFieldMasks) {
    BmpFields f;
    f.width = 2;
    f.height = 1;
    f.bitsPerPixel = 16;
    f.compression = 3;
    f.pixels = {0, 0, 0, 0};
    f.masksAfterHeader = {0xF800, 0x07E0, 0x001F};
    ASSERT_TRUE(DecodeBitmap(test::BuildBmp(f)).ok());
    f.masksAfterHeader = {0, 0, 0};
    ExpectRefused(test::BuildBmp(f), BitmapErrorKind::BadMasks, "red mask");
    f.masksAfterHeader = {0xF800, 0x0FE0, 0x001F};
    ExpectRefused(test::BuildBmp(f), BitmapErrorKind::BadMasks, "overlap");
    f.masksAfterHeader = {0xF800, 0x05E0, 0x001F};
    ExpectRefused(test::BuildBmp(f), BitmapErrorKind::BadMasks, "contiguous");
    f.masksAfterHeader = {0xF80000, 0x07E0, 0x001F};  // beyond 16 bits
    ExpectRefused(test::BuildBmp(f), BitmapErrorKind::BadMasks, "red mask");
    f.masksAfterHeader = {0xF800, 0x07E0};  // file ends inside the masks
    f.pixels.clear();
    ExpectRefused(test::BuildBmp(f), BitmapErrorKind::Truncated, "masks");
    f.bitsPerPixel = 24;
    f.masksAfterHeader = {0xFF0000, 0xFF00, 0xFF};
    f.pixels = {0, 0, 0, 0, 0, 0, 0, 0};
    ExpectRefused(test::BuildBmp(f), BitmapErrorKind::UnsupportedCompression, "24 bits");
}

BmpFields Rle8(std::vector<uint8_t> data, int width = 4, int height = 2) {
    BmpFields f;
    f.width = width;
    f.height = height;
    f.bitsPerPixel = 8;
    f.compression = 1;
    f.palette = {Gray(0), Gray(255), Gray(128)};
    f.pixels = std::move(data);
    return f;
}

TEST(BitmapRefusal, RunLengthData) {
    // Valid: two rows, end of line, end of bitmap.
    ASSERT_TRUE(DecodeBitmap(test::BuildBmp(Rle8({4, 1, 0, 0, 2, 2, 0, 1}))).ok());
    ExpectRefused(test::BuildBmp(Rle8({0, 0, 0, 0, 1, 1})), BitmapErrorKind::BadRle, "last row");
    ExpectRefused(test::BuildBmp(Rle8({0, 0, 0, 0, 0, 0, 0, 1})), BitmapErrorKind::BadRle,
                  "last row");
    ExpectRefused(test::BuildBmp(Rle8({0, 2, 1, 5, 0, 1})), BitmapErrorKind::BadRle, "jump");
    ExpectRefused(test::BuildBmp(Rle8({0, 2, 5, 0, 0, 1})), BitmapErrorKind::BadRle, "jump");
    ExpectRefused(test::BuildBmp(Rle8({4, 1, 0, 0})), BitmapErrorKind::BadRle, "ends before");
    ExpectRefused(test::BuildBmp(Rle8({0, 4, 1, 1})), BitmapErrorKind::BadRle, "literal");
    ExpectRefused(test::BuildBmp(Rle8({4, 9, 0, 1})), BitmapErrorKind::IndexBeyondColourTable,
                  "colour 9");
    // A colossal image described by a few bytes is refused before anything is allocated.
    ExpectRefused(test::BuildBmp(Rle8({0, 1}, 30000, 30000)), BitmapErrorKind::TooLarge,
                  "too large");
    // Skipped pixels are colour 0: a jump and an early end of bitmap are fine.
    BitmapDecodeResult r = DecodeBitmap(test::BuildBmp(Rle8({0, 2, 1, 1, 2, 2, 0, 1})));
    ASSERT_TRUE(r.ok()) << r.error.reason;
    EXPECT_EQ(r.bitmap.Row(0)[1], 2);  // top line: stored row 1
    EXPECT_EQ(r.bitmap.Row(0)[0], 0);
    EXPECT_EQ(r.bitmap.Row(1)[0], 0);

    // Runs past the row end, as ImageMagick writes them (rows run out to a
    // multiple of 4 pixels): the pixels inside the row are drawn, the rest dropped.
    r = DecodeBitmap(test::BuildBmp(Rle8({8, 1, 0, 0, 0, 3, 2, 0, 2, 0, 5, 1, 0, 0, 0, 1}, 5)));
    ASSERT_TRUE(r.ok()) << r.error.reason;
    EXPECT_EQ(std::vector<uint8_t>(r.bitmap.Row(0), r.bitmap.Row(0) + 8),
              (std::vector<uint8_t>{2, 0, 2, 1, 1, 0, 0, 0}));
    EXPECT_EQ(std::vector<uint8_t>(r.bitmap.Row(1), r.bitmap.Row(1) + 8),
              (std::vector<uint8_t>{1, 1, 1, 1, 1, 0, 0, 0}));
    BmpFields four = Rle8({6, 0x12, 0, 0, 0, 5, 0x21, 0x21, 0x20, 0, 0, 1}, 3);
    four.compression = 2;
    four.bitsPerPixel = 4;
    r = DecodeBitmap(test::BuildBmp(four));
    ASSERT_TRUE(r.ok()) << r.error.reason;
    EXPECT_EQ(std::vector<uint8_t>(r.bitmap.Row(0), r.bitmap.Row(0) + 4),
              (std::vector<uint8_t>{0x21, 0x20, 0, 0}));
    EXPECT_EQ(std::vector<uint8_t>(r.bitmap.Row(1), r.bitmap.Row(1) + 4),
              (std::vector<uint8_t>{0x12, 0x10, 0, 0}));

    BmpFields f = Rle8({0, 0, 0, 0, 0, 0, 4, 1, 0, 1});
    f.compression = 2;
    f.bitsPerPixel = 4;
    ExpectRefused(test::BuildBmp(f), BitmapErrorKind::BadRle, "last row");
    f.pixels = {0, 3, 0x12, 0x10, 0, 0, 0, 5, 0x12, 0};  // a literal cut short
    ExpectRefused(test::BuildBmp(f), BitmapErrorKind::BadRle, "literal");
}

}  // namespace
}  // namespace korva::logo
