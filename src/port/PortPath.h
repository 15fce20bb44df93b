#pragma once
#include <string>
#include <string_view>

#include "port/PortKind.h"

namespace korva::port {

/// What a port name turned out to be.
struct PortClass {
    PortKind kind = PortKind::OutputFile;
    /// For PortKind::NotAPort, what the device is where that says why it can
    /// never be a printer port ("the system console"); empty for any other
    /// device that simply is not one (/dev/null).
    std::string reason;
};

/// The message for a name that is not a printer port:
/// "/dev/console is not a printer port (it is the system console)".
std::string NotAPortText(std::string_view name, const PortClass& found);

/// The one classification of a port name, used by the dialogs, the CLI and
/// the port object. Pseudo names (COMn, LPTn, USB, FILE, ETHERNET_II, in any
/// case) keep their meaning. Any other name is looked at on disk, symbolic
/// links followed: a character device is told by what it is (its major/minor
/// numbers and `<sysRoot>/dev/char/M:m`), never by how it is spelled.
///   serial   - hardware serial ttys (ttyS with a UART, ttyUSB, ttyACM, ttyAMA,
///              rfcomm, ...) and pty slaves
///   parallel - ppdev (/dev/parportN) and lp nodes
///   USB      - usblp nodes (/dev/usb/lpN)
///   refused  - virtual consoles, /dev/tty, /dev/console, /dev/ptmx (NotAPort,
///              with the reason) and every other character device (NotAPort)
/// A regular file, or a path that does not exist yet, is an output file; but
/// a missing /dev path (an unplugged adapter) keeps the kind its name suggests,
/// so that opening it says the device is not there.
PortClass ClassifyPortName(std::string_view name, const std::string& sysRoot = "/sys");

/// The kind alone, for callers that only branch on it.
PortKind ClassifyPortPath(std::string_view name, const std::string& sysRoot = "/sys");

/// The device to open for a port name: "COMn" is /dev/ttyS(n-1) and "LPTn"
/// /dev/parport(n-1) under `devRoot`; a path is used exactly as given.
std::string DevicePathFor(std::string_view name, const std::string& devRoot = "/dev");

}  // namespace korva::port
