#pragma once
// Steps of the raster conversion that work on the padded work image: the tone
// adjustment, error diffusion to dots or to six gray levels, and the packing
// into the byte layouts the printer expects.
#include <array>
#include <cstdint>

namespace korva::logo {

/// Tone adjustment of every gray value for diverging point T, clamped to 0..255:
/// T <= 128 brightens by the factor 1 + (128 - T) / 128; T > 128 darkens with
/// g * T / 128 - (2T - 256), which keeps 256 fixed.
std::array<uint8_t, 256> ToneTable(int threshold);

/// Floyd-Steinberg diffusion in reading order; replaces each value by its dot
/// (1 = print). 127 and above is white.
void DiffuseMono(uint8_t* work, int paddedWidth, int paddedHeight);

/// Diffusion to six levels; replaces each value by its darkness 0 (white) .. 5.
void DiffuseGray(uint8_t* work, int paddedWidth, int paddedHeight);

/// Column layout: for each column, top to bottom, one byte per band of 8 rows,
/// bit 7 the top row. Writes paddedWidth * paddedHeight / 8 bytes.
void PackColumns(const uint8_t* dots, int paddedWidth, int paddedHeight, uint8_t* out);

/// Row layout of gray images: two pixels per byte, the left one in the high
/// nibble. Writes paddedWidth * paddedHeight / 2 bytes.
void PackGrayRows(const uint8_t* levels, int paddedWidth, int paddedHeight, uint8_t* out);

}  // namespace korva::logo
