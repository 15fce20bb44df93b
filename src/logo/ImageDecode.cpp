#include "logo/ImageDecode.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <algorithm>
#include <vector>

#include "logo/DecoderWords.h"
#include "logo/DeepPngDecode.h"
#include "logo/PictureIntegrity.h"

namespace korva::logo {
namespace {

BitmapDecodeResult Fail(BitmapErrorKind kind, std::string reason) {
    BitmapDecodeResult result;
    result.error = {kind, std::move(reason)};
    return result;
}

BitmapError CheckSize(const QSize& size) {
    const int64_t w = size.width(), h = size.height();
    if (w <= 0 || h <= 0)
        return {BitmapErrorKind::BadDimensions,
                "the picture is " + std::to_string(w) + " x " + std::to_string(h) + " pixels"};
    if (w > kMaxBitmapSide || h > kMaxBitmapSide || w * h > kMaxBitmapPixels)
        return {BitmapErrorKind::TooLarge, TooLargeReason(w, h)};
    return {};
}

// A reader over the file's bytes, which `buffer` holds without a copy.
void OpenReader(QBuffer& buffer, QImageReader& reader, std::span<const uint8_t> file, std::string_view hint) {
    buffer.setData(QByteArray::fromRawData(reinterpret_cast<const char*>(file.data()),
                                           static_cast<qsizetype>(file.size())));
    buffer.open(QIODevice::ReadOnly);
    reader.setDevice(&buffer);
    // Tried first; the bytes still decide when that format does not read them.
    if (!hint.empty()) reader.setFormat(QByteArray(hint.data(), static_cast<qsizetype>(hint.size())).toLower());
    reader.setAllocationLimit(kImageDecodeLimitMB);
    reader.setAutoTransform(true);  // a photo's orientation tag, as viewers show it
}

const char* const kNotReadable = "the file is neither a bitmap nor a picture format this system reads";

// Rows converted at a time: a band in Qt's conversion formats stays small
// beside the picture, so no second full-size copy of it is ever made.
constexpr int kBandRows = 64;

// A bitmap of the picture's size and depth, its rows (padded to 4 bytes,
// stored top-down) reserved but not yet written.
DecodedBitmap EmptyBitmap(const QImage& picture, uint16_t bitsPerPixel) {
    DecodedBitmap bmp;
    bmp.width = picture.width();
    bmp.height = picture.height();
    bmp.bitsPerPixel = bitsPerPixel;
    bmp.stride = (bmp.width * bitsPerPixel / 8 + 3) / 4 * 4;
    bmp.headerSize = 40;
    bmp.topDown = true;
    bmp.pixels.reserve(static_cast<size_t>(bmp.stride) * static_cast<size_t>(bmp.height));
    return bmp;
}

// Appends one row of `bytes` and the zero padding after it.
void AppendRow(DecodedBitmap& bmp, const uint8_t* bytes, size_t count) {
    bmp.pixels.insert(bmp.pixels.end(), bytes, bytes + count);
    bmp.pixels.insert(bmp.pixels.end(), static_cast<size_t>(bmp.stride) - count, 0);
}

// Calls `row(scanLine, y)` for every line of `picture` in `format`, converting
// a band of lines at a time where the picture is in another format.
template <typename RowFn>
void ForEachRow(const QImage& picture, QImage::Format format, RowFn row) {
    if (picture.format() == format) {
        for (int y = 0; y < picture.height(); ++y) row(picture.constScanLine(y), y);
        return;
    }
    for (int top = 0; top < picture.height(); top += kBandRows) {
        const int rows = std::min(kBandRows, picture.height() - top);
        const QImage band = picture.copy(0, top, picture.width(), rows).convertToFormat(format);
        for (int y = 0; y < rows; ++y) row(band.constScanLine(y), top + y);
    }
}

// The colour of each index of an indexed picture's table, laid on white, as
// the 24-bit conversion of a picture of those indices gives it: Qt's own
// conversion decides what an index past the table or an empty table means.
std::vector<BitmapColour> TableOverWhite(const QImage& picture) {
    const bool mono = picture.format() != QImage::Format_Indexed8;
    const int entries = mono ? 2 : 256;
    QImage probe(entries, 1, picture.format());
    probe.setColorTable(picture.colorTable());
    uchar* line = probe.scanLine(0);
    if (mono) line[0] = picture.format() == QImage::Format_Mono ? 0x40 : 0x02;  // pixel 1 is index 1
    else for (int i = 0; i < entries; ++i) line[i] = static_cast<uchar>(i);
    std::vector<BitmapColour> palette(static_cast<size_t>(entries));
    if (!probe.hasAlphaChannel()) {
        const QImage bgr = probe.convertToFormat(QImage::Format_BGR888);
        const uchar* in = bgr.constScanLine(0);
        for (size_t i = 0; i < palette.size(); ++i) palette[i] = {in[3 * i], in[3 * i + 1], in[3 * i + 2]};
        return palette;
    }
    const QImage argb = probe.convertToFormat(QImage::Format_ARGB32);
    const auto* in = reinterpret_cast<const QRgb*>(argb.constScanLine(0));
    for (size_t i = 0; i < palette.size(); ++i) {
        const int a = qAlpha(in[i]);
        palette[i] = {OverWhite(qBlue(in[i]), a), OverWhite(qGreen(in[i]), a), OverWhite(qRed(in[i]), a)};
    }
    return palette;
}

// An indexed picture keeps its indices: an 8-bit bitmap (1-bit pictures
// unpacked to a byte a pixel) over the table's colours laid on white.
DecodedBitmap IndexedBitmap(const QImage& picture) {
    DecodedBitmap bmp = EmptyBitmap(picture, 8);
    bmp.palette = TableOverWhite(picture);
    const auto width = static_cast<size_t>(bmp.width);
    if (picture.format() == QImage::Format_Indexed8) {
        ForEachRow(picture, QImage::Format_Indexed8, [&](const uchar* line, int) { AppendRow(bmp, line, width); });
        return bmp;
    }
    const bool msbFirst = picture.format() == QImage::Format_Mono;
    std::vector<uint8_t> indices(width);
    for (int y = 0; y < bmp.height; ++y) {
        const uchar* line = picture.constScanLine(y);
        for (size_t x = 0; x < width; ++x)
            indices[x] = (line[x / 8] >> (msbFirst ? 7 - x % 8 : x % 8)) & 1;
        AppendRow(bmp, indices.data(), width);
    }
    return bmp;
}

// A gray picture becomes an 8-bit bitmap over a gray ramp: one byte a pixel,
// the same gray values its 24-bit form would give (channels all equal).
DecodedBitmap GrayBitmap(const QImage& picture) {
    DecodedBitmap bmp = EmptyBitmap(picture, 8);
    bmp.palette.resize(256);
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<uint8_t>(i);
        bmp.palette[static_cast<size_t>(i)] = {v, v, v};
    }
    const auto width = static_cast<size_t>(bmp.width);
    if (picture.format() == QImage::Format_Grayscale8) {
        ForEachRow(picture, QImage::Format_Grayscale8, [&](const uchar* line, int) { AppendRow(bmp, line, width); });
        return bmp;
    }
    // Other gray depths through Qt's 24-bit conversion, as they always went:
    // its blue byte is the gray value.
    std::vector<uint8_t> gray(width);
    ForEachRow(picture, QImage::Format_BGR888, [&](const uchar* line, int) {
        for (size_t x = 0; x < width; ++x) gray[x] = line[3 * x];
        AppendRow(bmp, gray.data(), width);
    });
    return bmp;
}

// Any other picture: a 24-bit bitmap (blue, green, red) of its pixels over white.
DecodedBitmap ColourBitmap(const QImage& picture) {
    DecodedBitmap bmp = EmptyBitmap(picture, 24);
    const auto rowBytes = static_cast<size_t>(bmp.width) * 3;
    if (!picture.hasAlphaChannel()) {
        // Opaque: Qt lays the rows out in the bitmap's own byte order.
        ForEachRow(picture, QImage::Format_BGR888, [&](const uchar* line, int) { AppendRow(bmp, line, rowBytes); });
        return bmp;
    }
    std::vector<uint8_t> out(rowBytes);
    ForEachRow(picture, QImage::Format_ARGB32, [&](const uchar* line, int) {
        const auto* in = reinterpret_cast<const QRgb*>(line);
        uint8_t* o = out.data();
        for (int x = 0; x < bmp.width; ++x) {
            const int a = qAlpha(in[x]);
            *o++ = OverWhite(qBlue(in[x]), a);
            *o++ = OverWhite(qGreen(in[x]), a);
            *o++ = OverWhite(qRed(in[x]), a);
        }
        AppendRow(bmp, out.data(), rowBytes);
    });
    return bmp;
}

// The picture's pixels over white in the smallest bitmap that keeps what the
// conversion reads of them: 8 bits a pixel for indexed and gray pictures,
// 24 for the rest.
DecodedBitmap ToBitmap(const QImage& picture) {
    switch (picture.format()) {
        case QImage::Format_Mono:
        case QImage::Format_MonoLSB:
        case QImage::Format_Indexed8: return IndexedBitmap(picture);
        case QImage::Format_Grayscale8:
        case QImage::Format_Grayscale16: return GrayBitmap(picture);
        default: return ColourBitmap(picture);
    }
}

}  // namespace

