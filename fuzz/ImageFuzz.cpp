// Any bytes as a logo picture for Qt's image plugins: the decoder refuses them
// or hands over an 8-bit (indexed or gray, every index in its colour table)
// or 24-bit image inside the size limits, whose rows hold every pixel and
// which converts to a raster of exactly the promised size.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "logo/ImageDecode.h"
#include "logo/LogoBitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace korva::logo;
    BitmapDecodeResult result = DecodeImageFile(std::span<const uint8_t>(data, size));
    if (!result.ok()) {
        if (result.error.reason.empty()) std::abort();
        return 0;
    }
    const DecodedBitmap& bmp = result.bitmap;
    const int bytesPerPixel = bmp.bitsPerPixel / 8;
    if ((bmp.bitsPerPixel != 24 && bmp.bitsPerPixel != 8) || bmp.width <= 0 || bmp.height <= 0 ||
        int64_t{bmp.width} * bmp.height > kMaxBitmapPixels ||
        bmp.pixels.size() != static_cast<size_t>(bmp.stride) * static_cast<size_t>(bmp.height) ||
        bmp.stride < bmp.width * bytesPerPixel || bmp.stride % 4 != 0)
        std::abort();
    if (bmp.bitsPerPixel == 8)
        for (int y = 0; y < bmp.height; ++y)
            for (int x = 0; x < bmp.width; ++x)
                if (bmp.Row(y)[x] >= bmp.palette.size()) std::abort();
    if (int64_t{bmp.width} * bmp.height > (int64_t{1} << 20)) return 0;
    CLogoBitmap bitmap;
    if (!bitmap.LoadDecoded(std::move(result))) std::abort();
    const int width = bitmap.paddedWidth(), height = bitmap.paddedHeight();
    bitmap.ConvertMono(LogoOptions{}, false);
    if (bitmap.rasterLength() != width * height / 8) std::abort();
    return 0;
}
