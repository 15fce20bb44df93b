#include "logo/ui/Page1Selection.h"

#include <QImage>
#include <QLineEdit>
#include <QPushButton>

#include "logo/LogoFile.h"
#include "logo/LogoList.h"
#include "logo/LogoListEditor.h"
#include "logo/LogoListServices.h"
#include "logo/UploadConverter.h"
#include "logo/ui/LogoListCtrl.h"
#include "logo/ui/LogoSheet.h"
#include "logo/ui/MyProperty.h"
#include "logo/ui/SheetFixture.h"

using namespace korva::logo::ui;
using korva::base::MsgAnswer;

class Page1SelectionTest : public korva::test::SheetTest {
protected:
    void SetUp() override {
        sheet.reset(BuildLogoSheet(context, nullptr));
        sheet->show();  // opens on Setup, which publishes its first values
        ASSERT_TRUE(sheet->SetActivePage(0));
        page = qobject_cast<CPage1Selection*>(sheet->ActivePage());
        ASSERT_NE(page, nullptr);
    }
    void TearDown() override { sheet.reset(); }

    std::vector<std::string> Column(int column) const {
        std::vector<std::string> texts;
        for (int row = 0; row < page->List()->RowCount(); ++row)
            texts.push_back(page->List()->TextAt(row, column).toStdString());
        return texts;
    }
    /// The centre flag of each entry, in the list's stored order.
    std::vector<bool> Flags() const {
        std::vector<bool> flags;
        for (const auto& entry : list.entries) flags.push_back(entry.centerAlign);
        return flags;
    }
    void AddThree() {
        WillPick({WriteBmp("zeta.bmp", 200, 100), WriteBmp("alpha.bmp", 8, 8), WriteBmp("mid.bmp", 16, 16)});
        page->OpenButton()->click();
    }

    std::unique_ptr<CMyProperty> sheet;
    CPage1Selection* page = nullptr;
};

TEST_F(Page1SelectionTest, OpenFileAddsRowsAndShowsTheTexts) {
    EXPECT_EQ(page->CountEdit()->text(), "  0 / 255");
    EXPECT_EQ(page->SizeEdit()->text(), "  0 / 384 KByte");
    WillPick({WriteBmp("a.bmp", 200, 100), WriteBmp("b.bmp", 104, 32)});
    page->OpenButton()->click();
    EXPECT_EQ(Column(CLogoListCtrl::kColNumber), (std::vector<std::string>{"  1", "  2"}));
    EXPECT_EQ(Column(CLogoListCtrl::kColName), (std::vector<std::string>{"a.bmp", "b.bmp"}));
    EXPECT_EQ(Column(CLogoListCtrl::kColSize),
              (std::vector<std::string>{"           2600", "            416"}));
    EXPECT_EQ(page->CountEdit()->text(), "  2 / 255");
    EXPECT_EQ(page->SizeEdit()->text(), "  3 / 384 KByte");  // 3016 bytes, rounded up
    EXPECT_TRUE(messages.Texts().empty());

    // The next dialog starts at the file picked last; picking nothing adds nothing.
    WillPick({});
    page->OpenButton()->click();
    EXPECT_EQ(pickerStarts.back(), (dir / "b.bmp").string());
    EXPECT_EQ(page->List()->RowCount(), 2);

    // Pictures of the formats Qt reads are offered beside bitmaps and listed like them.
    const QStringList filters = LogoFileFilters();
    ASSERT_EQ(filters.size(), 2);
    for (const char* pattern : {"*.bmp", "*.png", "*.gif", "*.jpg", "*.jpeg", "*.tif", "*.webp"})
        EXPECT_TRUE(filters[0].startsWith("Image files (") && filters[0].contains(pattern)) << pattern;
    EXPECT_EQ(filters[1], "Bitmap files (*.bmp)");
    EXPECT_EQ(pickerFilters.back(), filters.join(";;"));  // what the file dialog was given
    // TGA is offered only when a TGA as common tools write it (2 x 1 pixels,
    // rows from the bottom, a TGA 2.0 footer) reads.
    std::string tga("\0\0\2\0\0\0\0\0\0\0\0\0\2\0\1\0\x18\0"
                    "\x10\x20\x30\x40\x50\x60"
                    "\0\0\0\0\0\0\0\0TRUEVISION-XFILE.\0",
                    18 + 6 + 26);
    std::ofstream(dir / "pillow.tga", std::ios::binary) << tga;
    korva::logo::CLogoBitmap tgaBitmap;
    korva::logo::BitmapError tgaError;
    const bool tgaReads = korva::logo::LoadLogoFile(tgaBitmap, (dir / "pillow.tga").string(), tgaError);
    EXPECT_EQ(filters[0].contains("*.tga"), tgaReads) << tgaError.reason;
    QImage picture(120, 20, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    ASSERT_TRUE(picture.save(QString::fromStdString((dir / "c.png").string())));
    WillPick({(dir / "c.png").string()});
    page->OpenButton()->click();
    EXPECT_EQ(Column(CLogoListCtrl::kColName), (std::vector<std::string>{"a.bmp", "b.bmp", "c.png"}));
    EXPECT_EQ(page->List()->TextAt(2, CLogoListCtrl::kColSize), "            360");  // 120 x 24 dots
    EXPECT_TRUE(messages.Texts().empty());
}

// The files picked after the refused one are not added, and the same box says so.
TEST_F(Page1SelectionTest, ARefusedFileStopsThePickAndNamesTheReason) {
    const std::string bad = (dir / "broken.bmp").string();
    std::ofstream(bad) << "not a bitmap";
    const std::string later = WriteBmp("c.bmp", 8, 8);
    WillPick({WriteBmp("a.bmp", 8, 8), bad, later});
    page->OpenButton()->click();
    EXPECT_EQ(Column(CLogoListCtrl::kColName), std::vector<std::string>{"a.bmp"});
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Bitmap files that was defined with Log file is incorrect.\r\n\r\n" +
                                                         bad + ": the file is neither a bitmap nor a picture format "
                                                               "this system reads\r\n" +
                                                         later + ": not added: adding stops at the first refused "
                                                                 "file; pick it again"});
}

