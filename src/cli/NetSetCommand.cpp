// korva net set: changes one Ethernet printer's IP address, subnet mask,
// gateway, TCP port and DHCP use; the printer is picked by its MAC address.
#include <algorithm>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "cli/Command.h"
#include "cli/NetCommandOptions.h"
#include "netcfg/ChangeRequest.h"
#include "netcfg/NetSettingChange.h"

namespace korva::cli {
namespace {

const std::string kUsage =
    std::string(
        "usage: korva net set --mac XX:XX:XX:XX:XX:XX --ip A.B.C.D --mask A.B.C.D\n"
        "                     --gateway A.B.C.D --tcp-port N --dhcp on|off [--broadcast ADDR]\n"
        "Sends the change to the printer with that MAC, waits up to one second for its\n"
        "answer, then sends the apply; the printer beeps and switches itself off.\n"
        "The IP address and gateway must end in 1..254, the TCP port lie in 1024..65534.\n"
        "Exit code 1 when no printer answered the change.\n\n") +
    kNetEndpointUsage;

const std::vector<std::string> kRequired{"--mac",     "--ip",       "--mask",
                                         "--gateway", "--tcp-port", "--dhcp"};

int UsageError(const std::string& why) {
    std::fprintf(stderr, "korva net set: %s\n%s", why.c_str(), kUsage.c_str());
    return kExitUsage;
}

// The TCP port as typed; out-of-range numbers are kept so the range message names them.
std::optional<long> ParseNumber(const std::string& text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

int RunNetSet(const std::vector<std::string>& args) {
    netcfg::NetEndpoints endpoints;
    std::map<std::string, std::string> values;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            std::fputs(kUsage.c_str(), stdout);
            return kExitOk;
        }
        std::string error;
        if (TakeEndpointOption(args, i, endpoints, error)) {
            if (!error.empty()) return UsageError(error);
            continue;
        }
        if (std::find(kRequired.begin(), kRequired.end(), args[i]) == kRequired.end())
            return UsageError("unexpected argument " + args[i]);
        if (i + 1 >= args.size()) return UsageError(args[i] + " needs a value");
        if (!values.emplace(args[i], args[i + 1]).second)
            return UsageError(args[i] + " given twice");
        ++i;
    }
    for (const std::string& name : kRequired)
        if (!values.count(name)) return UsageError(name + " is required");

    const std::string& dhcp = values["--dhcp"];
    if (dhcp != "on" && dhcp != "off") return UsageError("--dhcp takes on or off");
    const std::optional<long> tcpPort = ParseNumber(values["--tcp-port"]);
    if (!tcpPort)
        return UsageError("--tcp-port needs a number, not \"" + values["--tcp-port"] + "\"");
    const netcfg::ChangeBuild request = netcfg::buildChange(
        {values["--ip"], values["--mask"], values["--gateway"], *tcpPort, dhcp == "on"},
        values["--mac"]);
    switch (request.error) {
        case netcfg::ChangeError::None:
        case netcfg::ChangeError::IpRange:
        case netcfg::ChangeError::PortRange:
            break;  // the change itself says what is out of range
        default:
            return UsageError(netcfg::describeChangeError(request.error));
    }

    base::RealClock clock;
    netcfg::NetSettingChange change(clock, endpoints, request, /*askConfirmation=*/false);
    base::RunSteps(change, clock);
    switch (change.GetOutcome()) {
        case netcfg::NetSettingChange::Outcome::Applied:
            if (change.Answered()) return kExitOk;
            std::fprintf(stderr, "korva net set: no printer answered the change for %s\n",
                         values["--mac"].c_str());
            return kExitPrinter;
        case netcfg::NetSettingChange::Outcome::Refused:
            return kExitUsage;
        default:
            return kExitPrinter;
    }
}

const CommandRegistration kNetSet{{
    {"net", "set"},
    "change an Ethernet printer's IP address, mask, gateway, port and DHCP use",
    RunNetSet,
}};

}  // namespace
}  // namespace korva::cli
