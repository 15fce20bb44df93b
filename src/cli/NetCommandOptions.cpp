#include "cli/NetCommandOptions.h"

#include "cli/Command.h"
#include "cli/ConnectionOptions.h"
#include "cli/NumberText.h"
#include "netcfg/NetText.h"

namespace korva::cli {

namespace {

/// --udp-port and --listen-port into `endpoints`; false after a usage error.
bool ParseUdpPorts(const ParsedOptions& options, netcfg::NetEndpoints& endpoints) {
    for (const char* name : {"udp-port", "listen-port"}) {
        if (!options.Has(name)) continue;
        int port = 0;
        if (!ParseNumber(options.Get(name), 1, 65535, port)) {
            UsageError(std::string("--") + name + " needs a port number 1..65535, not \"" +
                       options.Get(name) + "\"");
            return false;
        }
        (std::string(name) == "udp-port" ? endpoints.port : endpoints.listenPort) =
            static_cast<uint16_t>(port);
    }
    return true;
}

}  // namespace

std::vector<OptionSpec> WithNetEndpointOptions(std::vector<OptionSpec> own) {
    own.push_back({"broadcast", 0, "ADDR",
                   "where the datagrams go (default 255.255.255.255, every\n"
                   "printer on the local network; for korva-sim on this\n"
                   "machine: --broadcast 127.0.0.1 --udp-port 2919)"});
    // --port names the printer port everywhere else; the old spelling stays
    // accepted so scripts keep working.
    own.push_back({"udp-port", 0, "N", "UDP port they go to (default 2918)", {"port"}});
    own.push_back({"listen-port", 0, "N", "UDP port the answers arrive on (default 2918)"});
    own.push_back(TimeoutOption("search: how long to listen after the last answer;\n"
                                "set: how long to wait for the printer's answer;\n"
                                "default 1000"));
    return own;
}

std::optional<netcfg::NetEndpoints> EndpointsFromOptions(const ParsedOptions& options) {
    netcfg::NetEndpoints endpoints;
    if (options.Has("broadcast")) {
        const std::string value = options.Get("broadcast");
        if (!netcfg::ParseIpv4(value)) {
            UsageError("--broadcast needs a dotted IPv4 address, not \"" + value + "\"");
            return std::nullopt;
        }
        endpoints.broadcastAddress = value;
    }
    if (!ParseUdpPorts(options, endpoints)) return std::nullopt;
    const std::optional<int> timeout =
        TimeoutFromOptions(options, netcfg::kReceiveTimeoutMs, 10, 600000);
    if (!timeout) return std::nullopt;
    endpoints.receiveTimeoutMs = *timeout;
    return endpoints;
}

std::vector<OptionSpec> WithAddressSearchOptions(std::vector<OptionSpec> own) {
    own.push_back({"udp-port", 0, "N", "Ethernet: UDP port of the printer's network setting\n"
                                       "(default 2918), asked for its MAC"});
    own.push_back({"listen-port", 0, "N", "Ethernet: UDP port its answer arrives on (default 2918)"});
    return own;
}

std::optional<netcfg::NetEndpoints> AddressSearchEndpoints(const ParsedOptions& options, const std::string& ip) {
    netcfg::NetEndpoints endpoints;
    endpoints.broadcastAddress = ip;
    if (!ParseUdpPorts(options, endpoints)) return std::nullopt;
    return endpoints;
}

}  // namespace korva::cli
