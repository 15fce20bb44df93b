#pragma once
// What each kind of port can do, in one table: whether the printer's answers
// come back on it, whether the kernel can say what it still holds, and how a
// write that makes no progress ends. Engines and front ends ask here instead
// of listing port kinds themselves.
#include "port/PortKind.h"

namespace korva::port {

/// How a write that the printer stops taking comes to an end.
enum class StallRule {
    None,             ///< files: a write completes or fails at once
    PerByteDeadline,  ///< serial: a deadline of 100 ms a byte
    NoProgress,       ///< parallel, USB: nothing taken for a bounded time
    SendQueue,        ///< TCP: the send queue does not drain in time
};

struct PortTraits {
    bool answers;         ///< the printer's answers come back on it
    bool hasOutputQueue;  ///< the kernel says what it still holds, so counts are what the printer took
    bool local;           ///< a device of this machine (serial, parallel, USB)
    bool lpGroup;         ///< its nodes belong to group lp (serial ones to dialout)
    StallRule stall;
};

constexpr PortTraits TraitsOf(PortKind kind) {
    switch (kind) {
        case PortKind::Serial: return {true, true, true, false, StallRule::PerByteDeadline};
        // Read back only through ParPortCtl's nibble mode, which the settings
        // exchange drives itself; a byte stream on it gets no answers.
        case PortKind::Parallel: return {false, false, true, true, StallRule::NoProgress};
        case PortKind::Usb: return {true, false, true, true, StallRule::NoProgress};
        case PortKind::Ethernet: return {true, true, false, false, StallRule::SendQueue};
        case PortKind::File:
        case PortKind::OutputFile:
        case PortKind::NotAPort: break;
    }
    return {false, false, false, false, StallRule::None};
}

}  // namespace korva::port
