// Firmware image files and the older loader's answers come from outside: any
// bytes must be checked or refused without reading or writing out of bounds.
// The first byte picks the case; image cases lay the rest over a zeroed image
// of a valid size (head at offset 0, tail over the signature), since the
// packet builder only looks further into images of those sizes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "firmware/NewImage.h"
#include "firmware/OldImage.h"

using namespace korva::firmware;

namespace {

void checkNewPacket(std::span<const uint8_t> image, int deviceType, NewArea area) {
    const NewPacketResult result = BuildNewDownloadPacket(image, deviceType, area);
    if (!result.ok()) return;
    const std::vector<uint8_t>& bytes = result.packet.bytes;
    if (bytes.size() != NewPacketLength(result.packet.signature, area)) std::abort();
    const size_t n = bytes.size() - kNewPacketOverhead;
    if (SumBytes16(std::span(bytes).subspan(8, n)) != result.packet.checksum) std::abort();
}

void layOver(std::vector<uint8_t>& image, const uint8_t* data, size_t size) {
    const size_t head = std::min(size, image.size());
    std::memcpy(image.data(), data, head);
    const size_t tail = std::min<size_t>(size, 4);
    std::memcpy(image.data() + kNewSignatureOffset, data + size - tail, tail);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint8_t mode = data[0];
    const uint8_t* rest = data + 1;
    const size_t restSize = size - 1;
    const NewArea newArea = static_cast<NewArea>(mode % kNewAreaCount);
    const OldArea oldArea = static_cast<OldArea>(mode % kOldAreaCount);
    switch ((mode >> 2) % 4) {
        case 0:  // the raw bytes as a whole file
            for (int type = 0; type <= 3; ++type) checkNewPacket({rest, restSize}, type, newArea);
            (void)CheckOldImage({rest, restSize}, oldArea);
            break;
        case 1: {  // an image of a valid size carrying the bytes
            std::vector<uint8_t> image((mode & 0x40) ? kNewImageSize2M : kNewImageSize1M);
            if (restSize > 0) layOver(image, rest, restSize);
            for (int type = 1; type <= 3; type += 2) checkNewPacket(image, type, newArea);
            break;
        }
        case 2: {  // the bytes as a data block of the older loader
            const size_t n = std::min<size_t>(restSize, kOldBlockSize);
            const auto packet = EncodeOldDataPacket({rest, n}, static_cast<uint32_t>(size), mode & 1);
            if (n > 0 && packet.size() != n + kOldPacketOverhead) std::abort();
            break;
        }
        default: {  // the bytes as the printer's answers
            OldAnswerParser parser;
            for (size_t i = 0; i < restSize; ++i) (void)parser.Feed(rest[i]);
            break;
        }
    }
    return 0;
}
