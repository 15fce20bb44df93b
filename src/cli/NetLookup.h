#pragma once
// Finding one Ethernet printer by a network-setting search: by its MAC (what
// `net set` changes, and how it sees the change took) or by its address
// (`status` of an Ethernet printer). Every search is bounded.
#include <QJsonObject>
#include <optional>
#include <string>

#include "base/Clock.h"
#include "netcfg/NetDatagram.h"
#include "netcfg/UdpChannel.h"

namespace korva::cli {

struct FoundPrinter {
    netcfg::NetSettings settings;
    std::string sender;  ///< the address its answer came from
};

/// One search; the answer carrying `mac`, if any. `setupFailed` tells a
/// search that could not be made at all.
std::optional<FoundPrinter> SearchByMac(base::Clock& clock, const netcfg::NetEndpoints& endpoints,
                                        const netcfg::MacAddress& mac, bool& setupFailed);

/// One search; the answer of the printer whose address is `ip` (its
/// reported address, or the address its answer came from).
std::optional<FoundPrinter> SearchByAddress(base::Clock& clock, const netcfg::NetEndpoints& endpoints,
                                            const std::string& ip);

/// The five values `net set` sets, as the results show them:
/// {"ip", "mask", "gateway", "tcp_port", "dhcp"}.
QJsonObject NetValuesJson(const netcfg::NetSettings& settings);

/// Whether two records hold the same five values (the MAC aside).
bool SameNetValues(const netcfg::NetSettings& a, const netcfg::NetSettings& b);

}  // namespace korva::cli
