#pragma once
// The connection options every printer command of `korva` shares. The parsing
// lives with the connection settings (port/ConnectionArgs) so the GUI, the CLI
// and the tests use one grammar; this header adds the CLI's help text.
#include <string>
#include <vector>

#include "port/ConnectionArgs.h"

namespace korva::cli {

/// Help lines for the connection options, ready to print under a usage line.
inline constexpr const char* kConnectionOptionsHelp =
    "  --port P             serial device (/dev/ttyUSB0, COM1 = /dev/ttyS0), parallel\n"
    "                       (/dev/parport0, LPT1), USB or ETHERNET_II\n"
    "  --baud N             serial rate, default 115200\n"
    "  --data-bits N        5..8, default 8\n"
    "  --parity P           none|odd|even, default none\n"
    "  --stop-bits S        1|1.5|2, default 1\n"
    "  --flow F             hw|sw|none, default hw\n"
    "  --model NAME         printer model, e.g. KORVA20S (gives the device type)\n"
    "  --device-type N      1 KORVA20, 2 KORVA10, 3 KORVA20II (instead of --model)\n"
    "  --ip A.B.C.D         Ethernet printer address, default 192.168.0.254\n"
    "  --tcp-port N         Ethernet printer TCP port, default 6001\n";

/// Takes the connection options out of `args`; `rest` keeps the others in order.
/// On a usage error `error` says why (exit with kExitUsage).
inline port::ConnectionArgs ParseConnectionOptions(const std::vector<std::string>& args,
                                                   bool portRequired = true) {
    return port::ParseConnectionArgs(args, portRequired);
}

}  // namespace korva::cli
