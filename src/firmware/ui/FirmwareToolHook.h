#pragma once

class QWidget;

namespace korva::firmware::ui {

/// The tool menu's "&Firmware Download": the newer series' dialog, or for
/// device type 2 the older series' one, over the program's port object,
/// TCP link, profile and error log. Registered with the menu at start-up.
void RunFirmwareNewer(QWidget* parent);
void RunFirmwareOlder(QWidget* parent);

}  // namespace korva::firmware::ui
