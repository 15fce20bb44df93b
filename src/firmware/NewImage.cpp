#include "firmware/NewImage.h"

#include "printer/Series.h"

namespace korva::firmware {

namespace {

constexpr uint32_t kCodeProgram = 0x04511101;      // 01 11 51 04 on the wire
constexpr uint32_t kCodeProgramK23 = 0x05611101;   // 01 11 61 05: K23/K24 program area
constexpr uint32_t kCodeBoot = 0x04421101;         // 01 11 42 04
constexpr uint32_t kCodeDownloader = 0x04441101;   // 01 11 44 04
constexpr uint32_t kCodeExtFont = 0x04461101;      // 01 11 46 04

// K24 images keep their program tail one 64 KiB block further on: the block
// at 0x70000 is sent in place of the one at 0x60000.
constexpr uint32_t kK24HoleStart = 0x60000;
constexpr uint32_t kK24HoleEnd = 0x70000;

struct AreaRow {
    uint32_t offset;
    uint32_t lengthK20, lengthK22, lengthK23, lengthK24;
};

constexpr AreaRow kAreas[kNewAreaCount] = {
    {0x10000, 0x60000, 0x50000, 0x60000, 0x60000},     // program
    {0x00000, 0x4000, 0x4000, 0x4000, 0x4000},         // boot loader
    {0x60000, 0x30000, 0x20000, 0x10000, 0x10000},     // downloader
    {0x100000, 0x100000, 0x100000, 0x100000, 0x100000} // extended font
};

const AreaRow& rowOf(NewArea area) {
    const int index = static_cast<int>(area);
    return kAreas[index >= 0 && index < kNewAreaCount ? index : 0];
}

void putLe32(std::vector<uint8_t>& out, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

bool IsNewImageSize(uint64_t size) { return size == kNewImageSize1M || size == kNewImageSize2M; }

NewSignature ReadNewSignature(std::span<const uint8_t> image) {
    if (image.size() < kNewSignatureOffset + 3) return NewSignature::None;
    const uint8_t* s = image.data() + kNewSignatureOffset;
    if (s[0] != 'K' || s[1] != '2') return NewSignature::None;
    switch (s[2]) {
        case '0': return NewSignature::K20;
        case '2': return NewSignature::K22;
        case '3': return NewSignature::K23;
        case '4': return NewSignature::K24;
        default: return NewSignature::None;
    }
}

const char* NewSignatureText(NewSignature signature) {
    switch (signature) {
        case NewSignature::K20: return "K20";
        case NewSignature::K22: return "K22";
        case NewSignature::K23: return "K23";
        case NewSignature::K24: return "K24";
        case NewSignature::None: break;
    }
    return "";
}

bool SignatureFitsDeviceType(NewSignature signature, int deviceType) {
    const printer::Series series = printer::SeriesOf(deviceType);
    if (series == printer::Series::Korva20) return signature == NewSignature::K20;
    if (series == printer::Series::Korva20II)
        return signature == NewSignature::K22 || signature == NewSignature::K23 ||
               signature == NewSignature::K24;
    return false;
}

bool HasExtFont(std::span<const uint8_t> image) {
    return image.size() == kNewImageSize2M && image[kNewExtFontMarkerOffset] != '1';
}

uint32_t NewPacketLength(NewSignature signature, NewArea area) {
    const AreaRow& row = rowOf(area);
    switch (signature) {
        case NewSignature::K22: return row.lengthK22;
        case NewSignature::K23: return row.lengthK23;
        case NewSignature::K24: return row.lengthK24;
        case NewSignature::K20:
        case NewSignature::None: break;
    }
    return row.lengthK20;
}

uint32_t NewAreaCode(NewSignature signature, NewArea area) {
    switch (area) {
        case NewArea::Program:
            return signature == NewSignature::K23 || signature == NewSignature::K24 ? kCodeProgramK23
                                                                                    : kCodeProgram;
        case NewArea::Boot: return kCodeBoot;
        case NewArea::Downloader: return kCodeDownloader;
        case NewArea::ExtFont: return kCodeExtFont;
    }
    return kCodeProgram;
}

uint32_t NewAreaImageOffset(NewArea area) { return rowOf(area).offset; }

uint16_t SumBytes16(std::span<const uint8_t> bytes) {
    uint32_t sum = 0;
    for (uint8_t b : bytes) sum += b;
    return static_cast<uint16_t>(sum);
}

NewPacketResult BuildNewDownloadPacket(std::span<const uint8_t> image, int deviceType, NewArea area) {
    NewPacketResult result;
    if (!IsNewImageSize(image.size())) {
        result.error = NewImageError::SizeWrong;
        return result;
    }
    const NewSignature signature = ReadNewSignature(image);
    if (!SignatureFitsDeviceType(signature, deviceType)) {
        result.error = NewImageError::NotFirmware;
        return result;
    }
    if (area == NewArea::ExtFont && !HasExtFont(image)) {
        result.error = NewImageError::NoExtFont;
        return result;
    }
    const uint32_t length = NewPacketLength(signature, area);
    const uint32_t offset = NewAreaImageOffset(area);
    const uint32_t dataLength = length - kNewPacketOverhead;
    const bool k24Program = signature == NewSignature::K24 && area == NewArea::Program;
    // The table keeps every area inside its image size; checked all the same,
    // since a table edit must never turn into a read past the image.
    const uint64_t lastSource = uint64_t{offset} + dataLength + (k24Program ? 0x10000 : 0);
    if (lastSource > image.size()) {
        result.error = NewImageError::SizeWrong;
        return result;
    }

    std::vector<uint8_t>& out = result.packet.bytes;
    out.assign(length, 0);
    putLe32(out, 0, NewAreaCode(signature, area));
    putLe32(out, 4, length);
    for (uint32_t i = 0; i < dataLength; ++i) {
        uint32_t source = offset + i;
        if (k24Program && source >= kK24HoleStart) source += kK24HoleEnd - kK24HoleStart;
        out[8 + i] = image[source];
    }
    const uint16_t checksum = SumBytes16(std::span(out).subspan(8, dataLength));
    out[length - 2] = static_cast<uint8_t>(checksum);
    out[length - 1] = static_cast<uint8_t>(checksum >> 8);
    result.packet.checksum = checksum;
    result.packet.signature = signature;
    return result;
}

}  // namespace korva::firmware
