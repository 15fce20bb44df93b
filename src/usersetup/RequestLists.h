#pragma once
// The settings a read asks for, in sending order, per port kind. A parallel
// or Ethernet printer is not asked for its serial stop bits.
#include <array>
#include <cstdint>
#include <span>

#include "port/PortKind.h"

namespace korva::usersetup {

inline constexpr std::array<uint8_t, 17> kParallelRequests{
    1, 2, 3, 116, 118, 242, 243, 244, 245, 246, 247, 248, 249, 250, 251, 252, 255};
inline constexpr std::array<uint8_t, 18> kSerialRequests{
    3, 116, 118, 242, 243, 244, 245, 246, 247, 248, 249, 250, 251, 252, 253, 1, 2, 255};
inline constexpr std::array<uint8_t, 17> kEthernetRequests{
    3, 116, 118, 242, 243, 244, 245, 246, 247, 248, 249, 250, 251, 252, 1, 2, 255};

/// The settings a read over a port of `kind` asks for.
constexpr std::span<const uint8_t> RequestsFor(port::PortKind kind) {
    switch (kind) {
        case port::PortKind::Parallel: return kParallelRequests;
        case port::PortKind::Ethernet: return kEthernetRequests;
        default: return kSerialRequests;
    }
}

}  // namespace korva::usersetup
