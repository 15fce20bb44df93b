#include "netcfg/NetDestination.h"

#include <charconv>

#include "netcfg/NetText.h"

namespace korva::netcfg {

std::optional<NetDestination> ParseNetDestination(std::string_view text) {
    const size_t colon = text.rfind(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const std::string_view address = text.substr(0, colon);
    const std::string_view portText = text.substr(colon + 1);
    if (!ParseIpv4(address)) return std::nullopt;
    unsigned port = 0;
    const auto [end, error] = std::from_chars(portText.data(), portText.data() + portText.size(), port);
    if (error != std::errc() || end != portText.data() + portText.size() || port == 0 || port > 65535)
        return std::nullopt;
    return NetDestination{std::string(address), static_cast<uint16_t>(port)};
}

}  // namespace korva::netcfg
