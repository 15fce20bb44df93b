// korva net search: finds the Ethernet printers on the local network by the
// network-setting broadcast and lists their settings.
#include <QJsonArray>
#include <QJsonObject>
#include <cstdio>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "cli/Command.h"
#include "cli/JsonReport.h"
#include "cli/RunReason.h"
#include "cli/LogoCommandSupport.h"
#include "cli/NetCommandOptions.h"
#include "cli/Output.h"
#include "cli/Signals.h"
#include "netcfg/NetSearch.h"
#include "netcfg/NetText.h"

namespace korva::cli {
namespace {

void PrintText(const netcfg::NetSearch& search) {
    for (const netcfg::NetSettings& printer : search.Printers()) {
        const netcfg::PrinterRow row = netcfg::FormatPrinterRow(printer);
        std::printf("%-22s %-6s %-16s %-16s %s\n", row.ip.c_str(), row.port.c_str(),
                    row.subnet.c_str(), row.gateway.c_str(), row.mac.c_str());
    }
}

/// The printers with the keys of `korva net set`'s options.
QJsonArray PrintersJson(const netcfg::NetSearch& search) {
    QJsonArray list;
    for (size_t i = 0; i < search.Printers().size(); ++i) {
        const netcfg::NetSettings& printer = search.Printers()[i];
        list.append(QJsonObject{
            {"mac", QString::fromStdString(netcfg::FormatMac(printer.mac))},
            {"ip", QString::fromStdString(netcfg::FormatIpv4(printer.ip))},
            {"mask", QString::fromStdString(netcfg::FormatIpv4(printer.mask))},
            {"gateway", QString::fromStdString(netcfg::FormatIpv4(printer.gateway))},
            {"tcp_port", printer.tcpPort},
            {"dhcp", printer.dhcp},
            {"sender", QString::fromStdString(search.Senders()[i])},
        });
    }
    return list;
}

int RunNetSearch(const ParsedOptions& options) {
    const std::optional<netcfg::NetEndpoints> endpoints = EndpointsFromOptions(options);
    if (!endpoints) return kExitUsage;
    if (!options.Operands().empty()) return UsageError("unexpected argument " + options.Operands()[0]);

    StderrMessages messages;
    StopScope stop(StopMode::AtOnce, "search interrupted");
    SetCancelKeys({{"printers", QJsonArray()}});
    base::RealClock clock;
    netcfg::NetSearch search(clock, *endpoints);
    base::RunSteps(search, clock);
    if (search.ShortReplies() > 0)
        Note(std::to_string(search.ShortReplies()) + " answers shorter than 35 bytes were skipped");
    int code = kExitOk;
    if (search.GetOutcome() != netcfg::NetSearch::Outcome::Finished) {
        code = kExitPrinter;
    } else if (search.Printers().empty()) {
        SetReason(base::Reason::NoAnswer);
        Error("no printer answered the search");
        code = kExitPrinter;
    }
    if (Mode().json)
        JsonReport(code).Set("printers", PrintersJson(search)).Print();
    else
        PrintText(search);
    return code;
}

const CommandRegistration kNetSearch{{
    {"net", "search"},
    "list the Ethernet printers on the local network",
    "[--broadcast ADDR] [--udp-port N] [--listen-port N]",
    "Broadcasts a search and lists every printer that answers within one second of\n"
    "the last answer, one per line: IP, port, subnet, gateway, MAC. No answer is\n"
    "exit code 1. --json gives {\"outcome\":...,\"printers\":[{mac, ip, mask,\n"
    "gateway, tcp_port, dhcp, sender}...]}.",
    WithNetEndpointOptions({}),
    RunNetSearch,
}};

}  // namespace
}  // namespace korva::cli
