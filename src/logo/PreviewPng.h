#pragma once
// A picture of the dots a raster prints, as a PNG file's bytes: what a person
// looks at before uploading. Black dots on white; gray rasters in their six
// levels (darkness 0..5 drawn as 255 - 51 x darkness).
#include <cstdint>
#include <span>
#include <vector>

namespace korva::logo {

/// One byte per dot, row-major, 0 black .. 255 white, of a 1-bit column raster.
std::vector<uint8_t> MonoRasterToGray(std::span<const uint8_t> raster, int paddedWidth,
                                      int paddedHeight);
/// The same for a 4-bit row raster of gray levels.
std::vector<uint8_t> GrayRasterToGray(std::span<const uint8_t> raster, int paddedWidth,
                                      int paddedHeight);

/// An 8-bit grayscale PNG (stored deflate blocks: no compression needed for a preview).
std::vector<uint8_t> EncodeGrayPng(std::span<const uint8_t> pixels, int width, int height);

}  // namespace korva::logo
