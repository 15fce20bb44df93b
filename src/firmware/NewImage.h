#pragma once
// Firmware images of the newer series (KORVA20, KORVA20II): a raw 1 MiB or
// 2 MiB flash image whose signature sits at the end of the first MiB, and the
// download packet that carries one area of it to the printer's loader.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace korva::firmware {

inline constexpr uint32_t kNewImageSize1M = 0x100000;
inline constexpr uint32_t kNewImageSize2M = 0x200000;
inline constexpr uint32_t kNewSignatureOffset = 0x0FFFFC;  ///< three ASCII characters "K2x"
inline constexpr uint32_t kNewExtFontMarkerOffset = 0x0FFFFF;  ///< '1': no extended font
/// Area code (4), packet length (4) and checksum (2) around the data.
inline constexpr uint32_t kNewPacketOverhead = 10;

/// The four areas in the order of the dialog's radio buttons.
enum class NewArea : int { Program = 0, Boot = 1, Downloader = 2, ExtFont = 3 };
inline constexpr int kNewAreaCount = 4;

enum class NewSignature { None, K20, K22, K23, K24 };

enum class NewImageError {
    None,
    SizeWrong,    ///< not exactly 1 MiB or 2 MiB
    NotFirmware,  ///< no signature, or one the device type does not take
    NoExtFont,    ///< the extended font was asked for but the image has none
};

/// A download packet ready to send, and the checksum it carries.
struct NewPacket {
    std::vector<uint8_t> bytes;
    uint16_t checksum = 0;
    NewSignature signature = NewSignature::None;
};

struct NewPacketResult {
    NewPacket packet;
    NewImageError error = NewImageError::None;
    bool ok() const { return error == NewImageError::None; }
};

bool IsNewImageSize(uint64_t size);
/// The signature at 0x0FFFFC; None when the image is too short or has none.
NewSignature ReadNewSignature(std::span<const uint8_t> image);
/// "K20".. or "" for None.
const char* NewSignatureText(NewSignature signature);
/// Device type 1 takes "K20" only; device type 3 takes "K22", "K23", "K24".
bool SignatureFitsDeviceType(NewSignature signature, int deviceType);
/// True when a 2 MiB image carries extended-font data (marker not '1').
bool HasExtFont(std::span<const uint8_t> image);

/// Whole packet length of an area for a signature ("K20" column for None).
uint32_t NewPacketLength(NewSignature signature, NewArea area);
/// Area code as the 32-bit value sent little-endian first.
uint32_t NewAreaCode(NewSignature signature, NewArea area);
/// Where the area's data begins in the image.
uint32_t NewAreaImageOffset(NewArea area);

/// Checks the image for `deviceType` and builds the packet of `area`: area
/// code, length, the image bytes of the area (less the last ten), checksum of
/// those data bytes. Never reads outside `image`.
NewPacketResult BuildNewDownloadPacket(std::span<const uint8_t> image, int deviceType, NewArea area);

/// Sum of the bytes, as unsigned bytes, modulo 65536.
uint16_t SumBytes16(std::span<const uint8_t> bytes);

}  // namespace korva::firmware
