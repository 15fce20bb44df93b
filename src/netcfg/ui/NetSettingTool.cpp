#include "netcfg/ui/NetSettingTool.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "app/ui/ToolRegistry.h"
#include "netcfg/NetText.h"
#include "netcfg/ui/NetSetting.h"

namespace korva::netcfg::ui {

std::optional<NetEndpoints> ParseDestination(std::string_view text) {
    const size_t colon = text.rfind(':');
    if (colon == std::string_view::npos) return std::nullopt;
    const std::string_view address = text.substr(0, colon);
    const std::string_view portText = text.substr(colon + 1);
    if (!parseIpv4(address)) return std::nullopt;
    unsigned port = 0;
    const auto [end, error] = std::from_chars(portText.data(), portText.data() + portText.size(), port);
    if (error != std::errc() || end != portText.data() + portText.size() || port == 0 || port > 65535)
        return std::nullopt;
    NetEndpoints endpoints;
    endpoints.broadcastAddress = std::string(address);
    endpoints.port = static_cast<uint16_t>(port);
    return endpoints;
}

NetEndpoints DialogEndpoints(const char* override) {
    if (override == nullptr || *override == '\0') return NetEndpoints{};
    if (auto parsed = ParseDestination(override)) return *parsed;
    std::fprintf(stderr, "korvatool: KORVA_NETCFG_DEST '%s' is not ADDR:PORT; using the broadcast\n",
                 override);
    return NetEndpoints{};
}

void RunNetSetting(QWidget* parent) {
    CNetSetting dialog(DialogEndpoints(std::getenv("KORVA_NETCFG_DEST")), parent);
    dialog.exec();
}

namespace {
const app::ui::ToolRegistration kNetSettingTool(app::ui::Tool::NetworkSetting, &RunNetSetting);
}

}  // namespace korva::netcfg::ui
