#pragma once
// Where a search went, in words for the message of a search nobody answered.
#include <string>

#include "netcfg/UdpChannel.h"

namespace korva::netcfg {

/// The interfaces a broadcast leaves by ("eth0 10.1.2.3/24, wlan0 ..."), or
/// the one address a search was sent to.
std::string SearchScope(const NetEndpoints& endpoints);

/// The lines after "The printer has finished searching." when nobody
/// answered: where the search went, and what to check.
std::string NoPrinterAnsweredText(const NetEndpoints& endpoints);

}  // namespace korva::netcfg
