#pragma once
#include <optional>
#include <string_view>

#include "netcfg/UdpChannel.h"

class QWidget;

namespace korva::netcfg::ui {

/// Opens "KORVA Ethernet-II Network Setting" modally over `parent`; it is
/// registered as the network setting tool that the Ethernet address dialog opens.
void RunNetSetting(QWidget* parent);

/// Where the dialog sends its datagrams: the limited broadcast on UDP 2918,
/// unless `KORVA_NETCFG_DEST` names "ADDR:PORT" (the demo points it at the
/// simulated printer on loopback, since a broadcast never reaches loopback).
NetEndpoints DialogEndpoints(const char* override);

/// Parses "A.B.C.D:PORT" (port 1..65535); nothing for any other text.
std::optional<NetEndpoints> ParseDestination(std::string_view text);

}  // namespace korva::netcfg::ui
