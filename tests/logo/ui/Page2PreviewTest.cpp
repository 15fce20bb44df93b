#include "logo/ui/Page2Preview.h"

#include <QHeaderView>
#include <QRadioButton>

#include "logo/LogoList.h"
#include "logo/ui/LogoListCtrl.h"
#include "logo/ui/LogoSheet.h"
#include "logo/ui/MyProperty.h"
#include "logo/ui/SheetFixture.h"

using namespace korva::logo::ui;

class Page2PreviewTest : public korva::test::SheetTest {
protected:
    void SetUp() override {
        profile.WriteString("LOGO", "Logofile1", WriteBmp("wide.bmp", 300, 100));
        profile.WriteString("LOGO", "Logofile2", WriteBmp("tall.bmp", 100, 300));
        MakeListEditor(context)->LoadFromProfile(profile);
        sheet.reset(BuildLogoSheet(context, nullptr));
        sheet->show();
        ASSERT_TRUE(sheet->SetActivePage(1));
        page = qobject_cast<CPage2Preview*>(sheet->ActivePage());
        ASSERT_NE(page, nullptr);
        // A 200 x 150 preview area inside the frame.
        const int frame = page->Frame()->frameWidth();
        page->Frame()->setFixedSize(200 + 2 * frame, 150 + 2 * frame);
    }
    std::pair<int, int> Drawn() const {
        const PreviewSize size = page->Frame()->DrawnSize();
        return {size.width, size.height};
    }

    std::unique_ptr<CMyProperty> sheet;
    CPage2Preview* page = nullptr;
};

TEST_F(Page2PreviewTest, SelectedBitmapIsDrawnAtTheChosenQuality) {
    EXPECT_EQ(Drawn(), std::make_pair(0, 0));  // nothing selected
    page->List()->SelectRow(0);
    EXPECT_EQ(list.selectedRow, 0);
    EXPECT_EQ(Drawn(), std::make_pair(100, 33));
    page->QualityButton(PreviewQuality::Quadraple)->click();
    EXPECT_EQ(Drawn(), std::make_pair(200, 66));
    page->QualityButton(PreviewQuality::DoubleHeight)->click();
    EXPECT_EQ(Drawn(), std::make_pair(100, 66));
    page->QualityButton(PreviewQuality::DoubleWidth)->click();
    EXPECT_EQ(Drawn(), std::make_pair(200, 33));

    page->QualityButton(PreviewQuality::Normal)->click();
    page->List()->SelectRow(1);
    EXPECT_EQ(Drawn(), std::make_pair(25, 75));
}

TEST_F(Page2PreviewTest, RememberedRowSurvivesAPageSwitchAndASortForgetsIt) {
    page->List()->SelectRow(1);
    sheet->SetActivePage(2);
    sheet->SetActivePage(1);
    EXPECT_EQ(list.selectedRow, 1);
    EXPECT_EQ(page->List()->SelectedRows(), std::vector<int>{1});
    EXPECT_EQ(Drawn(), std::make_pair(25, 75));

    page->List()->header()->sectionClicked(CLogoListCtrl::kColName);
    EXPECT_EQ(list.selectedRow, -1);
    EXPECT_EQ(Drawn(), std::make_pair(0, 0));
}

TEST_F(Page2PreviewTest, AFileGoneSinceListingDrawsNothing) {
    std::filesystem::remove(dir / "wide.bmp");
    page->List()->SelectRow(0);
    EXPECT_EQ(Drawn(), std::make_pair(0, 0));
    EXPECT_TRUE(messages.Texts().empty());
}