// After the first refusal the table has no text of its own: a later refusal
// still gets its box, and refusals of one action share one box.
TEST_F(Page1SelectionTest, EveryRefusedPictureIsToldWithItsReason) {
    const std::string bad = (dir / "broken.bmp").string();
    std::ofstream(bad) << "not a bitmap";
    const std::string worse = (dir / "worse.bmp").string();
    std::ofstream(worse) << "BM but nothing else";
    const std::string why = ": the file is neither a bitmap nor a picture format this system reads";
    WillPick({bad});
    page->OpenButton()->click();
    WillPick({worse});
    page->OpenButton()->click();
    EXPECT_EQ(messages.Texts(),
              (std::vector<std::string>{"Bitmap files that was defined with Log file is incorrect.\r\n\r\n" + bad + why,
                                        "A picture was not added to the list:\r\n\r\n" + worse + ": " +
                                            korva::logo::DescribeBitmapError(korva::logo::ProbeLogoFileInfo(worse).error)}));

    // Two refused files of the profile: one box, each file on its line.
    messages.Clear();
    profile.WriteString("LOGO", "Logofile1", bad);
    profile.WriteString("LOGO", "Logofile2", WriteBmp("fine.bmp", 8, 8));
    profile.WriteString("LOGO", "Logofile3", worse);
    messages.Answer(MsgAnswer::Yes);
    page->ResetButton()->click();
    ASSERT_EQ(messages.Texts().size(), 2u);  // the question, then the one box
    EXPECT_EQ(messages.Texts()[1], "Bitmap files that was defined with Log file is incorrect.\r\n\r\n" + bad + why +
                                       "\r\n" + worse + ": " + korva::logo::DescribeBitmapError(korva::logo::ProbeLogoFileInfo(worse).error));
    EXPECT_EQ(Column(CLogoListCtrl::kColName), std::vector<std::string>{"fine.bmp"});
}

TEST_F(Page1SelectionTest, SortingAndPageSwitchesKeepEachFlagWithItsLogo) {
    AddThree();
    page->List()->SetCentreChecked(1, true);  // alpha.bmp, logo 2
    EXPECT_EQ(Flags(), (std::vector<bool>{false, true, false}));

    // Sort by name: alpha moves to the top, its box with it.
    page->List()->ClickColumn(CLogoListCtrl::kColName);
    page->List()->ClickColumn(CLogoListCtrl::kColName);  // ascending
    page->List()->SortRows(page->List()->SortColumn(), page->List()->SortAscending());
    ASSERT_EQ(page->List()->TextAt(0, CLogoListCtrl::kColName), "alpha.bmp");
    EXPECT_TRUE(page->List()->IsCentreChecked(0));
    EXPECT_FALSE(page->List()->IsCentreChecked(1));
    page->List()->SetCentreChecked(2, true);  // zeta.bmp, logo 1, in its sorted row
    EXPECT_EQ(Flags(), (std::vector<bool>{true, true, false}));

    sheet->SetActivePage(1);
    sheet->SetActivePage(0);
    EXPECT_EQ(Column(CLogoListCtrl::kColName), (std::vector<std::string>{"zeta.bmp", "alpha.bmp", "mid.bmp"}));
    EXPECT_TRUE(page->List()->IsCentreChecked(0));
    EXPECT_TRUE(page->List()->IsCentreChecked(1));
    EXPECT_FALSE(page->List()->IsCentreChecked(2));
}

