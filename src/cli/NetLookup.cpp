#include "cli/NetLookup.h"

#include "base/MessageBox.h"
#include "netcfg/NetSearch.h"
#include "netcfg/NetText.h"

namespace korva::cli {

namespace {

/// Runs one search with its closing message kept off the terminal: it is a
/// step of another command, not a search the user asked for.
std::optional<FoundPrinter> Search(base::Clock& clock, const netcfg::NetEndpoints& endpoints,
                                   const std::function<bool(const netcfg::NetSettings&, const std::string&)>& wanted,
                                   bool& setupFailed) {
    base::MessageHandler previous = base::SetMessageHandler(
        [](const std::string&, const std::string&, base::MsgStyle) { return base::MsgAnswer::Ok; });
    netcfg::NetSearch search(clock, endpoints);
    base::RunSteps(search, clock);
    base::SetMessageHandler(previous);
    setupFailed = search.GetOutcome() == netcfg::NetSearch::Outcome::SetupFailed;
    for (size_t i = 0; i < search.Printers().size(); ++i)
        if (wanted(search.Printers()[i], search.Senders()[i]))
            return FoundPrinter{search.Printers()[i], search.Senders()[i]};
    return std::nullopt;
}

}  // namespace

std::optional<FoundPrinter> SearchByMac(base::Clock& clock, const netcfg::NetEndpoints& endpoints,
                                        const netcfg::MacAddress& mac, bool& setupFailed) {
    return Search(
        clock, endpoints, [&](const netcfg::NetSettings& s, const std::string&) { return s.mac == mac; },
        setupFailed);
}

std::optional<FoundPrinter> SearchByAddress(base::Clock& clock, const netcfg::NetEndpoints& endpoints,
                                            const std::string& ip) {
    bool setupFailed = false;
    return Search(
        clock, endpoints,
        [&](const netcfg::NetSettings& s, const std::string& sender) {
            return netcfg::formatIpv4(s.ip) == ip || sender == ip;
        },
        setupFailed);
}

QJsonObject NetValuesJson(const netcfg::NetSettings& settings) {
    return QJsonObject{
        {"ip", QString::fromStdString(netcfg::formatIpv4(settings.ip))},
        {"mask", QString::fromStdString(netcfg::formatIpv4(settings.mask))},
        {"gateway", QString::fromStdString(netcfg::formatIpv4(settings.gateway))},
        {"tcp_port", settings.tcpPort},
        {"dhcp", settings.dhcp},
    };
}

bool SameNetValues(const netcfg::NetSettings& a, const netcfg::NetSettings& b) {
    return a.ip == b.ip && a.mask == b.mask && a.gateway == b.gateway && a.tcpPort == b.tcpPort &&
           a.dhcp == b.dhcp;
}

}  // namespace korva::cli
