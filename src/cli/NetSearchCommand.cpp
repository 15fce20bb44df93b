// korva net search: finds the Ethernet printers on the local network by the
// network-setting broadcast and lists their settings.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "cli/Command.h"
#include "cli/NetCommandOptions.h"
#include "netcfg/NetSearch.h"
#include "netcfg/NetText.h"

namespace korva::cli {
namespace {

const std::string kUsage = std::string(
                               "usage: korva net search [--broadcast ADDR] [--port N] "
                               "[--listen-port N] [--json]\n"
                               "Broadcasts a search and lists every printer that answers within "
                               "one second of the last\nanswer, one per line: IP, port, subnet, "
                               "gateway, MAC.\n\n") +
                           kNetEndpointUsage +
                           "  --json               print a JSON array of {ip, dhcp, port, subnet, "
                           "gateway, mac, sender}\n";

int UsageError(const std::string& why) {
    std::fprintf(stderr, "korva net search: %s\n%s", why.c_str(), kUsage.c_str());
    return kExitUsage;
}

void PrintText(const netcfg::NetSearch& search) {
    for (const netcfg::NetSettings& printer : search.Printers()) {
        const netcfg::PrinterRow row = netcfg::formatPrinterRow(printer);
        std::printf("%-22s %-6s %-16s %-16s %s\n", row.ip.c_str(), row.port.c_str(),
                    row.subnet.c_str(), row.gateway.c_str(), row.mac.c_str());
    }
}

void PrintJson(const netcfg::NetSearch& search) {
    QJsonArray list;
    for (size_t i = 0; i < search.Printers().size(); ++i) {
        const netcfg::NetSettings& printer = search.Printers()[i];
        list.append(QJsonObject{
            {"ip", QString::fromStdString(netcfg::formatIpv4(printer.ip))},
            {"dhcp", printer.dhcp},
            {"port", printer.tcpPort},
            {"subnet", QString::fromStdString(netcfg::formatIpv4(printer.mask))},
            {"gateway", QString::fromStdString(netcfg::formatIpv4(printer.gateway))},
            {"mac", QString::fromStdString(netcfg::formatMac(printer.mac))},
            {"sender", QString::fromStdString(search.Senders()[i])},
        });
    }
    std::fputs(QJsonDocument(list).toJson(QJsonDocument::Indented).constData(), stdout);
}

int RunNetSearch(const std::vector<std::string>& args) {
    netcfg::NetEndpoints endpoints;
    bool json = false;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            std::fputs(kUsage.c_str(), stdout);
            return kExitOk;
        }
        std::string error;
        if (TakeEndpointOption(args, i, endpoints, error)) {
            if (!error.empty()) return UsageError(error);
        } else if (args[i] == "--json") {
            json = true;
        } else {
            return UsageError("unexpected argument " + args[i]);
        }
    }

    base::RealClock clock;
    netcfg::NetSearch search(clock, endpoints);
    base::RunSteps(search, clock);
    if (json) {
        PrintJson(search);
    } else {
        PrintText(search);
    }
    if (search.ShortReplies() > 0)
        std::fprintf(stderr, "korva net search: %d answers shorter than 35 bytes were skipped\n",
                     search.ShortReplies());
    return search.GetOutcome() == netcfg::NetSearch::Outcome::Finished ? kExitOk : kExitPrinter;
}

const CommandRegistration kNetSearch{{
    {"net", "search"},
    "list the Ethernet printers on the local network",
    RunNetSearch,
}};

}  // namespace
}  // namespace korva::cli
