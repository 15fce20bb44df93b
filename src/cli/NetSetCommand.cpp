// korva net set: changes one Ethernet printer's IP address, subnet mask,
// gateway, TCP port and DHCP use; the printer is picked by its MAC address.
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "app/FileLocations.h"
#include "base/Clock.h"
#include "cli/Command.h"
#include "cli/JsonReport.h"
#include "cli/RunReason.h"
#include "cli/LogoCommandSupport.h"
#include "cli/NetCommandOptions.h"
#include "cli/Output.h"
#include "cli/Signals.h"
#include "netcfg/ChangeRequest.h"
#include "netcfg/LateAnswers.h"
#include "netcfg/NetSettingChange.h"
#include "netcfg/NetText.h"

namespace korva::cli {
namespace {

const std::vector<std::string> kRequired{"mac", "ip", "mask", "gateway", "tcp-port", "dhcp"};

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

/// "; ignored the answers of 00:2B:9E:.. (10.0.0.7), ..." for replies that
/// carried another MAC, or "".
std::string IgnoredReplies(const netcfg::NetSettingChange& change) {
    std::string text;
    for (const netcfg::NetSettingChange::Reply& reply : change.OtherReplies()) {
        text += text.empty() ? "; ignored the answers of " : ", ";
        text += (reply.settings ? netcfg::formatMac(reply.settings->mac) : "an unreadable reply") +
                " (" + reply.sender + ")";
    }
    return text;
}

int RunNetSet(const ParsedOptions& options) {
    const std::optional<netcfg::NetEndpoints> endpoints = EndpointsFromOptions(options);
    if (!endpoints) return kExitUsage;
    if (!options.Operands().empty()) return UsageError("unexpected argument " + options.Operands()[0]);
    for (const std::string& name : kRequired)
        if (!options.Has(name)) return UsageError("--" + name + " is required");

    const std::string dhcp = options.Get("dhcp");
    if (dhcp != "on" && dhcp != "off") return UsageError("--dhcp takes on or off");
    const std::optional<long> tcpPort = ParseNumber(options.Get("tcp-port"));
    if (!tcpPort)
        return UsageError("--tcp-port needs a number, not \"" + options.Get("tcp-port") + "\"");
    const std::string mac = options.Get("mac");
    const netcfg::ChangeBuild request = netcfg::buildChange(
        {options.Get("ip"), options.Get("mask"), options.Get("gateway"), *tcpPort, dhcp == "on"}, mac);
    switch (request.error) {
        case netcfg::ChangeError::None:
        case netcfg::ChangeError::IpRange:
        case netcfg::ChangeError::PortRange:
            break;  // the change itself says what is out of range
        default:
            return UsageError(netcfg::describeChangeError(request.error));
    }

    StderrMessages messages;
    StopScope stop(StopMode::Unstoppable, "the change is on its way; it cannot be stopped");
    base::RealClock clock;
    netcfg::NetSettingChange change(clock, *endpoints, request, /*askConfirmation=*/false);
    // Only the changed printer's own answer (its MAC in the reply) counts here.
    change.RequireMatchingAnswer();
    // Beside the program's error log: the dialog and every korva run of this user share it.
    const std::string logPath = app::ProgramFileLocations().logPath;
    app::MakeFolderFor(logPath);
    netcfg::LateAnswerFiles lateAnswers(std::filesystem::path(logPath).parent_path().string());
    change.UseLateAnswerLog(&lateAnswers);
    if (const int ms = lateAnswers.RemainingMs(request.settings.mac);
        ms > 0 && request.error == netcfg::ChangeError::None)
        Note("an earlier change to " + netcfg::formatMac(request.settings.mac) +
             " may still be answered; sending in " + std::to_string(ms) + " ms");
    base::RunSteps(change, clock);
    int code = kExitPrinter;
    std::string answeredBy;
    switch (change.GetOutcome()) {
        case netcfg::NetSettingChange::Outcome::Applied:
            answeredBy = change.AnswerReply()->sender;
            Note("answered by " + netcfg::formatMac(request.settings.mac) + " from " + answeredBy);
            code = kExitOk;
            break;
        case netcfg::NetSettingChange::Outcome::NoAnswer:
            SetReason(base::Reason::NoAnswer);
            Error("no printer answered the change for " + mac + "; nothing was applied" +
                  IgnoredReplies(change));
            break;
        case netcfg::NetSettingChange::Outcome::Refused:
            code = kExitUsage;
            break;
        default:
            break;
    }
    JsonReport report(code);
    report.Set("mac", netcfg::formatMac(request.settings.mac)).Set("ip", options.Get("ip"));
    // "sender", as `net search` names the address a printer answered from.
    if (!answeredBy.empty()) report.Set("sender", answeredBy);
    report.Print();
    return code;
}

const CommandRegistration kNetSet{{
    {"net", "set"},
    "change an Ethernet printer's IP address, mask, gateway, port and DHCP use",
    "--mac XX:XX:XX:XX:XX:XX --ip A.B.C.D --mask A.B.C.D\n"
    "                     --gateway A.B.C.D --tcp-port N --dhcp on|off\n"
    "                     [--broadcast ADDR]",
    "Sends the change to the printer with that MAC, waits up to one second for its\n"
    "answer (a reply carrying that MAC; others are ignored), then sends the apply;\n"
    "the printer beeps and switches itself off. Without that answer no apply is\n"
    "sent and the printer keeps its settings. Right after an unanswered change to\n"
    "the same printer it first waits up to 2 s, so a late answer to that change is\n"
    "not taken for the answer to this one.\n"
    "The IP address and gateway must end in 1..254, the TCP port lie in 1024..65534.\n"
    "Exit code 1 when no printer answered the change.",
    WithNetEndpointOptions({
        {"mac", 0, "XX:XX:XX:XX:XX:XX", "the printer to change"},
        {"ip", 0, "A.B.C.D", "its new IP address"},
        {"mask", 0, "A.B.C.D", "its new subnet mask"},
        {"gateway", 0, "A.B.C.D", "its new gateway"},
        {"tcp-port", 0, "N", "its new TCP port, 1024..65534"},
        {"dhcp", 0, "on|off", "whether it takes its address from DHCP"},
    }),
    RunNetSet,
}};

}  // namespace
}  // namespace korva::cli
