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

/// --udp-port N and --listen-port N, after `own`: for a command that asks an
/// Ethernet printer for its MAC with a search sent to its own address.
std::vector<OptionSpec> WithAddressSearchOptions(std::vector<OptionSpec> own);

/// The endpoints of a search sent to `ip` alone, never broadcast; nullopt
/// after reporting a usage error.
std::optional<netcfg::NetEndpoints> AddressSearchEndpoints(const ParsedOptions& options, const std::string& ip);

}  // namespace korva::cli
