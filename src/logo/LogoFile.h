#pragma once
// File access for the logo codec: reads a logo file whole and hands its
// bytes to the reader, which itself never touches the file system. Bitmap
// files (starting "BM") go to the tool's own bitmap reader; any other picture
// format to Qt's image plugins (ImageDecode.h).
#include <cstdint>
#include <string>
#include <vector>

#include "logo/BitmapDecode.h"
#include "logo/LogoBitmap.h"

namespace korva::logo {

/// Largest file read: a bitmap of the largest accepted image, with room for headers.
inline constexpr uint64_t kMaxBitmapFileBytes = uint64_t{160} << 20;

/// Reads a whole file into `bytes`; on failure the error says why.
bool ReadBitmapFile(const std::string& path, std::vector<uint8_t>& bytes, BitmapError& error);

/// Decodes a logo file's bytes with the reader its first bytes call for.
BitmapDecodeResult DecodeLogoBytes(std::vector<uint8_t>&& bytes);

/// LoadFile from a path: reads the file, then decodes it. False with
/// bitmap.LastError() or `error` telling why.
bool LoadLogoFile(CLogoBitmap& bitmap, const std::string& path, BitmapError& error);

/// Decodes a file's headers and pixels without converting: what the logo list
/// needs to accept (width, height, depth) or refuse a file.
BitmapDecodeResult ProbeLogoFile(const std::string& path);

}  // namespace korva::logo
