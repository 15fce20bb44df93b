// Any bytes as a logo bitmap file: the reader refuses or decodes them, and a
// decoded image converts to rasters of exactly the promised sizes.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "logo/LogoBitmap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    korva::logo::CLogoBitmap bitmap;
    if (!bitmap.LoadFile(std::span<const uint8_t>(data, size))) {
        if (bitmap.LastError().reason.empty()) std::abort();
        return 0;
    }
    // Conversions of huge images would only slow the fuzzer down.
    const int64_t pixels = int64_t{bitmap.paddedWidth()} * bitmap.paddedHeight();
    if (pixels > (int64_t{1} << 20)) return 0;
    korva::logo::LogoOptions options;
    options.threshold = size > 0 ? data[size - 1] : 128;
    options.maxPrintableWidth = 512;
    const int width = bitmap.paddedWidth(), height = bitmap.paddedHeight();
    bitmap.ConvertMono(options, true);
    if (bitmap.rasterLength() != bitmap.paddedWidth() * height / 8 || bitmap.paddedWidth() < width)
        std::abort();
    bitmap.ConvertGray(options);
    if (bitmap.rasterLength() != width * height / 2 || bitmap.paddedWidth() != width) std::abort();
    for (int y = 0; y < bitmap.height(); y += 7)
        for (int x = 0; x < bitmap.width(); x += 5)
            if (bitmap.DotAt(x, y) > 1) std::abort();
    return 0;
}
