#pragma once
// Finding one Ethernet printer by a network-setting search: by its MAC (what
// `net set` changes, and how it sees the change took) or by its address
// (`status` of an Ethernet printer). Every search is bounded.
#include <QJsonObject>
#include <optional>
#include <string>

#include "base/Clock.h"
#include "netcfg/LateAnswers.h"
#include "netcfg/NetDatagram.h"
#include "netcfg/UdpChannel.h"

namespace korva::cli {

struct FoundPrinter {
    netcfg::NetSettings settings;
    std::string sender;  ///< the address its answer came from
};

/// What a search by MAC found.
struct MacSearch {
    std::optional<FoundPrinter> found;  ///< the answer carrying the MAC
    std::string others;                 ///< "00:2B:9E:.. (127.0.0.1), ..." of the other answers
    bool setupFailed = false;           ///< the search could not be made at all
};

/// One search for `mac`. With `late`, it first lets pass the time an earlier
/// run's answers to that printer may still come (they would pass for this
/// search's), and when the printer does not answer in time it notes that its
/// answer may still come, so the next run does the same.
MacSearch SearchByMac(base::Clock& clock, const netcfg::NetEndpoints& endpoints, const netcfg::MacAddress& mac,
                      netcfg::LateAnswerLog* late);

/// One search, ended as soon as the printer whose address is `ip` (its
/// reported address, or the address its answer came from) answered; its answer.
std::optional<FoundPrinter> SearchByAddress(base::Clock& clock, const netcfg::NetEndpoints& endpoints,
                                            const std::string& ip);

/// The five values `net set` sets, as the results show them:
/// {"ip", "mask", "gateway", "tcp_port", "dhcp"}.
QJsonObject NetValuesJson(const netcfg::NetSettings& settings);

}  // namespace korva::cli
