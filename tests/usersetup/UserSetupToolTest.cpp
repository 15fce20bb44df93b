// The tool as the menu opens it: registered, and run over the program's port object.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>

#include "UserSetupTestSupport.h"
#include "profile/ConnectionLabel.h"
#include "profile/Globals.h"
#include "ui/ToolRegistry.h"
#include "support/RecordedMessages.h"
#include "support/SimHarness.h"
#include "usersetup/ui/SettingControls.h"
#include "usersetup/ui/UserSetupDlg.h"
#include "usersetup/ui/UserSetupTool.h"

namespace korva::usersetup::ui {
namespace {

TEST(UserSetupTool, MenuRunsTheDialogOverTheProgramsPort) {
    test::EnsureQtApp();
    const korva::ui::ToolLauncher launcher = korva::ui::FindTool(korva::ui::Tool::UserSetup);
    ASSERT_TRUE(launcher);
    using Run = void (*)(QWidget*);
    ASSERT_NE(launcher.target<Run>(), nullptr);
    EXPECT_EQ(*launcher.target<Run>(), &RunUserSetup);
    test::SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial"})) << sim.Error().toStdString();
    test::RecordedMessages messages;
    port::CPorts& ports = profile::Ports();
    ports.m_PortName = sim.SerialPath().toStdString();
    ports.m_BaudRate = 115200;
    ports.m_DataBits = 8;
    ports.m_Parity = port::kParityNone;
    ports.m_FlowControl = port::kFlowNone;
    profile::SetConnectionLabel("KORVA20 - COM1");

    QString speedShown;
    bool portOpenWhileShown = false;
    // The connect runs before the dialog is shown: wait for the dialog.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<CUserSetup*>(QApplication::activeModalWidget());
        if (!dialog) return;
        watch.stop();
        portOpenWhileShown = ports.IsOpen();
        dialog->GetValueButton()->click();
        test::SpinUntil([&] { return dialog->Exchange().AllAnswered(); });
        speedShown = dialog->Controls().speedList->currentText();
        dialog->ExitButton()->click();
    });
    watch.start(10);
    korva::ui::FindTool(korva::ui::Tool::UserSetup)(nullptr);
    EXPECT_TRUE(portOpenWhileShown);
    EXPECT_EQ(speedShown, "220");
    EXPECT_FALSE(ports.IsOpen());  // EXIT closed what the dialog opened
    EXPECT_TRUE(messages.Texts().empty());
}

}  // namespace
}  // namespace korva::usersetup::ui
