#include "firmware/OldImage.h"

#include <algorithm>

#include "firmware/NewImage.h"

namespace korva::firmware {

namespace {

constexpr uint8_t kPacketMark = 0x40;
constexpr uint8_t kDataMore = 0xF0;  // more data of the area follows
constexpr uint8_t kDataLast = 0xF1;  // last block of the area
constexpr uint8_t kErase = 0xF2;
constexpr uint8_t kDle = 0x10;
constexpr uint8_t kAck = 0x06;
constexpr uint8_t kNak = 0x15;

constexpr OldAreaInfo kAreas[kOldAreaCount] = {
    {0x1D0000, 0x1F0000, 0x20, 0x22, 500, "&1.Program"},
    {0x080000, 0x180000, 0x0B, 0x1B, 1500, "&2.Ext Font"},
    {0x1F0000, 0x200000, 0x22, 0x23, 400, "&3.Boot"},
    {0x190000, 0x1B0000, 0x1C, 0x1E, 500, "&4.Font"},
};

void putBe16(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    out[at] = static_cast<uint8_t>(value >> 8);
    out[at + 1] = static_cast<uint8_t>(value);
}

void putBe32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

}  // namespace

const OldAreaInfo& OldAreaOf(OldArea area) {
    const int index = static_cast<int>(area);
    return kAreas[index >= 0 && index < kOldAreaCount ? index : 0];
}

OldImageError CheckOldImage(std::span<const uint8_t> image, OldArea area) {
    const OldAreaInfo& info = OldAreaOf(area);
    if (area == OldArea::ExtFont && image.size() >= kOldExtFontTagOffset + 4) {
        const uint8_t* tag = image.data() + kOldExtFontTagOffset;
        if (tag[0] == 'K' && tag[1] == '1' && tag[2] == '5' && tag[3] == 'S')
            return OldImageError::NoExtFont;
    }
    // A short file would leave the tail of a block unfilled on the wire.
    if (image.size() < info.end) return OldImageError::TooShort;
    return OldImageError::None;
}

std::vector<uint8_t> EncodeOldErasePacket(OldArea area) {
    const OldAreaInfo& info = OldAreaOf(area);
    return {kPacketMark, kErase, info.eraseFirst, info.eraseEnd, 0, 0, 0, 0, 0, 0};
}

std::vector<uint8_t> EncodeOldDataPacket(std::span<const uint8_t> data, uint32_t address, bool last) {
    if (data.empty() || data.size() > kOldBlockSize) return {};
    std::vector<uint8_t> out(data.size() + kOldPacketOverhead);
    out[0] = kPacketMark;
    out[1] = last ? kDataLast : kDataMore;
    putBe16(out, 2, static_cast<uint32_t>(data.size()));
    putBe32(out, 4, address);
    std::copy(data.begin(), data.end(), out.begin() + 8);
    putBe16(out, 8 + data.size(), SumBytes16(data));
    return out;
}

OldBlock NextOldBlock(uint32_t position, uint32_t end) {
    if (position >= end) return {};
    const uint32_t left = end - position;
    return {std::min(left, kOldBlockSize), left <= kOldBlockSize};
}

std::optional<OldAnswer> OldAnswerParser::Feed(uint8_t byte) {
    if (!m_DleSeen) {
        m_DleSeen = byte == kDle;
        return std::nullopt;
    }
    m_DleSeen = false;
    if (byte == kAck) return OldAnswer::Ack;
    if (byte == kNak) return OldAnswer::Nak;
    return std::nullopt;
}

}  // namespace korva::firmware
