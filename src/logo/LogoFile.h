#pragma once
// File access for the logo codec: reads a logo file whole and hands its
// bytes to the reader, which itself never touches the file system. Bitmap
// files (starting "BM") go to the tool's own bitmap reader; any other picture
// format to Qt's image plugins (ImageDecode.h).
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/Reason.h"
#include "logo/BitmapDecode.h"
#include "logo/LogoBitmap.h"

namespace korva::logo {

/// Largest file read: a bitmap of the largest accepted image, with room for headers.
inline constexpr uint64_t kMaxBitmapFileBytes = uint64_t{160} << 20;

/// How much of a file NotAPicture is given before a long read goes on.
inline constexpr size_t kPictureHeadBytes = 64 * 1024;

/// Reads a whole file into `bytes`; on failure the error says why.
bool ReadBitmapFile(const std::string& path, std::vector<uint8_t>& bytes, BitmapError& error);

/// Why a file whose first bytes are `head` is no picture at all ("" when it
/// may be one): neither a bitmap nor a format an image plugin knows, or a
/// picture with no pixels. Reads only headers.
std::string NotAPicture(std::span<const uint8_t> head, std::string_view formatHint = {});

/// Decodes a logo file's bytes with the reader its first bytes call for;
/// `formatHint` is the file name's suffix, if any (see ImageDecode.h).
BitmapDecodeResult DecodeLogoBytes(std::vector<uint8_t>&& bytes, std::string_view formatHint = {});


/// LoadFile from a path: reads the file, then decodes it. False with
/// bitmap.LastError() or `error` telling why.
bool LoadLogoFile(CLogoBitmap& bitmap, const std::string& path, BitmapError& error);

/// Decodes a file's headers and pixels without converting: what the logo list
/// needs to accept (width, height, depth) or refuse a file. A picture whose
/// header size `check` refuses is refused (TooLarge, the check's words)
/// before its pixels are unpacked.
BitmapDecodeResult ProbeLogoFile(const std::string& path, const ImageSizeCheck& check = {});
/// The same for a file already read whole; `formatHint` as for DecodeLogoBytes.
BitmapDecodeResult ProbeLogoBytes(std::vector<uint8_t>&& bytes, std::string_view formatHint,
                                  const ImageSizeCheck& check = {});

/// One line for a person on why file `name` was refused: "photo.jpg: the file
/// ends early (damaged or still being copied)"; a bitmap whose headers or rows
/// are broken reads "logo.bmp: not a usable bitmap: width is 0".
std::string DescribeRefusal(const std::string& name, const BitmapError& error);

/// The reason code of a refused file: too-large, file-io or bad-input.
base::Reason RefusalReason(const BitmapError& error);

/// Writes what a picture's decoder said to the error log, one line naming the file.
void LogDecoderWords(const std::string& path, const BitmapDecodeResult& result);

}  // namespace korva::logo
