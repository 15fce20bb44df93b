#pragma once
// How a port says what ended a transfer, for the detail under a tool's
// message: the error code alone cannot tell a stalled printer from a
// pulled cable.

namespace korva::port {

inline constexpr const char* kTextStalled =
    "The printer stopped taking data: nothing was taken for 10 s "
    "(out of paper, cover open, offline?).";
inline constexpr const char* kTextHungUp =
    "The printer hung up the line (cable pulled or printer switched off?).";
inline constexpr const char* kTextClosedConnection = "The printer closed the connection.";
inline constexpr const char* kTextNotDelivered =
    "The printer did not take the data in time.";

}  // namespace korva::port
