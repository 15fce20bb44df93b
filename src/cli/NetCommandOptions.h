#pragma once
// Options shared by `korva net search` and `korva net set`: where the
// datagrams go and where the answers are collected.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "netcfg/NetText.h"
#include "netcfg/UdpChannel.h"

namespace korva::cli {

inline constexpr const char* kNetEndpointUsage =
    "  --broadcast ADDR     where the datagrams go (default 255.255.255.255, every\n"
    "                       printer on the local network; 127.0.0.1 for korva-sim)\n"
    "  --port N             UDP port they go to (default 2918)\n"
    "  --listen-port N      UDP port the answers arrive on (default 2918)\n";

/// A UDP port number 1..65535, decimal digits only.
inline std::optional<uint16_t> ParseUdpPort(const std::string& text) {
    if (text.empty() || text.size() > 5) return std::nullopt;
    long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > 65535) return std::nullopt;
    return static_cast<uint16_t>(value);
}

/// Takes an endpoint option at args[i] (its value at args[i + 1]) into
/// `endpoints`. Returns false when args[i] is not one; sets `error` when it
/// is one but its value is missing or bad.
inline bool TakeEndpointOption(const std::vector<std::string>& args, size_t& i,
                               netcfg::NetEndpoints& endpoints, std::string& error) {
    const std::string& name = args[i];
    if (name != "--broadcast" && name != "--port" && name != "--listen-port") return false;
    if (i + 1 >= args.size()) {
        error = name + " needs a value";
        return true;
    }
    const std::string& value = args[++i];
    if (name == "--broadcast") {
        if (!netcfg::parseIpv4(value))
            error = "--broadcast needs a dotted IPv4 address, not \"" + value + "\"";
        endpoints.broadcastAddress = value;
        return true;
    }
    const std::optional<uint16_t> port = ParseUdpPort(value);
    if (!port) {
        error = name + " needs a port number 1..65535, not \"" + value + "\"";
        return true;
    }
    (name == "--port" ? endpoints.port : endpoints.listenPort) = *port;
    return true;
}

}  // namespace korva::cli
