#pragma once

class QWidget;

namespace korva::logo {
struct LogoList;
struct LogoOptions;
}  // namespace korva::logo

namespace korva::logo::ui {

/// The tool menu's "&Logo Download": the logo sheet over the program's port
/// object, profile and error log. Registered with the menu at start-up.
void RunLogoDownload(QWidget* parent);

/// The one logo list and the options of the program run; they outlive each
/// sheet (the list is refilled from the profile at every opening).
LogoList& ProgramLogoList();
LogoOptions& ProgramLogoOptions();

}  // namespace korva::logo::ui
