#pragma once

namespace korva::ui {

/// Makes every ShowMessage a QMessageBox captioned with the program name, on
/// the GUI thread (a worker thread waits for the answer).
void InstallQtMessageBox();

}  // namespace korva::ui