TEST_F(Page1SelectionTest, TicksLastTheWholeRunByRowAcrossResetAndReopen) {
    AddThree();
    page->List()->SetCentreChecked(1, true);
    ASSERT_TRUE(list.SaveToProfile(profile));  // as a finished upload leaves it

    messages.Answer(MsgAnswer::Yes);
    page->ResetButton()->click();
    ASSERT_EQ(page->List()->RowCount(), 3);
    EXPECT_EQ(Flags(), (std::vector<bool>{false, true, false}));
    EXPECT_TRUE(page->List()->IsCentreChecked(1));

    // The tool closed and opened again: the list is read from the profile anew.
    sheet.reset();
    LoadListFromProfile();
    SetUp();
    EXPECT_EQ(Flags(), (std::vector<bool>{false, true, false}));
    EXPECT_FALSE(page->List()->IsCentreChecked(0));
    EXPECT_TRUE(page->List()->IsCentreChecked(1));
    EXPECT_TRUE(korva::logo::UploadEntriesFrom(list).at(1).center);
}

TEST_F(Page1SelectionTest, RemoveAsksAndClosesTheGapWithTheFlagsFollowing) {
    AddThree();
    page->List()->SetCentreChecked(0, true);
    page->List()->SetCentreChecked(2, true);

    page->RemoveButton()->click();  // nothing selected
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"BMP file does not selected."});
    EXPECT_EQ(messages.Shown_().back().style, korva::base::MsgStyle::OkExclamation);
    EXPECT_EQ(messages.Shown_().back().caption, "KorvaTool");

    page->List()->SelectRow(0);
    messages.Clear();
    messages.Answer(MsgAnswer::No);
    page->RemoveButton()->click();
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Remove selected file?"});
    EXPECT_EQ(messages.Shown_().back().caption, "Image downloader");
    EXPECT_EQ(page->List()->RowCount(), 3);

    messages.Answer(MsgAnswer::Yes);
    page->RemoveButton()->click();
    EXPECT_EQ(Column(CLogoListCtrl::kColName), (std::vector<std::string>{"alpha.bmp", "mid.bmp"}));
    EXPECT_FALSE(page->List()->IsCentreChecked(0));
    EXPECT_TRUE(page->List()->IsCentreChecked(1));
    EXPECT_EQ(page->CountEdit()->text(), "  2 / 255");
    EXPECT_EQ(list.selectedRow, -1);

    // The freed number goes to the next file.
    WillPick({WriteBmp("new.bmp", 8, 8)});
    page->OpenButton()->click();
    EXPECT_EQ(page->List()->TextAt(2, CLogoListCtrl::kColNumber), "  1");
}

TEST_F(Page1SelectionTest, ResetReadsTheProfileAgain) {
    profile.WriteString("LOGO", "Logofile1", WriteBmp("kept.bmp", 8, 8));
    AddThree();  // numbers 1..3 on top of an empty list
    messages.Answer(MsgAnswer::No);
    page->ResetButton()->click();
    EXPECT_EQ(page->List()->RowCount(), 3);

    messages.Answer(MsgAnswer::Yes);
    page->ResetButton()->click();
    EXPECT_EQ(messages.Texts().back(), "Reseting the file. \nContinue it?");
    EXPECT_EQ(Column(CLogoListCtrl::kColName), std::vector<std::string>{"kept.bmp"});
    EXPECT_EQ(page->CountEdit()->text(), "  1 / 255");
    EXPECT_EQ(page->SizeEdit()->text(), "  1 / 384 KByte");

    profile.DeleteKey("LOGO", "Logofile1");
    page->ResetButton()->click();  // answered No: the queue is empty
    messages.Answer(MsgAnswer::Yes);
    page->ResetButton()->click();
    EXPECT_EQ(page->List()->RowCount(), 0);
    EXPECT_EQ(page->CountEdit()->text(), "  0 / 255");
    EXPECT_EQ(page->SizeEdit()->text(), "  0 / 384 KByte");
    EXPECT_EQ(list.totalBytes, 0);
}
