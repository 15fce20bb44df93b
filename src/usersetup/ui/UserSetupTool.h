#pragma once
class QWidget;

namespace korva::usersetup::ui {

/// The "&User Setup" tool of the menu: runs the user setup dialog modally
/// over the program's connection (the port object, or the Ethernet address
/// dialog's TCP link).
void RunUserSetup(QWidget* parent);

}  // namespace korva::usersetup::ui
