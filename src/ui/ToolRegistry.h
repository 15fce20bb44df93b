#pragma once
#include <functional>

class QWidget;

namespace korva::ui {

/// The tools the menu opens. Each tool's UI plugs itself in from its own
/// folder, so the menu never needs to know their dialogs.
enum class Tool {
    Logo,
    UserSetup,
    FirmwareNewer,
    FirmwareOlder,
    NetworkSetting,  ///< opened from the Ethernet address dialog, not the menu
};

/// Runs the tool modally over `parent` and returns when it has closed.
using ToolLauncher = std::function<void(QWidget* parent)>;

/// Installs (or, with an empty launcher, removes) a tool; returns the previous one.
ToolLauncher RegisterTool(Tool tool, ToolLauncher launcher);

/// The launcher, or an empty function when the tool is not part of this build.
ToolLauncher FindTool(Tool tool);

/// Name shown when a tool is missing: "Logo Download", ...
const char* ToolDisplayName(Tool tool);

/// For a static object in the tool's own .cpp:
///   static const korva::ui::ToolRegistration reg(Tool::Logo, &RunLogoSheet);
/// korvatool links the UI library whole, so such objects are always kept.
struct ToolRegistration {
    ToolRegistration(Tool tool, ToolLauncher launcher) { RegisterTool(tool, std::move(launcher)); }
};

}  // namespace korva::ui
