#pragma once
// How a port says what ended a transfer, for the detail under a tool's
// message: the error code alone cannot tell a stalled printer from a
// pulled cable.

#include <cerrno>
#include <cstddef>
#include <cstring>
#include <string>

#include "base/Reason.h"

namespace korva::port {

inline constexpr const char* kTextStalled =
    "The printer stopped taking data: nothing was taken for 10 s "
    "(out of paper, cover open, offline?).";
inline constexpr const char* kTextHungUp =
    "The printer hung up the line (cable pulled or printer switched off?).";
inline constexpr const char* kTextClosedConnection = "The printer closed the connection.";
inline constexpr const char* kTextGone =
    "The printer is gone (unplugged, switched off or its driver unbound?).";
inline constexpr const char* kTextReset =
    "The printer reset the connection: what it had not yet printed or stored is lost.";
inline constexpr const char* kTextClosedAtAccept =
    "The printer closed the connection right after accepting it, before taking any data.";
inline constexpr const char* kTextPeerClosed =
    "The printer closed the connection before it confirmed the data.";
inline constexpr const char* kTextQueueUnknown =
    "The port cannot say whether its output reached the printer.";
inline constexpr const char* kTextCancelledStalled =
    "Cancelled while the printer was not taking data.";
inline constexpr const char* kTextNotDelivered =
    "The printer did not take the data in time.";

/// What a port's count of bytes can vouch for.
enum class CountSide {
    Printer,  ///< what left the line or was acknowledged: the driver's queue is not counted
    Driver,   ///< handed to a driver that cannot say what the printer took (parallel, USB)
    Port,     ///< handed to a port that cannot say what left it (a pty has no queue to ask)
};

/// " bytes reached the printer", " bytes handed to the driver" or " bytes handed to the port".
inline const char* CountWords(CountSide side) {
    switch (side) {
        case CountSide::Driver: return " bytes handed to the driver";
        case CountSide::Port: return " bytes handed to the port";
        case CountSide::Printer: break;
    }
    return " bytes reached the printer";
}

/// `text`, then "N of M bytes reached the printer." (or handed to the driver
/// or port, where nothing can say more) on a line of its own.
inline std::string CountedDetail(const char* text, size_t done, size_t total, CountSide side) {
    std::string detail = text;
    if (!detail.empty()) detail += "\r\n";
    detail += std::to_string(done) + " of " + std::to_string(total) + CountWords(side) + ".";
    return detail;
}

/// The link fault a system error of a port stands for.
inline base::Reason LinkReasonOf(int error) {
    switch (error) {
        case EIO:
        case EPIPE: return base::Reason::HangUp;
        case ENODEV:
        case ENXIO:
        case ENOENT: return base::Reason::Gone;
        case ECONNRESET: return base::Reason::Reset;
        case ETIMEDOUT: return base::Reason::Stalled;
        case ECONNABORTED: return base::Reason::Refused;
        default: return base::Reason::Failed;
    }
}

/// Why a port or link could not be opened, from the open's system error.
inline base::Reason OpenFailureReason(int error) {
    switch (error) {
        case EACCES:
        case EPERM: return base::Reason::Permission;
        case EBUSY:
        case EAGAIN: return base::Reason::Busy;
        case ENODEV:
        case ENXIO:
        case ENOENT: return base::Reason::Gone;
        case ECONNREFUSED:
        case ECONNABORTED: return base::Reason::Refused;
        case ETIMEDOUT:
        case EHOSTUNREACH:
        case ENETUNREACH:
        case ENOTCONN: return base::Reason::Unreachable;
        default: return base::Reason::Failed;
    }
}

/// Why an Ethernet printer could not be connected to, and what to check,
/// by the connect's system error; "" for other errors.
inline std::string ConnectFailureDetail(int error) {
    switch (error) {
        case ECONNREFUSED:
            return "The printer refused the connection.\r\nNothing takes connections on that TCP port: "
                   "check the port number (6001 unless it was changed) and that the address is the printer's.";
        case EHOSTUNREACH:
        case ENETUNREACH:
            return "There is no route to that address.\r\nCheck the IP address and that this computer is on "
                   "the printer's network.";
        case ETIMEDOUT:
        case ENOTCONN:
            return "The printer could not be reached: nothing answered at that address.\r\nCheck the IP "
                   "address, the network cable and that the printer is switched on.";
        case ECONNRESET:
            return "The printer reset the connection at once.\r\nIt may be serving another computer: try "
                   "again, or switch the printer off and on.";
        default: return "";
    }
}

/// What a refused open means for the user, for a line under the tool's
/// message: the fix where there is one.
inline std::string OpenFailureDetail(int error, bool printerGroup) {
    if (error == ECONNABORTED) return kTextClosedAtAccept;
    if (std::string network = ConnectFailureDetail(error); !network.empty()) return network;
    switch (OpenFailureReason(error)) {
        case base::Reason::Permission:
            return std::string("Permission denied: is the user in group ") +
                   (printerGroup ? "lp" : "dialout") + "?";
        case base::Reason::Busy:
            return "The port is busy: another program (a print spooler, a terminal) holds it.";
        case base::Reason::Gone: return "The device is not there (unplugged or switched off?).";
        default: return error != 0 ? std::strerror(error) : "";
    }
}

/// The port's words for a link fault.
inline const char* LinkFaultText(base::Reason reason) {
    switch (reason) {
        case base::Reason::HangUp: return kTextHungUp;
        case base::Reason::Gone: return kTextGone;
        case base::Reason::Reset: return kTextReset;
        case base::Reason::Stalled: return kTextStalled;
        case base::Reason::Refused: return kTextClosedAtAccept;
        default: return "";
    }
}

}  // namespace korva::port
