#include "app/ui/MenuDlg.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "support/QtTestSupport.h"
#include "profile/ConnectionLabel.h"
#include "ui/Language.h"
#include "support/TestDir.h"

using namespace korva::app;
using namespace korva::base;
using namespace korva::app::ui;
using namespace korva::profile;
using namespace korva::ui;
using korva::test::MessageRecorder;
using korva::port::kToolFirmware;
using korva::port::kToolLogo;
using korva::port::kToolUserSetup;

namespace {

/// Installs launchers for the test and removes them again.
class ToolStub {
public:
    ToolStub(Tool tool, ToolLauncher launcher) : m_Tool(tool) { m_Previous = RegisterTool(tool, std::move(launcher)); }
    ~ToolStub() { RegisterTool(m_Tool, m_Previous); }

private:
    Tool m_Tool;
    ToolLauncher m_Previous;
};

class MenuDlgTest : public ::testing::Test {
protected:
    MenuDlgTest() {
        korva::test::TestApp();
        settings.portName = "COM1";
        settings.deviceType = 1;
        settings.baudRate = 115200;
        settings.dataBits = 8;
        settings.parity = 0;
        settings.flowControl = 1;
        settings.stopBits = 0;
    }
    MenuPortHooks Hooks() {
        return {[this](int tool) { currentTool = tool; }, [this] { ++portCloses; }};
    }

    korva::port::ConnectionSettings settings;
    MessageRecorder messages;
    int currentTool = 0;
    int portCloses = 0;
};

}  // namespace

TEST_F(MenuDlgTest, OpeningComposesTheConnectionLabel) {
    ToolStub user(Tool::UserSetup, [](QWidget*) {});
    SetConnectionLabel("stale");
    CMenuDlg menu(settings, Hooks());
    EXPECT_EQ(menu.windowTitle(), "KorvaTool");
    EXPECT_EQ(ConnectionLabel(),
              "KORVA20 - COM1\r\nBaud : 115200\r\nData : 8 bit\r\nNone Parity\r\nH/W Flow control\r\nOne Stop Bit");
    EXPECT_EQ(menu.BackButton()->text(), "<< &Back  ");
    EXPECT_TRUE(menu.UserSetupButton()->isEnabled());
}

TEST_F(MenuDlgTest, Korva10HasNoUserSetupAndUsesTheOlderFirmwareTool) {
    settings.deviceType = 2;
    std::vector<std::string> launched;
    ToolStub newer(Tool::FirmwareNewer, [&](QWidget*) { launched.push_back("newer"); });
    ToolStub older(Tool::FirmwareOlder, [&](QWidget* parent) {
        launched.push_back("older");
        EXPECT_EQ(currentTool, kToolFirmware) << "marked before the tool runs";
        EXPECT_NE(parent, nullptr);
    });
    CMenuDlg menu(settings, Hooks());
    EXPECT_FALSE(menu.UserSetupButton()->isEnabled());
    menu.FirmwareButton()->click();
    EXPECT_EQ(launched, std::vector<std::string>{"older"});
    EXPECT_EQ(portCloses, 1) << "the port is closed after the firmware tool";
    EXPECT_TRUE(ConnectionLabel().starts_with("KORVA10 - COM1\r\n"));
}

TEST_F(MenuDlgTest, NewerSeriesFirmwareAndUserSetupMarkTheirTool) {
    settings.deviceType = 3;
    std::vector<int> marksSeen;
    ToolStub newer(Tool::FirmwareNewer, [&](QWidget*) { marksSeen.push_back(currentTool); });
    ToolStub user(Tool::UserSetup, [&](QWidget*) { marksSeen.push_back(currentTool); });
    CMenuDlg menu(settings, Hooks());
    menu.UserSetupButton()->click();
    menu.FirmwareButton()->click();
    EXPECT_EQ(marksSeen, (std::vector<int>{kToolUserSetup, kToolFirmware}));
}

