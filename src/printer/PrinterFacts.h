#pragma once
// What is true of every KORVA printer whatever the port: the few commands
// every tool sends and the status blocks a printer sends by itself; the
// series and their model IDs are in printer/Series.h.
#include <array>
#include <cstdint>
#include <span>

#include "printer/Series.h"

namespace korva::printer {

/// GS I 1: the printer sends its model ID, one byte, after everything it
/// read before the request.
inline constexpr std::array<uint8_t, 3> kModelIdRequest{0x1D, 0x49, 0x01};
/// ESC @: initialise the printer.
inline constexpr std::array<uint8_t, 2> kInitialize{0x1B, 0x40};
/// GS a 0: the printer stops sending automatic status blocks.
inline constexpr std::array<uint8_t, 3> kAutomaticStatusOff{0x1D, 0x61, 0x00};

/// Four bytes a printer with automatic status on sends by itself, between
/// or inside its answers, on any interface:
/// b0 & 0x93 == 0x10, b1 & 0x90 == 0, b2 <= 0x0F, b3 == 0x0F.
constexpr bool IsAutomaticStatusBlock(std::span<const uint8_t> four) {
    return four.size() >= 4 && (four[0] & 0x93) == 0x10 && (four[1] & 0x90) == 0 &&
           four[2] <= 0x0F && four[3] == 0x0F;
}

}  // namespace korva::printer
