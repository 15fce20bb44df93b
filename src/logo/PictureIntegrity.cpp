#include "logo/PictureIntegrity.h"

#include <zlib.h>

#include <algorithm>
#include <initializer_list>
#include <cstring>
#include <string>

namespace korva::logo {
namespace {

BitmapError EndsEarly() { return {BitmapErrorKind::Truncated, kEndsEarlyReason}; }
BitmapError Damaged(const std::string& what) {
    return {BitmapErrorKind::Damaged, "the " + what + " data is damaged"};
}

bool StartsWith(std::span<const uint8_t> file, std::initializer_list<uint8_t> magic) {
    return file.size() >= magic.size() && std::equal(magic.begin(), magic.end(), file.begin());
}

uint32_t BigEndian32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

// zlib's CRC-32, the one PNG chunks carry; a chunk is at most 2^31 - 1 bytes,
// within what one call takes.
uint32_t Crc32(std::span<const uint8_t> bytes) {
    return static_cast<uint32_t>(::crc32(0, bytes.data(), static_cast<uInt>(bytes.size())));
}

// Chunks of length, type, data and CRC up to IEND. The CRC of a critical chunk
// (upper-case first letter) is checked as the decoder would; a damaged
// ancillary chunk is only skipped by it, and so here.
BitmapError CheckPng(std::span<const uint8_t> file) {
    size_t pos = 8;
    while (true) {
        if (file.size() - pos < 12) return EndsEarly();
        const uint32_t length = BigEndian32(&file[pos]);
        if (length > 0x7FFFFFFFu) return Damaged("PNG");
        if (file.size() - pos - 12 < length) return EndsEarly();
        const uint8_t* type = &file[pos + 4];
        const bool critical = (type[0] & 0x20) == 0;
        if (critical && Crc32(file.subspan(pos + 4, length + 4)) != BigEndian32(&file[pos + 8 + length]))
            return Damaged("PNG");
        if (std::memcmp(type, "IEND", 4) == 0) return {};
        pos += 12 + size_t{length};
    }
}

// Data sub-blocks: a size byte and that many bytes, until a size of 0.
bool SkipSubBlocks(std::span<const uint8_t> file, size_t& pos) {
    while (pos < file.size()) {
        const uint8_t size = file[pos++];
        if (size == 0) return true;
        if (file.size() - pos < size) return false;
        pos += size;
    }
    return false;
}

size_t ColourTableBytes(uint8_t packed) { return (packed & 0x80) ? 3u << ((packed & 7) + 1) : 0; }

// Header, screen descriptor and global colour table, then extension blocks up
// to the first image, which must be whole: only that image is shown.
BitmapError CheckGif(std::span<const uint8_t> file) {
    if (file.size() < 13) return EndsEarly();
    size_t pos = 13 + ColourTableBytes(file[10]);
    while (true) {
        if (pos >= file.size()) return EndsEarly();
        const uint8_t introducer = file[pos++];
        if (introducer == 0x21) {  // extension: label, then sub-blocks
            if (pos >= file.size()) return EndsEarly();
            ++pos;
            if (!SkipSubBlocks(file, pos)) return EndsEarly();
        } else if (introducer == 0x2C) {  // image descriptor: position, size, flags
            if (file.size() - pos < 9) return EndsEarly();
            pos += 9;
            const size_t table = ColourTableBytes(file[pos - 1]);
            if (file.size() - pos < table + 1) return EndsEarly();
            pos += table + 1;  // and the LZW minimum code size
            return SkipSubBlocks(file, pos) ? BitmapError{} : EndsEarly();
        } else {
            return Damaged("GIF");  // the trailer (0x3B) before any image, or no block at all
        }
    }
}

// The entropy-coded data after a start of scan runs to the next marker: an
// FF byte followed by neither 00 (a stuffed FF) nor a restart marker D0..D7.
bool SkipScan(std::span<const uint8_t> file, size_t& pos) {
    while (pos < file.size()) {
        const auto* ff = static_cast<const uint8_t*>(
            std::memchr(file.data() + pos, 0xFF, file.size() - pos));
        if (ff == nullptr || ff + 1 >= file.data() + file.size()) return false;
        pos = static_cast<size_t>(ff - file.data());
        const uint8_t next = file[pos + 1];
        if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) pos += 2;
        else if (next == 0xFF) pos += 1;  // fill byte in front of a marker
        else return true;
    }
    return false;
}

// Marker segments from SOI to EOI, each scan's data skipped to its end.
BitmapError CheckJpeg(std::span<const uint8_t> file) {
    size_t pos = 2;
    while (true) {
        if (pos >= file.size()) return EndsEarly();
        if (file[pos] != 0xFF) return Damaged("JPEG");
        while (pos < file.size() && file[pos] == 0xFF) ++pos;
        if (pos >= file.size()) return EndsEarly();
        const uint8_t marker = file[pos++];
        if (marker == 0xD9) return {};                                    // EOI
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // no length
        if (marker == 0x00 || marker == 0xD8) return Damaged("JPEG");
        if (file.size() - pos < 2) return EndsEarly();
        const size_t length = size_t{file[pos]} << 8 | file[pos + 1];
        if (length < 2) return Damaged("JPEG");
        if (file.size() - pos < length) return EndsEarly();
        pos += length;
        if (marker == 0xDA && !SkipScan(file, pos)) return EndsEarly();  // SOS
    }
}

}  // namespace

BitmapError CheckPictureWhole(std::span<const uint8_t> file) {
    if (StartsWith(file, {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A})) return CheckPng(file);
    if (StartsWith(file, {'G', 'I', 'F', '8'})) return CheckGif(file);
    if (StartsWith(file, {0xFF, 0xD8, 0xFF})) return CheckJpeg(file);
    return {};
}

}  // namespace korva::logo
