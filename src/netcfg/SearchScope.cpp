#include "netcfg/SearchScope.h"

#include <QNetworkInterface>

namespace korva::netcfg {

std::string SearchScope(const NetEndpoints& endpoints) {
    const std::string port = " port " + std::to_string(endpoints.port);
    if (endpoints.broadcastAddress != kLimitedBroadcast) return endpoints.broadcastAddress + port;
    std::string list;
    for (const QNetworkInterface& nic : QNetworkInterface::allInterfaces()) {
        const auto flags = nic.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || !flags.testFlag(QNetworkInterface::CanBroadcast) ||
            flags.testFlag(QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry& entry : nic.addressEntries()) {
            if (entry.ip().protocol() != QAbstractSocket::IPv4Protocol) continue;
            list += (list.empty() ? "" : ", ") + nic.name().toStdString() + " " + entry.ip().toString().toStdString() +
                    "/" + std::to_string(entry.prefixLength());
        }
    }
    if (list.empty()) list = "no network interface that can broadcast";
    return std::string(kLimitedBroadcast) + port + " on " + list;
}

std::string NoPrinterAnsweredText(const NetEndpoints& endpoints) {
    return "No printer answered the search (sent to " + SearchScope(endpoints) +
           ").\r\nA search reaches only printers on this computer's own network: routers do not pass it on. "
           "Check the printer's network cable and that it is switched on, and that no firewall here drops "
           "the answers (UDP port " +
           std::to_string(endpoints.listenPort) + ").";
}

}  // namespace korva::netcfg
