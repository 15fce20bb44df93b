#include "port/UsbReply.h"

namespace korva::port {

namespace {
constexpr uint8_t kEsc = 0x1B;
constexpr uint8_t kEscapedZero = 0x30;  // ESC '0' stands for a 0x00 byte
}  // namespace

size_t UsbReplyDecoder::Decode(std::span<const uint8_t> in, std::span<uint8_t> out) {
    size_t count = 0;
    for (uint8_t byte : in) {
        if (count >= out.size()) break;
        if (m_EscPending) {
            m_EscPending = false;
            out[count++] = byte == kEscapedZero ? 0x00 : byte;
        } else if (byte == kEsc) {
            m_EscPending = true;
        } else {
            out[count++] = byte;
        }
    }
    return count;
}

}  // namespace korva::port
