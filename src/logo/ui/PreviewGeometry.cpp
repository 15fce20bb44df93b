#include "logo/ui/PreviewGeometry.h"

#include <algorithm>

namespace korva::logo::ui {

PreviewSize PreviewDrawSize(int areaWidth, int areaHeight, int bitmapWidth, int bitmapHeight,
                            PreviewQuality quality) {
    if (areaWidth <= 0 || areaHeight <= 0 || bitmapWidth <= 0 || bitmapHeight <= 0) return {};
    // 64-bit products: a very large bitmap must not overflow the scaling.
    const long long w = bitmapWidth;
    const long long h = bitmapHeight;
    const long long half = areaHeight / 2;
    long long baseWidth = half;
    long long baseHeight = half;
    if (w > h) {
        baseWidth = areaWidth / 2;
        baseHeight = h * (areaWidth / 2) / w;
        if (areaHeight < 2 * baseHeight) {
            baseWidth = half * w / h;
            baseHeight = half;
        }
    } else if (w < h) {
        baseWidth = half * w / h;
    }
    const bool doubleWidth = quality == PreviewQuality::Quadraple || quality == PreviewQuality::DoubleWidth;
    const bool doubleHeight = quality == PreviewQuality::Quadraple || quality == PreviewQuality::DoubleHeight;
    return {static_cast<int>(doubleWidth ? 2 * baseWidth : baseWidth),
            static_cast<int>(doubleHeight ? 2 * baseHeight : baseHeight)};
}

PreviewSize DotsDrawSize(int dotsWide, int dotsHigh, PreviewQuality quality) {
    if (dotsWide <= 0 || dotsHigh <= 0) return {};
    const bool doubleWidth = quality == PreviewQuality::Quadraple || quality == PreviewQuality::DoubleWidth;
    const bool doubleHeight = quality == PreviewQuality::Quadraple || quality == PreviewQuality::DoubleHeight;
    return {doubleWidth ? 2 * dotsWide : dotsWide, doubleHeight ? 2 * dotsHigh : dotsHigh};
}

PreviewSize FitWithin(PreviewSize size, int areaWidth, int areaHeight) {
    if (size.width <= 0 || size.height <= 0 || areaWidth <= 0 || areaHeight <= 0) return {};
    if (size.width <= areaWidth && size.height <= areaHeight) return size;
    const long long w = size.width, h = size.height;
    // The side that overflows more sets the scale.
    if (w * areaHeight >= h * areaWidth)
        return {areaWidth, static_cast<int>(std::max(1LL, h * areaWidth / w))};
    return {static_cast<int>(std::max(1LL, w * areaHeight / h)), areaHeight};
}

}  // namespace korva::logo::ui
