#pragma once
// Byte pieces of the NV bit-image definition (FS q) and the commands sent
// around it. Pure encoders: no I/O.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace korva::logo {

/// Raster data goes out in writes of this many bytes, 10 ms apart.
inline constexpr size_t kNvChunkSize = 512;
/// FS q carries the image count in one byte.
inline constexpr int kMaxNvImages = 255;

/// [1B] 1C 71 n: start of a definition of `count` images (1..255). The ESC
/// prefix is what printers in Star emulation expect in front of FS q.
std::vector<uint8_t> EncodeNvDefineCommand(int count, bool starEmulation);

/// xL xH yL yH for an image of `paddedWidth` x `paddedHeight` dots (both
/// multiples of 8). In gray mode xH carries the A0 mark.
std::array<uint8_t, 4> EncodeNvImageHeader(int paddedWidth, int paddedHeight, bool gray);

/// 00 00 00 00: an image of no size; closes a definition whose announced
/// images were not all sent.
std::array<uint8_t, 4> EncodeEmptyImageHeader();

/// 1C 71 01 00 00 00 00: one image of size 0 x 0, which erases every stored
/// logo. Never carries the Star prefix.
std::vector<uint8_t> EncodeNvEraseAll();

/// 1D 49 01 (GS I 1): ask the printer for its model ID; used as a liveness check.
std::vector<uint8_t> EncodePrinterIdRequest();

/// 1B 40 (ESC @): initialise the printer.
std::vector<uint8_t> EncodeInitialize();

/// Sizes of the writes that carry a raster of `length` bytes: whole 512-byte
/// chunks, then the remainder, which is a write of 0 bytes when nothing remains.
std::vector<size_t> NvChunkSizes(size_t length);

}  // namespace korva::logo
