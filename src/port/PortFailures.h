#pragma once
// How a port says what ended a transfer, for the detail under a tool's
// message: the error code alone cannot tell a stalled printer from a
// pulled cable.

#include <cstddef>
#include <string>

namespace korva::port {

inline constexpr const char* kTextStalled =
    "The printer stopped taking data: nothing was taken for 10 s "
    "(out of paper, cover open, offline?).";
inline constexpr const char* kTextHungUp =
    "The printer hung up the line (cable pulled or printer switched off?).";
inline constexpr const char* kTextClosedConnection = "The printer closed the connection.";
inline constexpr const char* kTextNotDelivered =
    "The printer did not take the data in time.";

/// "N of M bytes handed to the driver." where the driver cannot say what the
/// printer took (parallel, USB), "N of M bytes reached the printer." where it can.
inline std::string CountedDetail(const char* text, size_t done, size_t total, bool handedOnly) {
    std::string detail = text;
    if (!detail.empty()) detail += "\r\n";
    detail += std::to_string(done) + " of " + std::to_string(total) +
              (handedOnly ? " bytes handed to the driver." : " bytes reached the printer.");
    return detail;
}

}  // namespace korva::port
