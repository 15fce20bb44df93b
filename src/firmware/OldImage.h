#pragma once
// Firmware images of the older series (KORVA10): a raw flash image where the
// byte at file offset a belongs at flash address a, and the loader's block
// protocol: one erase packet, then data packets of at most 512 bytes, every
// multi-byte number big-endian, each packet answered DLE ACK or DLE NAK.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace korva::firmware {

/// The four areas in the order of the dialog's radio buttons.
enum class OldArea : int { Program = 0, ExtFont = 1, Boot = 2, Font = 3 };
inline constexpr int kOldAreaCount = 4;

struct OldAreaInfo {
    uint32_t start;      ///< first flash address (image offset)
    uint32_t end;        ///< one past the last
    uint8_t eraseFirst;  ///< first 64 KiB block number + 3
    uint8_t eraseEnd;    ///< end 64 KiB block number + 3
    int eraseWaitMs;     ///< one of the six waits while the printer erases
    const char* label;   ///< the radio button's text
};

inline constexpr uint32_t kOldBlockSize = 512;
inline constexpr uint32_t kOldPacketOverhead = 10;  ///< command, length, address, checksum
inline constexpr int kOldEraseWaits = 6;
/// Where an image states that it holds no extended font.
inline constexpr uint32_t kOldExtFontTagOffset = 0x080000;

const OldAreaInfo& OldAreaOf(OldArea area);

enum class OldImageError {
    None,
    TooShort,   ///< the file ends before the area does
    NoExtFont,  ///< extended font asked for, the image is tagged "K15S"
};

/// Checks that `image` (the file from offset 0) holds the whole area.
OldImageError CheckOldImage(std::span<const uint8_t> image, OldArea area);

/// 40 F2, the erase code bytes, four zero address bytes, zero checksum.
std::vector<uint8_t> EncodeOldErasePacket(OldArea area);

/// 40 F0 (more follows) or 40 F1 (`last`), length, address, data, checksum of
/// the data. `data` holds 1..512 bytes; anything else gives an empty packet.
std::vector<uint8_t> EncodeOldDataPacket(std::span<const uint8_t> data, uint32_t address, bool last);

/// The next data block from `position` to `end`: its size and whether it is the last.
struct OldBlock {
    uint32_t size = 0;
    bool last = false;
};
OldBlock NextOldBlock(uint32_t position, uint32_t end);

enum class OldAnswer { Ack, Nak };

/// Reads the printer's answers out of the received bytes: a byte counts only
/// directly after a DLE; 06 is ACK, 15 is NAK, anything else is ignored and
/// the next DLE is awaited again.
class OldAnswerParser {
public:
    std::optional<OldAnswer> Feed(uint8_t byte);
    void Reset() { m_DleSeen = false; }

private:
    bool m_DleSeen = false;
};

}  // namespace korva::firmware
