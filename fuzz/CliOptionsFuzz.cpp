// The option values the printer commands gather: NUL-separated words parsed
// with the real option tables of `korva setup` (the connection options and
// --timeout) and `korva net` (where the datagrams go), then turned into typed
// settings by ParseSetupOptions, ConnectionFromOptions and
// EndpointsFromOptions. A value is taken whole and in range, or refused with
// a usage error; nothing out of range ever gets through.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "cli/ConnectionOptions.h"
#include "cli/NetCommandOptions.h"
#include "cli/Options.h"
#include "cli/SetupCommand.h"
#include "netcfg/NetText.h"
#include "port/Connection.h"
#include "NulFields.h"

namespace {
using namespace korva;

// No device, port list or profile of this machine is looked at: the device
// roots and the profile folder point where nothing is.
const bool kIsolated = [] {
    ::setenv("KORVA_SYSFS_ROOT", "/nonexistent/korva-fuzz/sys", 1);
    ::setenv("KORVA_DEV_ROOT", "/nonexistent/korva-fuzz/dev", 1);
    ::setenv("XDG_CONFIG_HOME", "/nonexistent/korva-fuzz/config", 1);
    return true;
}();

void CheckConnection(const port::ConnectionSettings& s) {
    if (!port::IsSupportedBaudRate(s.baudRate) || s.dataBits < 5 || s.dataBits > 8) std::abort();
    if (!port::CheckStopBitsForDataBits(s.dataBits, s.stopBits).empty()) std::abort();
    if (s.tcpPort < 1 || s.tcpPort > 65535) std::abort();
    if (s.deviceType < 1 || s.deviceType > 3) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace korva::cli;
    (void)kIsolated;
    std::vector<std::string> args = SplitAtNul(data, size);
    static const std::vector<OptionSpec> setupSpecs = SetupOptionSpecs({});
    static const std::vector<OptionSpec> netSpecs = WithNetEndpointOptions({});

    if (const OptionParse setup = ParseOptions(args, setupSpecs); setup.error.empty()) {
        if (const std::optional<SetupOptions> options = ParseSetupOptions(setup.options)) {
            CheckConnection(options->connection);
            if (options->connection.deviceType == 2) std::abort();  // no user setup there
            if (options->timeoutMs < 100 || options->timeoutMs > 600000) std::abort();
        }
        const std::optional<port::ConnectionSettings> required =
            ConnectionFromOptions(setup.options, false, ModelRule::Required);
        if (required) {
            CheckConnection(*required);
            if (!setup.options.Has("model") && !setup.options.Has("device-type")) std::abort();
        }
    }
    if (const OptionParse net = ParseOptions(args, netSpecs); net.error.empty()) {
        if (const std::optional<netcfg::NetEndpoints> endpoints = EndpointsFromOptions(net.options)) {
            if (!netcfg::ParseIpv4(endpoints->broadcastAddress)) std::abort();
            if (endpoints->port == 0 || endpoints->listenPort == 0) std::abort();
            if (endpoints->receiveTimeoutMs < 10 || endpoints->receiveTimeoutMs > 600000) std::abort();
        }
    }
    return 0;
}
