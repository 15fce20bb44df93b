#include "ReplyFramer.h"

namespace korva::sim {
namespace {
constexpr uint8_t kEsc = 0x1B;
constexpr uint8_t kEscapedZero = 0x30;
}  // namespace

std::vector<uint8_t> FrameReply(std::span<const uint8_t> reply, const ReplyFraming& framing) {
    std::vector<uint8_t> out;
    auto status = [&] {
        if (framing.parallelStatus)
            out.insert(out.end(), std::begin(kStatusBlock), std::end(kStatusBlock));
    };
    status();
    for (size_t i = 0; i < reply.size(); ++i) {
        if (i == 3 && reply.size() > 4) status();
        uint8_t b = reply[i];
        if (framing.usbEscape && b == 0x00) {
            out.push_back(kEsc);
            out.push_back(kEscapedZero);
        } else if (framing.usbEscape && b == kEsc) {
            out.push_back(kEsc);
            out.push_back(kEsc);
        } else {
            out.push_back(b);
        }
    }
    return out;
}

}  // namespace korva::sim
