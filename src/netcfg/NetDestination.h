#pragma once
// "A.B.C.D:PORT": where the network setting dialog sends its datagrams
// instead of the broadcast, as the KORVA_NETCFG_DEST variable gives it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korva::netcfg {

struct NetDestination {
    std::string address;  ///< dotted IPv4 address, as given
    uint16_t port = 0;    ///< 1..65535
};

/// Parses "A.B.C.D:PORT" (port 1..65535, decimal digits only); nothing for any other text.
std::optional<NetDestination> ParseNetDestination(std::string_view text);

}  // namespace korva::netcfg
