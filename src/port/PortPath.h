#pragma once
#include <string>
#include <string_view>

#include "port/PortKind.h"

namespace korva::port {

/// ClassifyPort, and for a path it cannot place (an absolute path that is
/// neither a /dev/tty* nor a parallel node) a look at the file itself: a
/// symbolic link to a tty, or any tty character device (/dev/rfcomm0), is a
/// serial port. `sysRoot` is where the tty class lives (tests use a fake).
PortKind ClassifyPortPath(std::string_view name, const std::string& sysRoot = "/sys");

/// The device to open for a port name: "COMn" is /dev/ttyS(n-1) and "LPTn"
/// /dev/parport(n-1) under `devRoot`; a path is used exactly as given.
std::string DevicePathFor(std::string_view name, const std::string& devRoot = "/dev");

}  // namespace korva::port
