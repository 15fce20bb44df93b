// Pictures decoded into the smallest bitmap that keeps what the conversion
// reads: every pixel's gray value is what the picture's 24-bit form over
// white paper gives, whatever depth the picture came in.
#include "logo/ImageDecode.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <sys/mman.h>
#include <unistd.h>
#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>

#include "logo/DecoderWords.h"
#include "logo/LogoBitmap.h"

namespace korva::logo {
namespace {

std::vector<uint8_t> Png(const QImage& picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(picture.save(&buffer, "PNG"));
    return {bytes.begin(), bytes.end()};
}

// A PNG of 16 bits a channel that Qt cannot write (gray with alpha), or
// whose samples run through every 16-bit value: `sample(x, y, channel)`.
std::vector<uint8_t> DeepPng(uint32_t width, uint32_t height, uint8_t colourType, int channels,
                             const std::function<uint16_t(uint32_t, uint32_t, int)>& sample) {
    std::vector<uint8_t> rows;
    for (uint32_t y = 0; y < height; ++y) {
        rows.push_back(0);  // no filter
        for (uint32_t x = 0; x < width; ++x)
            for (int c = 0; c < channels; ++c) {
                const uint16_t v = sample(x, y, c);
                rows.push_back(static_cast<uint8_t>(v >> 8));
                rows.push_back(static_cast<uint8_t>(v));
            }
    }
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    const auto chunk = [&png](const char* type, const std::vector<uint8_t>& data) {
        for (int shift = 24; shift >= 0; shift -= 8) png.push_back(static_cast<uint8_t>(data.size() >> shift));
        const size_t start = png.size();
        png.insert(png.end(), type, type + 4);
        png.insert(png.end(), data.begin(), data.end());
        const uLong crc = crc32(0, png.data() + start, static_cast<uInt>(png.size() - start));
        for (int shift = 24; shift >= 0; shift -= 8) png.push_back(static_cast<uint8_t>(crc >> shift));
    };
    std::vector<uint8_t> header;
    for (uint32_t v : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8) header.push_back(static_cast<uint8_t>(v >> shift));
    header.insert(header.end(), {16, colourType, 0, 0, 0});
    chunk("IHDR", header);
    uLongf packedSize = compressBound(static_cast<uLong>(rows.size()));
    std::vector<uint8_t> packed(packedSize);
    compress(packed.data(), &packedSize, rows.data(), static_cast<uLong>(rows.size()));
    packed.resize(packedSize);
    chunk("IDAT", packed);
    chunk("IEND", {});
    return png;
}

// The gray value of each pixel of the decoded picture as its 24-bit bitmap
// over white gives it: trunc(0.11 B + 0.59 G + 0.3 R) of the composited pixel.
std::vector<uint8_t> ReferenceGrays(const std::vector<uint8_t>& png, QImage::Format& decodedAs) {
    QByteArray bytes(reinterpret_cast<const char*>(png.data()), static_cast<qsizetype>(png.size()));
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer);
    const QImage picture = reader.read();
    decodedAs = picture.format();
    const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    const QImage bgr = picture.convertToFormat(QImage::Format_BGR888);
    std::vector<uint8_t> grays;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            int r, g, b;
            if (picture.hasAlphaChannel()) {
                const QRgb c = reinterpret_cast<const QRgb*>(argb.constScanLine(y))[x];
                r = OverWhite(qRed(c), qAlpha(c));
                g = OverWhite(qGreen(c), qAlpha(c));
                b = OverWhite(qBlue(c), qAlpha(c));
            } else {
                const uchar* p = bgr.constScanLine(y) + 3 * x;
                b = p[0], g = p[1], r = p[2];
            }
            grays.push_back(static_cast<uint8_t>(double(0.11f) * b + double(0.59f) * g + double(0.3f) * r));
        }
    }
    return grays;
}

// A picture of `format` with every kind of pixel it can hold, taller than the
// rows converted at a time.
QImage Sample(QImage::Format format) {
    QImage rgba(37, 150, QImage::Format_ARGB32);
    for (int y = 0; y < rgba.height(); ++y)
        for (int x = 0; x < rgba.width(); ++x)
            rgba.setPixel(x, y, qRgba((x * 53 + y) % 256, (y * 7) % 256, (x * y) % 256, (x * 29 + y * 3) % 256));
    if (format == QImage::Format_Indexed8) {
        QImage indexed(37, 150, QImage::Format_Indexed8);
        QList<QRgb> table;
        for (int i = 0; i < 200; ++i) table << qRgba(i, 255 - i, (i * 5) % 256, i % 3 == 0 ? 255 : i);
        indexed.setColorTable(table);
        for (int y = 0; y < indexed.height(); ++y)
            for (int x = 0; x < indexed.width(); ++x) indexed.setPixel(x, y, (x + y * 37) % 200);
        return indexed;
    }
    if (format == QImage::Format_Mono) return rgba.convertToFormat(format, Qt::ThresholdDither);
    return rgba.convertToFormat(format);
}

