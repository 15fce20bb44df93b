#include "logo/ui/BitmapImage.h"

#include <algorithm>

#include "logo/BitmapDecode.h"
#include "logo/LogoFile.h"
#include "logo/NvUpload.h"
#include "logo/PreviewPng.h"

namespace korva::logo::ui {

namespace {

int Channel(uint32_t pixel, const ChannelMask& mask, int defaultShift, int defaultBits) {
    const int shift = mask.bits ? mask.shift : defaultShift;
    const int bits = mask.bits ? mask.bits : defaultBits;
    const uint32_t top = (uint32_t{1} << bits) - 1;
    const uint32_t value = (pixel >> shift) & top;
    return static_cast<int>(value * 255 / top);
}

QRgb PaletteColour(const DecodedBitmap& bitmap, unsigned index) {
    if (index >= bitmap.palette.size()) return qRgb(0, 0, 0);
    const BitmapColour& c = bitmap.palette[index];
    return qRgb(c.red, c.green, c.blue);
}

QRgb PixelAt(const DecodedBitmap& bitmap, const uint8_t* row, int x) {
    switch (bitmap.bitsPerPixel) {
        case 1: return PaletteColour(bitmap, (row[x / 8] >> (7 - x % 8)) & 1);
        case 2: return PaletteColour(bitmap, (row[x / 4] >> (6 - 2 * (x % 4))) & 3);
        case 4: return PaletteColour(bitmap, x % 2 ? row[x / 2] & 0x0F : row[x / 2] >> 4);
        case 8: return PaletteColour(bitmap, row[x]);
        case 16: {
            const uint32_t word = row[2 * x] | (row[2 * x + 1] << 8);
            return qRgb(Channel(word, bitmap.red, 10, 5), Channel(word, bitmap.green, 5, 5),
                        Channel(word, bitmap.blue, 0, 5));
        }
        case 24: return qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
        case 32: {
            const uint8_t* p = row + 4 * x;
            const uint32_t dword = p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t{p[3]} << 24);
            return qRgb(Channel(dword, bitmap.red, 16, 8), Channel(dword, bitmap.green, 8, 8),
                        Channel(dword, bitmap.blue, 0, 8));
        }
        default: return qRgb(0, 0, 0);
    }
}

}  // namespace

QImage DecodedToImage(const DecodedBitmap& bitmap) {
    if (bitmap.width <= 0 || bitmap.height <= 0) return {};
    QImage image(bitmap.width, bitmap.height, QImage::Format_RGB32);
    if (image.isNull()) return {};
    for (int y = 0; y < bitmap.height; ++y) {
        const uint8_t* row = bitmap.Row(y);
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < bitmap.width; ++x) out[x] = PixelAt(bitmap, row, x);
    }
    return image;
}

QImage LoadBitmapImage(const std::string& path) {
    const BitmapDecodeResult decoded = ProbeLogoFile(path);
    if (!decoded.ok()) return {};
    return DecodedToImage(decoded.bitmap);
}

QImage PrinterDotsImage(const LogoRaster& raster, bool gray) {
    const int w = raster.paddedWidth, h = raster.paddedHeight;
    if (w <= 0 || h <= 0 || raster.data.empty()) return {};
    const std::vector<uint8_t> dots = gray ? GrayRasterToGray(raster.data, w, h)
                                           : MonoRasterToGray(raster.data, w, h);
    QImage image(w, h, QImage::Format_Grayscale8);
    if (image.isNull()) return {};
    for (int y = 0; y < h; ++y)
        std::copy_n(dots.data() + static_cast<size_t>(y) * static_cast<size_t>(w), w, image.scanLine(y));
    return image;
}

}  // namespace korva::logo::ui
