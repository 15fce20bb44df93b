#pragma once
#include <string>
#include <vector>

#include "port/Connection.h"

namespace korva::port {

/// The connection options of a command line, taken out of the argument list.
struct ConnectionArgs {
    ConnectionSettings settings;
    std::vector<std::string> rest;  ///< every other argument, in order (file names, own options)
    std::string error;              ///< usage error; empty on success
    bool portGiven = false;
};

/// Takes `--port P --baud N --data-bits N --parity none|odd|even
/// --stop-bits 1|1.5|2 --flow hw|sw|none --model NAME --device-type N
/// --ip A.B.C.D --tcp-port N` (each also as `--name=value`) out of `args`.
/// A missing `--port` is an error only when `portRequired`.
ConnectionArgs ParseConnectionArgs(const std::vector<std::string>& args, bool portRequired);

}  // namespace korva::port
