#include "firmware/ui/FirmwareToolHook.h"

#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

#include "profile/AppProfile.h"
#include "profile/ConnectionLabel.h"
#include "profile/Globals.h"
#include "profile/MemoryProfile.h"
#include "app/ui/MenuDlg.h"
#include "ui/ToolRegistry.h"
#include "firmware/ui/FwDown15.h"
#include "firmware/ui/FwDown20.h"
#include "logo/ui/UiTestEnv.h"

using namespace korva;

namespace {

/// Opens the menu for `deviceType`, presses "&Firmware Download" and returns
/// the caption of the dialog that came up (closed again with its cancel button).
QString FirmwareDialogCaption(int deviceType, int* markedTool, QString* deviceText) {
    port::ConnectionSettings settings;
    settings.portName = "COM1";
    settings.baudRate = 115200;
    settings.dataBits = 8;
    settings.parity = 0;
    settings.flowControl = 1;
    settings.deviceType = deviceType;
    profile::Ports().SetConnection(settings);
    app::ui::CMenuDlg menu(settings, {[markedTool](int tool) { *markedTool = tool; }, [] {}});
    EXPECT_TRUE(menu.FirmwareButton()->isEnabled());
    QString caption;
    test::WhenModal<QDialog>([&](QDialog* dialog) {
        caption = dialog->windowTitle();
        for (QLabel* label : dialog->findChildren<QLabel*>())
            if (label->text().startsWith("KORVA")) *deviceText = label->text();
        dialog->reject();
    });
    menu.FirmwareButton()->click();
    return caption;
}

}  // namespace

TEST(FirmwareToolHook, MenuOpensTheDialogOfThePrintersSeries) {
    test::TestApp();
    profile::MemoryProfile profile;
    base::Profile* previous = profile::SetAppProfile(&profile);
    ASSERT_EQ(korva::ui::FindTool(korva::ui::Tool::FirmwareNewer).target_type(),
              korva::ui::ToolLauncher(&firmware::ui::RunFirmwareNewer).target_type());
    int marked = 0;
    QString device;
    EXPECT_EQ(FirmwareDialogCaption(1, &marked, &device), "KorvaTool : Firmware Download");
    EXPECT_EQ(marked, 3);
    EXPECT_TRUE(device.startsWith("KORVA20 - COM1\nBaud : 115200")) << device.toStdString();
    marked = 0;
    EXPECT_EQ(FirmwareDialogCaption(2, &marked, &device), "KorvaTool : KORVA10 Firmware Download");
    EXPECT_EQ(marked, 3);
    EXPECT_TRUE(device.startsWith("KORVA10 - COM1")) << device.toStdString();
    profile::SetAppProfile(previous);
}
