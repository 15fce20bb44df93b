// Files from disk into the reader and the list, messages through the seam.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <fstream>

#include "base/MessageBox.h"
#include "logo/BmpWriter.h"
#include "logo/LogoFile.h"
#include "logo/LogoListServices.h"
#include "support/TestDir.h"

namespace korva::logo {
namespace {

void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

TEST(LogoFile, LoadsFromDiskAndRefusesWhatCannotBeRead) {
    korva::test::TestDir dir;
    WriteFile(dir / "ok.bmp", test::Rgb24Bmp(9, 4, [](int, int) { return test::Gray(0); }));
    CLogoBitmap bitmap;
    BitmapError error;
    ASSERT_TRUE(LoadLogoFile(bitmap, (dir / "ok.bmp").string(), error)) << error.reason;
    EXPECT_EQ(bitmap.width(), 9);
    EXPECT_EQ(bitmap.paddedHeight(), 8);

    EXPECT_FALSE(LoadLogoFile(bitmap, (dir / "none.bmp").string(), error));
    EXPECT_EQ(error.kind, BitmapErrorKind::FileUnreadable);
    EXPECT_NE(error.reason.find("none.bmp"), std::string::npos);
    EXPECT_FALSE(bitmap.IsLoaded());                                 // the previous image is gone
    EXPECT_FALSE(LoadLogoFile(bitmap, dir.path().string(), error));  // a directory

    WriteFile(dir / "text.bmp", {'h', 'e', 'l', 'l', 'o'});
    EXPECT_FALSE(LoadLogoFile(bitmap, (dir / "text.bmp").string(), error));
    EXPECT_EQ(error.kind, BitmapErrorKind::NotBitmap);
    WriteFile(dir / "short.bmp", {'B', 'M', 0, 0});  // a bitmap stays with the own reader
    EXPECT_FALSE(LoadLogoFile(bitmap, (dir / "short.bmp").string(), error));
    EXPECT_EQ(error.kind, BitmapErrorKind::Truncated);
}

uint32_t Crc32(const uint8_t* bytes, size_t n) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < n; ++i) {
        c ^= bytes[i];
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    }
    return ~c;
}

// A PNG whose header claims `width` x `height` pixels in front of the pixels of a tiny one.
std::vector<uint8_t> PngClaiming(uint32_t width, uint32_t height) {
    QImage small(8, 8, QImage::Format_RGB32);
    small.fill(Qt::white);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    small.save(&buffer, "PNG");
    std::vector<uint8_t> png(bytes.begin(), bytes.end());
    for (int i = 0; i < 4; ++i) {  // IHDR data starts at 16: width, height, big-endian
        png[16 + i] = static_cast<uint8_t>(width >> (24 - 8 * i));
        png[20 + i] = static_cast<uint8_t>(height >> (24 - 8 * i));
    }
    const uint32_t crc = Crc32(png.data() + 12, 17);  // chunk type and data
    for (int i = 0; i < 4; ++i) png[29 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    return png;
}

// Pictures other than bitmaps: laid on white, converted as their 24-bit bitmap,
// refused with a reason when they cannot be read or would unpack too large.
TEST(LogoFile, PicturesAreLaidOnWhitePaper) {
    korva::test::TestDir dir;
    // Left half opaque black, right half fully transparent black: no dots there.
    QImage picture(8, 8, QImage::Format_ARGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) picture.setPixel(x, y, x < 4 ? qRgba(0, 0, 0, 255) : qRgba(0, 0, 0, 0));
    const std::string png = (dir / "half.png").string();
    ASSERT_TRUE(picture.save(QString::fromStdString(png), "PNG"));
    CLogoBitmap bitmap;
    BitmapError error;
    ASSERT_TRUE(LoadLogoFile(bitmap, png, error)) << error.reason;
    bitmap.ConvertMono(LogoOptions{}, false);
    EXPECT_EQ(std::vector<uint8_t>(bitmap.raster().begin(), bitmap.raster().end()),
              (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}));
    EXPECT_EQ(bitmap.bitsPerPixel(), 24);
    EXPECT_EQ(bitmap.GrayAt(5, 0), 254);  // white paper, as a 24-bit white pixel

    struct Refusal {
        const char* name;
        std::vector<uint8_t> bytes;
        BitmapErrorKind kind;
        const char* reason;
    };
    const std::vector<uint8_t> good = PngClaiming(8, 8);
    const Refusal refusals[] = {
        {"bomb.png", PngClaiming(100000, 100000), BitmapErrorKind::TooLarge, "100000 x 100000"},
        {"wide.png", PngClaiming(600000, 1), BitmapErrorKind::TooLarge, "too large"},
        {"cut.png", {good.begin(), good.begin() + 40}, BitmapErrorKind::NotBitmap, "cannot be decoded"},
        {"empty.png", {}, BitmapErrorKind::Truncated, "empty"},
    };
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.name);
        WriteFile(dir / r.name, r.bytes);
        EXPECT_FALSE(LoadLogoFile(bitmap, (dir / r.name).string(), error));
        EXPECT_EQ(error.kind, r.kind);
        EXPECT_NE(error.reason.find(r.reason), std::string::npos) << error.reason;
    }
}

TEST(LogoFile, ListEditorReadsFilesAndShowsMessages) {
    korva::test::TestDir dir;
    WriteFile(dir / "ok.bmp", test::Rgb24Bmp(200, 100, [](int, int) { return test::Gray(0); }));
    std::vector<std::pair<std::string, base::MsgStyle>> shown;
    auto previous = base::SetMessageHandler(
        [&](const std::string& text, const std::string&, base::MsgStyle style) {
            shown.push_back({text, style});
            return base::MsgAnswer::Ok;
        });
    LogoList list;
    LogoOptions options;
    LogoListEditor editor = MakeLogoListEditor(list, options);
    EXPECT_EQ(editor.AddPickedFiles({(dir / "ok.bmp").string(), (dir / "gone.bmp").string()}), 1);
    base::SetMessageHandler(previous);
    EXPECT_EQ(list.entries.at(0).size, "           2600");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].first, "Bitmap files that was defined with Log file is incorrect.");
    EXPECT_EQ(shown[0].second, base::MsgStyle::OkExclamation);
}

}  // namespace
}  // namespace korva::logo
