// Files from disk into the reader and the list, messages through the seam.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <fstream>

#include "base/ErrorLog.h"
#include "base/MessageBox.h"
#include "base/Messages.h"
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

// A PNG whose header claims `width` x `height` pixels (of `depth` bits a
// channel) in front of the pixels of a tiny one.
std::vector<uint8_t> PngClaiming(uint32_t width, uint32_t height, uint8_t depth = 8) {
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
    png[24] = depth;
    const uint32_t crc = Crc32(png.data() + 12, 17);  // chunk type and data
    for (int i = 0; i < 4; ++i) png[29 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
    return png;
}

// A noisy picture in `format` as Qt writes it: JPEG and PNG data over several blocks.
std::vector<uint8_t> Encoded(const char* format, QImage::Format pixels = QImage::Format_RGB32) {
    QImage picture(64, 48, pixels);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) picture.setPixel(x, y, qRgb((x * 37 + y * 11) % 256, (x * y) % 256, (x ^ y) * 4));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, format);
    return {bytes.begin(), bytes.end()};
}

std::vector<uint8_t> ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Pictures other than bitmaps: laid on white, converted as their 24-bit bitmap,
// refused with a reason when they cannot be read, end early, are damaged or
// would unpack too large.
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
        std::string name;
        std::vector<uint8_t> bytes;
        BitmapErrorKind kind;
        const char* reason;
    };
    const std::vector<uint8_t> good = PngClaiming(8, 8);
    std::vector<uint8_t> badCrc = Encoded("PNG");
    badCrc[badCrc.size() / 2] ^= 0x10;  // inside the image data
    // 16 bits a channel: its own decoder, which leaves the CRCs to the check of the whole file.
    std::vector<uint8_t> deepBadCrc = Encoded("PNG", QImage::Format_RGBX64);
    deepBadCrc[deepBadCrc.size() / 2] ^= 0x10;
    std::vector<Refusal> refusals = {
        {"bomb.png", PngClaiming(100000, 100000), BitmapErrorKind::TooLarge, "at most 33554432 pixels"},
        {"wide.png", PngClaiming(600000, 1), BitmapErrorKind::TooLarge, "524280 a side"},
        {"cut.png", {good.begin(), good.begin() + 40}, BitmapErrorKind::Truncated, "ends early"},
        {"empty.png", {}, BitmapErrorKind::Truncated, "empty"},
        {"crc.png", badCrc, BitmapErrorKind::Damaged, "damaged"},
        {"crc16.png", deepBadCrc, BitmapErrorKind::Damaged, "damaged"},
    };
    // Cut at its quarters and just before its end, every kind of picture ends
    // early; decoders would fill the rest with gray or black and call it read.
    const std::pair<const char*, std::vector<uint8_t>> wholes[] = {
        {"whole.jpg", Encoded("JPG")},
        {"whole.png", Encoded("PNG")},
        {"deep.png", Encoded("PNG", QImage::Format_RGBX64)},
        {"whole.gif", ReadAll(std::filesystem::path(KORVA_TEST_DATA_DIR) / "logo/cut-source.gif")},
    };
    for (const auto& [name, whole] : wholes) {
        WriteFile(dir / name, whole);
        EXPECT_TRUE(LoadLogoFile(bitmap, (dir / name).string(), error)) << name << ": " << error.reason;
        for (size_t keep : {whole.size() / 4, whole.size() / 2, whole.size() * 3 / 4, whole.size() - 2})
            refusals.push_back({"cut-" + std::to_string(keep) + "-" + name,
                                {whole.begin(), whole.begin() + static_cast<long>(keep)}, BitmapErrorKind::Truncated,
                                "the file ends early (damaged or still being copied)"});
    }
    for (const Refusal& r : refusals) {
        SCOPED_TRACE(r.name);
        WriteFile(dir / r.name, r.bytes);
        EXPECT_FALSE(LoadLogoFile(bitmap, (dir / r.name).string(), error));
        EXPECT_EQ(error.kind, r.kind);
        EXPECT_NE(error.reason.find(r.reason), std::string::npos) << error.reason;
    }
}

// The list's message for a refused file, with the file and the reason under
// it and in the error log. A picture over the NV memory left is refused from
// its header, before a pixel is unpacked: the claimed size comes with no pixels.
TEST(LogoFile, ListEditorReadsFilesAndShowsMessages) {
    korva::test::TestDir dir;
    WriteFile(dir / "ok.bmp", test::Rgb24Bmp(200, 100, [](int, int) { return test::Gray(0); }));
    const std::vector<uint8_t> jpeg = Encoded("JPG");
    WriteFile(dir / "photo.jpg", {jpeg.begin(), jpeg.begin() + static_cast<long>(jpeg.size() / 2)});
    WriteFile(dir / "deep.png", PngClaiming(6000, 5000, 16));
    std::vector<std::pair<std::string, base::MsgStyle>> shown;
    auto previous = base::SetMessageHandler(
        [&](const std::string& text, const std::string&, base::MsgStyle style) {
            shown.push_back({text, style});
            return base::MsgAnswer::Ok;
        });
    ASSERT_EQ(base::ErrorLog().OpenLog((dir / "error.log").string()), 1);
    LogoList list;
    LogoOptions options;
    EXPECT_EQ(MakeLogoListEditor(list, options).AddPickedFiles({(dir / "ok.bmp").string()}), 1);
    EXPECT_EQ(list.entries.at(0).size, "           2600");
    const struct {
        const char* file;
        int message;
        base::MsgStyle style;
        std::string detail;
    } picks[] = {
        {"gone.bmp", base::kMsgLogFileBitmapIncorrect, base::MsgStyle::OkExclamation, "cannot open"},
        {"photo.jpg", base::kMsgLogFileBitmapIncorrect, base::MsgStyle::OkExclamation,
         "photo.jpg: the file ends early (damaged or still being copied)"},
        {"deep.png", base::kMsgNvAreaTooSmall, base::MsgStyle::Ok,
         "deep.png: the image of 6000 x 5000 pixels needs 3750000 bytes of NV memory, 390616 of 393216 are left"},
    };
    for (const auto& pick : picks) {
        SCOPED_TRACE(pick.file);
        shown.clear();
        EXPECT_EQ(MakeLogoListEditor(list, options).AddPickedFiles({(dir / pick.file).string()}), 0);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_TRUE(shown[0].first.starts_with(base::Message(pick.message) + std::string("\r\n\r\n")))
            << shown[0].first;
        EXPECT_NE(shown[0].first.find(pick.detail), std::string::npos) << shown[0].first;
        EXPECT_EQ(shown[0].second, pick.style);
        const std::vector<uint8_t> log = ReadAll(dir / "error.log");
        EXPECT_NE(std::string(log.begin(), log.end()).find(pick.detail), std::string::npos);
    }
    base::ErrorLog().Close();
    base::SetMessageHandler(previous);
    EXPECT_EQ(list.entries.size(), 1u);
}

}  // namespace
}  // namespace korva::logo
