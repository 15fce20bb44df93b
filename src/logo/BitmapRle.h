#pragma once
// Expansion of run-length encoded bitmap rows (RLE8 and RLE4) into the
// uncompressed bottom-up rows of the same depth.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace korva::logo {

/// Expands `data` into `rows` (height rows of `stride` bytes, zero-filled by
/// the caller). bitsPerPixel is 8 or 4. Skipped pixels keep colour index 0;
/// pixels a run puts past the end of its row are dropped.
/// Returns an empty string on success, else the reason for refusing.
std::string ExpandRle(std::span<const uint8_t> data, int bitsPerPixel, int width, int height,
                      int stride, std::vector<uint8_t>& rows);

}  // namespace korva::logo
