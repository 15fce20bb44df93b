#include "logo/NvDefinition.h"

#include "printer/PrinterFacts.h"

namespace korva::logo {

std::vector<uint8_t> EncodeNvDefineCommand(int count, bool starEmulation) {
    std::vector<uint8_t> out;
    if (starEmulation) out.push_back(0x1B);  // ESC: Star emulation prefix
    out.push_back(0x1C);                     // FS
    out.push_back(0x71);                     // q: define NV bit images
    out.push_back(static_cast<uint8_t>(count));
    return out;
}

std::array<uint8_t, 4> EncodeNvImageHeader(int paddedWidth, int paddedHeight, bool gray) {
    const unsigned x = static_cast<unsigned>(paddedWidth) / 8;   // width in bytes
    const unsigned y = static_cast<unsigned>(paddedHeight) / 8;  // height in bytes
    uint8_t xH = static_cast<uint8_t>(x / 256);
    if (gray) xH |= 0xA0;  // 4-bit gray image follows
    return {static_cast<uint8_t>(x % 256), xH, static_cast<uint8_t>(y % 256),
            static_cast<uint8_t>(y / 256)};
}

std::array<uint8_t, 4> EncodeEmptyImageHeader() { return {0x00, 0x00, 0x00, 0x00}; }

std::vector<uint8_t> EncodeNvEraseAll() {
    // FS q 1, then one header of 0 x 0: the printer clears its NV graphics area.
    return {0x1C, 0x71, 0x01, 0x00, 0x00, 0x00, 0x00};
}

std::vector<uint8_t> EncodePrinterIdRequest() {
    return {printer::kModelIdRequest.begin(), printer::kModelIdRequest.end()};
}

std::vector<uint8_t> EncodeInitialize() {
    return {printer::kInitialize.begin(), printer::kInitialize.end()};
}

std::vector<size_t> NvChunkSizes(size_t length) {
    std::vector<size_t> sizes(length / kNvChunkSize, kNvChunkSize);
    sizes.push_back(length % kNvChunkSize);
    return sizes;
}

}  // namespace korva::logo
