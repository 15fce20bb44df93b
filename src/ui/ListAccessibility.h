#pragma once
// Screen readers on Linux announce a drop-down list by its name. Qt's own
// interface names it by its current entry there ("115200"), so a list of
// ours that carries an accessible name (its label's text) gets an interface
// that says that name, with the entry as its value.

namespace korva::ui {

/// Installs the interface for named lists; harmless when called again.
void InstallListAccessibility();

}  // namespace korva::ui
