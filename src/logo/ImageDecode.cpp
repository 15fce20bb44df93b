#include "logo/ImageDecode.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <cstring>

#include "logo/DecoderWords.h"
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

// The picture's pixels over white, as the rows of a 24-bit bitmap (blue,
// green, red; rows padded to 4 bytes), stored top-down.
DecodedBitmap ToBitmap(const QImage& picture) {
    DecodedBitmap bmp;
    bmp.width = picture.width();
    bmp.height = picture.height();
    bmp.bitsPerPixel = 24;
    bmp.stride = (bmp.width * 3 + 3) / 4 * 4;
    bmp.headerSize = 40;
    bmp.topDown = true;
    bmp.pixels.resize(static_cast<size_t>(bmp.stride) * static_cast<size_t>(bmp.height));
    const auto rowBytes = static_cast<size_t>(bmp.width) * 3;
    auto row = [&bmp](int y) { return bmp.pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(bmp.stride); };
    if (!picture.hasAlphaChannel()) {
        // Opaque: Qt lays the rows out in the bitmap's own byte order.
        const QImage bgr = picture.convertToFormat(QImage::Format_BGR888);
        for (int y = 0; y < bmp.height; ++y) {
            std::memcpy(row(y), bgr.constScanLine(y), rowBytes);
            std::memset(row(y) + rowBytes, 0, static_cast<size_t>(bmp.stride) - rowBytes);
        }
        return bmp;
    }
    const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < bmp.height; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        uint8_t* out = row(y);
        for (int x = 0; x < bmp.width; ++x) {
            const int a = qAlpha(in[x]);
            *out++ = OverWhite(qBlue(in[x]), a);
            *out++ = OverWhite(qGreen(in[x]), a);
            *out++ = OverWhite(qRed(in[x]), a);
        }
        std::memset(out, 0, static_cast<size_t>(bmp.stride) - rowBytes);
    }
    return bmp;
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
