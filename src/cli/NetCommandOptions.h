#pragma once
// Options shared by `korva net search` and `korva net set`: where the
// datagrams go and where the answers are collected.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/Options.h"
#include "netcfg/UdpChannel.h"

namespace korva::cli {

/// --broadcast ADDR, --udp-port N (formerly --port, still taken),
/// --listen-port N, after `own`.
std::vector<OptionSpec> WithNetEndpointOptions(std::vector<OptionSpec> own);

/// The endpoints the options name; nullopt after reporting a usage error.
std::optional<netcfg::NetEndpoints> EndpointsFromOptions(const ParsedOptions& options);

}  // namespace korva::cli