TEST_F(MenuDlgTest, LogoToolIsMarkedOnlyAfterItsSheetCloses) {
    currentTool = kToolFirmware;
    int seenDuringSheet = -1;
    ToolStub logo(Tool::Logo, [&](QWidget*) { seenDuringSheet = currentTool; });
    CMenuDlg menu(settings, Hooks());
    menu.LogoButton()->click();
    EXPECT_EQ(seenDuringSheet, kToolFirmware);
    EXPECT_EQ(currentTool, kToolLogo);
}

TEST_F(MenuDlgTest, ToolsNotInThisBuildAreDisabledAndNeverOpen) {
    ToolStub logo(Tool::Logo, {});
    ToolStub user(Tool::UserSetup, {});
    ToolStub newer(Tool::FirmwareNewer, {});
    int olderRuns = 0;
    ToolStub older(Tool::FirmwareOlder, [&](QWidget*) { ++olderRuns; });
    CMenuDlg menu(settings, Hooks());
    EXPECT_FALSE(menu.LogoButton()->isEnabled());
    EXPECT_FALSE(menu.UserSetupButton()->isEnabled());
    EXPECT_FALSE(menu.FirmwareButton()->isEnabled()) << "the newer series' dialog is missing";
    EXPECT_TRUE(menu.BackButton()->isEnabled());
    // Reached anyway (a stale shortcut): nothing opens, nothing is marked or closed.
    menu.OnLogoDownload();
    menu.OnUserSetup();
    menu.OnFirmwareDownload();
    EXPECT_TRUE(messages.texts.empty());
    EXPECT_EQ(currentTool, 0);
    EXPECT_EQ(portCloses, 0);
    EXPECT_EQ(olderRuns, 0);

    settings.deviceType = 2;  // the older series has its firmware dialog
    CMenuDlg korva10(settings, Hooks());
    EXPECT_TRUE(korva10.FirmwareButton()->isEnabled());
    korva10.FirmwareButton()->click();
    EXPECT_EQ(olderRuns, 1);
}

TEST_F(MenuDlgTest, Korva10KeepsUserSetupDisabledEvenWithTheTool) {
    int runs = 0;
    ToolStub user(Tool::UserSetup, [&](QWidget*) { ++runs; });
    settings.deviceType = 2;
    CMenuDlg menu(settings, Hooks());
    EXPECT_FALSE(menu.UserSetupButton()->isEnabled());
    menu.OnUserSetup();
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(currentTool, 0);
}

TEST_F(MenuDlgTest, BackClosesWithCancel) {
    CMenuDlg menu(settings, Hooks());
    menu.show();
    menu.BackButton()->click();
    EXPECT_EQ(menu.result(), QDialog::Rejected);
    EXPECT_FALSE(menu.isVisible());
}

TEST_F(MenuDlgTest, KoreanButtons) {
    SetKoreanLabelsOverride(true);
    CMenuDlg menu(settings, Hooks());
    SetKoreanLabelsOverride(std::nullopt);
    // The English mnemonics in the Korean way, so Alt keys work on Korean systems too.
    EXPECT_EQ(menu.LogoButton()->text(), QString::fromUtf8("로고 전송(&L)"));
    EXPECT_EQ(menu.UserSetupButton()->text(), QString::fromUtf8("사용자 설정(&U)"));
    EXPECT_EQ(menu.FirmwareButton()->text(), QString::fromUtf8("펌웨어 전송(&F)"));
    EXPECT_EQ(menu.BackButton()->text(), QString::fromUtf8("<< 뒤로(&B)"));
    EXPECT_EQ(menu.windowTitle(), "KorvaTool");
}

TEST_F(MenuDlgTest, LinkToAPtyIsLabelledAsASerialPort) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    korva::test::TestDir dir;
    const auto link = dir / "ttyKORVA";
    std::filesystem::create_symlink(::ptsname(master), link);
    settings.portName = link.string();
    CMenuDlg menu(settings, Hooks());
    ::close(master);
    EXPECT_EQ(ConnectionLabel(), "KORVA20 - " + link.string() +
                                     "\r\nBaud : 115200\r\nData : 8 bit\r\nNone Parity\r\nH/W Flow control\r\nOne Stop Bit");
}
