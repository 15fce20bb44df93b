#include "logo/ui/LogoSheet.h"

#include <QPushButton>
#include <QTabWidget>

#include "logo/ui/MyProperty.h"
#include "logo/ui/Page1Selection.h"
#include "logo/ui/SheetFixture.h"

using korva::logo::ui::CMyProperty;
using korva::logo::ui::RunLogoTool;

class LogoSheetTest : public korva::test::SheetTest {};

TEST_F(LogoSheetTest, PagesInOrderOpeningOnSetupWithItsButtons) {
    std::vector<QString> captions;
    int openedOn = -1;
    korva::test::WhenModal<CMyProperty>([&](CMyProperty* sheet) {
        for (int i = 0; i < sheet->Tabs()->count(); ++i) captions.push_back(sheet->Tabs()->tabText(i));
        openedOn = sheet->ActiveIndex();
        EXPECT_EQ(sheet->windowTitle(), "KorvaTool : Quelm Image Logo Setup");
        EXPECT_EQ(sheet->CloseButton()->text(), "Close");
        EXPECT_FALSE(sheet->CancelButton()->isEnabled());
        EXPECT_TRUE(sheet->ApplyButton()->isEnabled());
        EXPECT_TRUE(sheet->HelpButton()->isHidden());
        sheet->CloseButton()->click();
    });
    RunLogoTool(context, nullptr);
    EXPECT_EQ(captions, (std::vector<QString>{"Bitmap Selection", "Preview", "Upload", "Print Bitmap", "Setup"}));
    EXPECT_EQ(openedOn, 4);
}

TEST_F(LogoSheetTest, EachOpeningStartsFromTheProfile) {
    profile.WriteString("LOGO", "Logofile1", WriteBmp("a.bmp", 200, 100));
    profile.WriteString("LOGO", "Logofile2", WriteBmp("b.bmp", 8, 8));
    const std::string extra = WriteBmp("c.bmp", 16, 16);

    std::vector<size_t> seen;
    auto openAndEdit = [&](bool addOne) {
        korva::test::WhenModal<CMyProperty>([&, addOne](CMyProperty* sheet) {
            seen.push_back(list.entries.size());
            if (addOne) {
                WillPick({extra});
                sheet->SetActivePage(0);
                qobject_cast<korva::logo::ui::CPage1Selection*>(sheet->ActivePage())->OpenButton()->click();
                EXPECT_EQ(list.entries.size(), 3u);
            }
            sheet->CloseButton()->click();
        });
        RunLogoTool(context, nullptr);
    };
    openAndEdit(true);
    EXPECT_TRUE(list.entries.empty());  // emptied after the sheet closed
    openAndEdit(false);
    // The second opening shows the profile's two files, not the first one's edit.
    EXPECT_EQ(seen, (std::vector<size_t>{2, 2}));
    EXPECT_EQ(list.savedKeyCount, 2);
}
