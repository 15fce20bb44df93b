#include "ui/ToolRegistry.h"

#include <array>

namespace korva::ui {
namespace {
std::array<ToolLauncher, 5>& Launchers() {
    static std::array<ToolLauncher, 5> launchers;
    return launchers;
}
size_t Slot(Tool tool) { return static_cast<size_t>(tool); }
}  // namespace

ToolLauncher RegisterTool(Tool tool, ToolLauncher launcher) {
    std::swap(Launchers()[Slot(tool)], launcher);
    return launcher;
}

ToolLauncher FindTool(Tool tool) { return Launchers()[Slot(tool)]; }

const char* ToolDisplayName(Tool tool) {
    switch (tool) {
        case Tool::Logo: return "Logo Download";
        case Tool::UserSetup: return "User Setup";
        case Tool::FirmwareNewer: return "Firmware Download";
        case Tool::FirmwareOlder: return "Firmware Download (KORVA10)";
        case Tool::NetworkSetting: return "Network Setting";
    }
    return "";
}

}  // namespace korva::ui