ImageHeader ReadImageHeader(std::span<const uint8_t> file, std::string_view formatHint) {
    ImageHeader header;
    if (file.empty()) {
        header.error = {BitmapErrorKind::Truncated, "the file is empty"};
        return header;
    }
    DecoderWords words;
    QBuffer buffer;
    QImageReader reader;
    OpenReader(buffer, reader, file, formatHint);
    if (!reader.canRead()) {
        header.error = {BitmapErrorKind::NotBitmap, kNotReadable};
        return header;
    }
    QSize size = reader.size();
    if (!size.isValid()) return header;  // known only once decoded
    if (reader.transformation().testFlag(QImageIOHandler::TransformationRotate90)) size.transpose();
    header.error = CheckSize(size);
    header.width = size.width();
    header.height = size.height();
    return header;
}

BitmapDecodeResult DecodeImageFile(std::span<const uint8_t> file, std::string_view formatHint) {
    if (file.empty()) return Fail(BitmapErrorKind::Truncated, "the file is empty");
    // A file that ends early is refused before a decoder fills in what is missing.
    if (BitmapError whole = CheckPictureWhole(file); whole.kind != BitmapErrorKind::None)
        return Fail(whole.kind, whole.reason);
    // 16-bit PNG files straight to their 8-bit result: Qt would hold 8 bytes a pixel.
    if (std::optional<BitmapDecodeResult> deep = DecodeDeepPng(file)) return std::move(*deep);
    DecoderWords words;
    QBuffer buffer;
    QImageReader reader;
    OpenReader(buffer, reader, file, formatHint);
    if (!reader.canRead()) return Fail(BitmapErrorKind::NotBitmap, kNotReadable);
    // The header's size where the format tells it: refused before any pixel is unpacked.
    if (const QSize size = reader.size(); size.isValid())
        if (BitmapError e = CheckSize(size); e.kind != BitmapErrorKind::None)
            return Fail(e.kind, e.reason);
    QImage picture;
    const bool read = reader.read(&picture);
    words.Stop();
    BitmapDecodeResult result;
    result.decoderWords = words.Text();
    const std::string said = result.decoderWords.empty() ? std::string() : ": " + result.decoderWords;
    if (!read)
        result.error = {BitmapErrorKind::Damaged,
                        "the picture cannot be decoded (" + reader.errorString().toStdString() + ")" + said};
    else if (words.ReportDamage())
        result.error = {BitmapErrorKind::Damaged, "the picture's data is damaged" + said};
    else
        result.error = CheckSize(picture.size());
    if (result.ok()) result.bitmap = ToBitmap(picture);
    return result;
}

}  // namespace korva::logo
