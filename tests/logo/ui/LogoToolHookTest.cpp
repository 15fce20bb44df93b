#include "logo/ui/LogoToolHook.h"

#include <QPushButton>
#include <QTabWidget>

#include "profile/AppProfile.h"
#include "profile/Globals.h"
#include "app/ui/MenuDlg.h"
#include "logo/LogoList.h"
#include "logo/ui/MyProperty.h"
#include "logo/ui/SheetFixture.h"

using namespace korva;

class LogoToolHookTest : public test::SheetTest {
protected:
    void SetUp() override { previous = profile::SetAppProfile(&profile); }
    void TearDown() override { profile::SetAppProfile(previous); }
    base::Profile* previous = nullptr;
};

TEST_F(LogoToolHookTest, MenuLogoDownloadOpensTheSheetOnTheProfilesList) {
    // Naming the hook keeps its registration in this test program.
    ASSERT_EQ(korva::ui::FindTool(korva::ui::Tool::Logo).target_type(),
              korva::ui::ToolLauncher(&logo::ui::RunLogoDownload).target_type());
    profile.WriteString("LOGO", "Logofile1", WriteBmp("a.bmp", 16, 16));

    port::ConnectionSettings settings;
    settings.portName = "COM1";
    settings.deviceType = 1;
    profile::Ports().SetConnection(settings);
    int currentTool = 0;
    app::ui::CMenuDlg menu(settings, {[&](int tool) { currentTool = tool; }, [] {}});

    size_t listedWhileOpen = 0;
    int openedOn = -1;
    test::WhenModal<logo::ui::CMyProperty>([&](logo::ui::CMyProperty* sheet) {
        listedWhileOpen = logo::ui::ProgramLogoList().entries.size();
        openedOn = sheet->Tabs()->currentIndex();
        EXPECT_EQ(currentTool, 0);  // marked only after the sheet has closed
        sheet->CloseButton()->click();
    });
    menu.LogoButton()->click();
    EXPECT_EQ(listedWhileOpen, 1u);
    EXPECT_EQ(openedOn, 4);
    EXPECT_EQ(currentTool, port::kToolLogo);
    EXPECT_TRUE(logo::ui::ProgramLogoList().entries.empty());
}
