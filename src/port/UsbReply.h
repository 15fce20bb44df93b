#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

namespace korva::port {

/// Undoes the escaping of USB replies: the printer sends a 0x00 byte as
/// 1B 30 and a 0x1B byte as 1B 1B; ESC before any other byte b stands for b.
/// An ESC that ends one read block is held and paired with the first byte of
/// the next block, so a pair split between two reads decodes as one.
class UsbReplyDecoder {
public:
    /// Decodes `in` into `out` (which must hold in.size() bytes); returns the
    /// number of decoded bytes.
    size_t Decode(std::span<const uint8_t> in, std::span<uint8_t> out);
    /// Forgets a held ESC (a new connection).
    void Reset() { m_EscPending = false; }
    bool EscPending() const { return m_EscPending; }

private:
    bool m_EscPending = false;
};

}  // namespace korva::port
