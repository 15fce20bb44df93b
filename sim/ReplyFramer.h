#pragma once
#include <cstdint>
#include <span>
#include <vector>

namespace korva::sim {

/// How replies look on the wire for the simulated interface.
struct ReplyFraming {
    bool usbEscape = false;       ///< USB: 00 goes as 1B 30, 1B as 1B 1B
    bool parallelStatus = false;  ///< parallel: 4-byte automatic status blocks in between
    /// Automatic status on any interface, as a printer a POS driver left it:
    /// blocks with every reply until the host sends GS a 0.
    bool automaticStatus = false;
};

/// The automatic status block a parallel interface interleaves: paper present,
/// no error, drawer closed.
inline constexpr uint8_t kStatusBlock[4] = {0x14, 0x00, 0x00, 0x0F};

/// Frames one reply. With parallel status a block goes before the reply and,
/// for replies longer than four bytes, another one after its third byte, so a
/// reader must filter blocks wherever they fall.
std::vector<uint8_t> FrameReply(std::span<const uint8_t> reply, const ReplyFraming& framing);

}  // namespace korva::sim
