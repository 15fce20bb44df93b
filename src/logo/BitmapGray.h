#pragma once
// Gray value of a pixel (0 black .. 255 white) with the printer tool's
// weights: single-precision constants, products and sums in double, the sum
// truncated toward zero. The weights add up to slightly less than 1, so a
// neutral pixel of value v >= 1 gives v - 1 (white is 254).
#include <cstdint>

#include "logo/BitmapDecode.h"

namespace korva::logo {

/// Colour table entry: trunc(B * 0.11 + G * 0.59 + R * 0.3).
uint8_t PaletteGray(const BitmapColour& colour);

/// Gray values of image line y (0 = top), `bitmap.width` of them, into `out`.
void GrayRow(const DecodedBitmap& bitmap, const std::vector<uint8_t>& paletteGray, int y,
             uint8_t* out);

/// Gray values of `width` pixels of blue, green and red bytes, into `out`.
void GrayRowBgr(const uint8_t* bgr, int width, uint8_t* out);

/// Gray value of one pixel inside the image.
uint8_t GrayPixel(const DecodedBitmap& bitmap, int x, int y);

/// Colour table index of a pixel of a 1..8-bit image.
int PixelIndex(const DecodedBitmap& bitmap, const uint8_t* row, int x);

}  // namespace korva::logo
