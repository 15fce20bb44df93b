#include "netcfg/ui/NetSettingTool.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ui/ToolRegistry.h"
#include "netcfg/NetDestination.h"
#include "netcfg/ui/NetSetting.h"

namespace korva::netcfg::ui {

std::optional<NetEndpoints> ParseDestination(std::string_view text) {
    const std::optional<NetDestination> destination = ParseNetDestination(text);
    if (!destination) return std::nullopt;
    NetEndpoints endpoints;
    endpoints.broadcastAddress = destination->address;
    endpoints.port = destination->port;
    return endpoints;
}

NetEndpoints DialogEndpoints(const char* override) {
    if (override == nullptr || *override == '\0') return NetEndpoints{};
    if (auto parsed = ParseDestination(override)) return *parsed;
    // Only the start of a long value is quoted.
    std::fprintf(stderr, "korvatool: KORVA_NETCFG_DEST '%.64s%s' is not ADDR:PORT; using the broadcast\n",
                 override, std::strlen(override) > 64 ? "..." : "");
    return NetEndpoints{};
}

void RunNetSetting(QWidget* parent) {
    CNetSetting dialog(DialogEndpoints(std::getenv("KORVA_NETCFG_DEST")), parent);
    dialog.exec();
}

namespace {
const korva::ui::ToolRegistration kNetSettingTool(korva::ui::Tool::NetworkSetting, &RunNetSetting);
}

}  // namespace korva::netcfg::ui
