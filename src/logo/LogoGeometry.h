#pragma once
// Sizes of a logo in the printer: the image is padded to whole bytes in both
// directions, and its size travels as x = width / 8 and y = height / 8 in two
// little-endian 16-bit words (xL xH yL yH).
#include <cstdint>

namespace korva::logo {

/// NV graphics memory the logos may use, in KB.
inline constexpr int kNvCapacityKB = 384;

/// The NV graphics memory in bytes.
constexpr int64_t NvCapacityBytes(int capacityKB = kNvCapacityKB) { return int64_t{capacityKB} * 1024; }

/// The NV budget: bytes still free once `usedBytes` are taken (below 0 when
/// over). Every check of whether logos fit asks here.
constexpr int64_t NvBytesLeft(int64_t usedBytes, int capacityKB = kNvCapacityKB) {
    return NvCapacityBytes(capacityKB) - usedBytes;
}

constexpr int64_t PaddedSide(int64_t pixels) { return (pixels + 7) / 8 * 8; }

/// NV bytes of an image before centring: one bit per padded pixel, or four
/// bits per pixel for a gray image.
constexpr int64_t NvImageBytes(int64_t width, int64_t height, bool gray) {
    const int64_t bytes = PaddedSide(width) * ((height + 7) / 8);
    return gray ? bytes * 4 : bytes;
}

/// NV bytes of a 1-bit image the upload centres in maxPrintableWidth dots:
/// half the free width, in whole bytes of blank columns, is added on the left.
constexpr int64_t CentredNvImageBytes(int64_t width, int64_t height, int64_t maxPrintableWidth) {
    const int64_t padded = PaddedSide(width);
    const int64_t shift = maxPrintableWidth > padded ? ((maxPrintableWidth - padded) / 2 + 7) / 8 * 8 : 0;
    return (padded + shift) * ((height + 7) / 8);
}

/// Whether the four header bytes can carry the image's size. In gray mode the
/// high width byte is OR-ed with A0, so it must keep bits 7 and 5 clear: only
/// x below 0x2000 survives the mark unchanged.
constexpr bool HeaderCanCarry(int64_t width, int64_t height, bool gray) {
    const int64_t x = PaddedSide(width) / 8;
    const int64_t y = PaddedSide(height) / 8;
    if (width <= 0 || height <= 0 || y > 0xFFFF) return false;
    return gray ? x < 0x2000 : x <= 0xFFFF;
}

}  // namespace korva::logo