// Decodes `png` and expects a bitmap of `bitsPerPixel` and `height` rows whose
// every gray value is the reference's.
void CheckGrays(const std::vector<uint8_t>& png, uint16_t bitsPerPixel, int height) {
    QImage::Format decodedAs{};
    const std::vector<uint8_t> expected = ReferenceGrays(png, decodedAs);
    SCOPED_TRACE(testing::Message() << "Qt decodes it as format " << decodedAs);
    BitmapDecodeResult decoded = DecodeImageFile(png, "png");
    ASSERT_TRUE(decoded.ok()) << decoded.error.reason;
    EXPECT_EQ(decoded.bitmap.bitsPerPixel, bitsPerPixel);
    EXPECT_EQ(decoded.bitmap.pixels.size(), static_cast<size_t>(decoded.bitmap.stride) * static_cast<size_t>(height));
    CLogoBitmap bitmap;
    ASSERT_TRUE(bitmap.LoadDecoded(std::move(decoded)));
    std::vector<uint8_t> grays;
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x) grays.push_back(bitmap.GrayAt(x, y));
    EXPECT_EQ(grays, expected);
}

TEST(ImageDecode, EveryDepthDecodesToItsSmallestBitmapWithTheSameGrays) {
    const struct {
        QImage::Format format;
        uint16_t bitsPerPixel;  ///< of the bitmap handed on
    } rows[] = {
        {QImage::Format_Mono, 8},        {QImage::Format_Indexed8, 8}, {QImage::Format_Grayscale8, 8},
        {QImage::Format_Grayscale16, 8}, {QImage::Format_RGB32, 24},   {QImage::Format_ARGB32, 24},
        {QImage::Format_RGBX64, 8},      {QImage::Format_RGBA64, 8},
    };
    for (const auto& row : rows) {
        CheckGrays(Png(Sample(row.format)), row.bitsPerPixel, 150);
    }
    // Every 16-bit gray value, colour, and alpha over gray and colour: each
    // reduced to 8 bits exactly as Qt reduces it.
    CheckGrays(DeepPng(256, 256, 0, 1, [](uint32_t x, uint32_t y, int) { return uint16_t(y << 8 | x); }), 8, 256);
    CheckGrays(DeepPng(64, 70, 4, 2, [](uint32_t x, uint32_t y, int c) { return uint16_t((x * 1021 + y * 4099 + c * 30011) * 7); }),
               8, 70);
    CheckGrays(DeepPng(256, 256, 2, 3, [](uint32_t x, uint32_t y, int c) { return uint16_t((y << 8 | x) + c * 21845); }),
               8, 256);
    CheckGrays(DeepPng(64, 70, 6, 4, [](uint32_t x, uint32_t y, int c) { return uint16_t((x * 997 + y * 5003 + c * 20011) * 13); }),
               8, 70);
}

// What the process writes to its standard error while alive.
class StderrRecorder {
public:
    StderrRecorder() {
        std::fflush(stderr);
        m_Saved = ::dup(STDERR_FILENO);
        m_File = ::memfd_create("stderr-recorder", MFD_CLOEXEC);
        ::dup2(m_File, STDERR_FILENO);
    }
    ~StderrRecorder() { Restore(); }
    std::string Said() {
        Restore();
        std::string text;
        char buffer[4096];
        ssize_t n = 0;
        ::lseek(m_File, 0, SEEK_SET);
        while ((n = ::read(m_File, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
        return text;
    }

private:
    void Restore() {
        if (m_Saved < 0) return;
        std::fflush(stderr);
        ::dup2(m_Saved, STDERR_FILENO);
        ::close(m_Saved);
        m_Saved = -1;
    }
    int m_Saved = -1;
    int m_File = -1;
};

std::vector<uint8_t> TestFile(const char* name) {
    std::ifstream in(std::string(KORVA_TEST_DATA_DIR) + "/logo/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// What a decoder says belongs to that decode alone: a TIFF decoded on one
// thread beside a PNG on another keeps its warning, the PNG keeps nothing,
// and a line another thread writes to stderr meanwhile stays on stderr.
TEST(ImageDecode, EachDecodeKeepsItsOwnDecoderWords) {
    const std::vector<uint8_t> tif = TestFile("unknown-tag.tif");
    ASSERT_FALSE(tif.empty());
    const std::vector<uint8_t> png = Png(Sample(QImage::Format_RGB32));
    const std::string warning = "TIFFReadDirectory: Warning, Unknown field with tag 65000";
    StderrRecorder recorder;
    std::vector<std::string> tifWords, pngWords;
    std::thread tiffThread([&] {
        for (int i = 0; i < 20; ++i) tifWords.push_back(DecodeImageFile(tif, "tif").decoderWords);
    });
    std::thread pngThread([&] {
        for (int i = 0; i < 20; ++i) pngWords.push_back(DecodeImageFile(png, "png").decoderWords);
    });
    tiffThread.join();
    pngThread.join();
    {
        DecoderWords words;
        std::thread([] {
            std::fputs("another thread's line\n", stderr);
            std::fflush(stderr);
        }).join();
        words.Stop();
        EXPECT_EQ(words.Text(), "");
    }
    EXPECT_EQ(recorder.Said(), "another thread's line\n");
    for (const std::string& words : tifWords) EXPECT_NE(words.find(warning), std::string::npos) << words;
    for (const std::string& words : pngWords) EXPECT_EQ(words, "");
}

}  // namespace
}  // namespace korva::logo
