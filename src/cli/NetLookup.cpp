#include "cli/NetLookup.h"

#include <functional>

#include "base/MessageBox.h"
#include "cli/Output.h"
#include "netcfg/NetSearch.h"
#include "netcfg/NetText.h"

namespace korva::cli {

namespace {

using Wanted = std::function<bool(const netcfg::NetSettings&, const std::string&)>;

bool AnyWanted(const netcfg::NetSearch& search, const Wanted& wanted) {
    for (size_t i = 0; i < search.Printers().size(); ++i)
        if (wanted(search.Printers()[i], search.Senders()[i])) return true;
    return false;
}

/// Runs one search with its closing message kept off the terminal: it is a
/// step of another command, not a search the user asked for. With
/// `untilFound` it ends as soon as the wanted printer answered.
MacSearch Search(base::Clock& clock, const netcfg::NetEndpoints& endpoints, const Wanted& wanted,
                 bool untilFound = false) {
    base::MessageHandler previous = base::SetMessageHandler(
        [](const std::string&, const std::string&, base::MsgStyle) { return base::MsgAnswer::Ok; });
    netcfg::NetSearch search(clock, endpoints);
    for (;;) {
        const int wait = search.Step();
        if (wait == base::kStepDone || (untilFound && AnyWanted(search, wanted))) break;
        if (wait > 0) clock.SleepMs(wait);
    }
    base::SetMessageHandler(previous);
    MacSearch result;
    result.setupFailed = search.GetOutcome() == netcfg::NetSearch::Outcome::SetupFailed;
    for (size_t i = 0; i < search.Printers().size(); ++i) {
        if (!result.found && wanted(search.Printers()[i], search.Senders()[i])) {
            result.found = FoundPrinter{search.Printers()[i], search.Senders()[i]};
            continue;
        }
        result.others += (result.others.empty() ? "" : ", ") + netcfg::FormatMac(search.Printers()[i].mac) +
                         " (" + search.Senders()[i] + ")";
    }
    return result;
}

}  // namespace

MacSearch SearchByMac(base::Clock& clock, const netcfg::NetEndpoints& endpoints, const netcfg::MacAddress& mac,
                      netcfg::LateAnswerLog* late) {
    if (late != nullptr) {
        if (const int ms = late->RemainingMs(mac); ms > 0) {
            Note("an earlier run to " + netcfg::FormatMac(mac) + " may still be answered; searching in " +
                 std::to_string(ms) + " ms");
            clock.SleepMs(ms);
        }
    }
    MacSearch result = Search(clock, endpoints, [&](const netcfg::NetSettings& s, const std::string&) {
        return s.mac == mac;
    });
    if (late != nullptr && !result.found) late->Expect(mac, netcfg::kLateAnswerMs);
    return result;
}

std::optional<FoundPrinter> SearchByAddress(base::Clock& clock, const netcfg::NetEndpoints& endpoints,
                                            const std::string& ip) {
    const auto atAddress = [&](const netcfg::NetSettings& s, const std::string& sender) {
        return netcfg::FormatIpv4(s.ip) == ip || sender == ip;
    };
    return Search(clock, endpoints, atAddress, true).found;
}

QJsonObject NetValuesJson(const netcfg::NetSettings& settings) {
    return QJsonObject{
        {"ip", QString::fromStdString(netcfg::FormatIpv4(settings.ip))},
        {"mask", QString::fromStdString(netcfg::FormatIpv4(settings.mask))},
        {"gateway", QString::fromStdString(netcfg::FormatIpv4(settings.gateway))},
        {"tcp_port", settings.tcpPort},
        {"dhcp", settings.dhcp},
    };
}

}  // namespace korva::cli
