// The logo sheet end to end: two bitmaps listed on the selection page,
// uploaded from the upload page through the real port object to korva-sim
// over a pty, which then holds exactly those two images.
#include <QJsonArray>
#include <QJsonObject>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "logo/LogoList.h"
#include "logo/ui/LogoSheet.h"
#include "logo/ui/MyProperty.h"
#include "logo/ui/Page1Selection.h"
#include "logo/ui/Page3Upload.h"
#include "logo/ui/Page4Print.h"
#include "logo/ui/Progress.h"
#include "logo/ui/SheetFixture.h"
#include "support/SimHarness.h"

using namespace korva::logo::ui;

class UploadToSimTest : public korva::test::SheetTest {
protected:
    /// Lists one.bmp (100 x 30) and two.bmp (512 x 8), both black, and
    /// uploads them from the upload page.
    void UploadTwo(CMyProperty& sheet) {
        sheet.SetActivePage(0);
        WillPick({WriteBmp("one.bmp", 100, 30), WriteBmp("two.bmp", 512, 8)});
        qobject_cast<CPage1Selection*>(sheet.ActivePage())->OpenButton()->click();
        ASSERT_EQ(list.entries.size(), 2u);
        sheet.SetActivePage(2);
        auto* upload = qobject_cast<CPage3Upload*>(sheet.ActivePage());
        messages.Answer(korva::base::MsgAnswer::Yes);
        upload->UploadButton()->click();
        EXPECT_EQ(upload->LastOutcome(), korva::logo::NvUpload::Outcome::Completed);
    }
};

TEST_F(UploadToSimTest, TwoLogosFromTheSheetReachThePrinter) {
    korva::test::SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial"})) << sim.Error().toStdString();
    SetPort(sim.SerialPath().toStdString(), 1);

    std::unique_ptr<CMyProperty> sheet(BuildLogoSheet(context, nullptr));
    sheet->show();
    UploadTwo(*sheet);

    const QJsonObject state =
        sim.WaitForState([](const QJsonObject& s) { return s["nv_images"].toArray().size() == 2; });
    QByteArray expected = korva::test::Bytes("1d 49 01 1d 28 45 02 00 06 02 1b 40 1c 71 02 0d 00 04 00");
    // 100 x 30 black, padded to 104 x 32: column by column, four bytes of
    // eight dots each (top dot in the high bit); the padding stays white.
    for (int x = 0; x < 104; ++x) expected += x < 100 ? korva::test::Bytes("ff ff ff fc") : QByteArray(4, '\0');
    expected += korva::test::Bytes("40 00 01 00");
    expected += QByteArray(512, '\xFF');
    EXPECT_EQ(korva::test::SimHarness::Received(state, 0).toHex(' ').toStdString(), expected.toHex(' ').toStdString());
    const QJsonArray images = state["nv_images"].toArray();
    ASSERT_EQ(images.size(), 2);
    EXPECT_EQ(images[0].toObject()["width"].toInt(), 104);
    EXPECT_EQ(images[0].toObject()["height"].toInt(), 32);
    EXPECT_EQ(images[1].toObject()["width"].toInt(), 512);
    EXPECT_EQ(images[1].toObject()["height"].toInt(), 8);
    // A complete upload writes the list to the profile in upload order.
    EXPECT_EQ(profile.GetString("LOGO", "Logofile1"), (dir / "one.bmp").string());
    EXPECT_EQ(profile.GetString("LOGO", "Logofile2"), (dir / "two.bmp").string());
    EXPECT_EQ(list.savedKeyCount, 2);
}

TEST_F(UploadToSimTest, StoredLogosArePrintedBackFromThePrintPage) {
    korva::test::SimHarness sim;
    ASSERT_TRUE(sim.WithPaper("pgm").Start({"--serial"})) << sim.Error().toStdString();
    SetPort(sim.SerialPath().toStdString(), 1);
    std::unique_ptr<CMyProperty> sheet(BuildLogoSheet(context, nullptr));
    sheet->show();
    UploadTwo(*sheet);
    sim.WaitForState([](const QJsonObject& s) { return s["nv_images"].toArray().size() == 2; });

    ASSERT_TRUE(sheet->SetActivePage(3));
    auto* print = qobject_cast<CPage4Print*>(sheet->ActivePage());
    ASSERT_NE(print, nullptr);
    print->SelectionButton()->click();
    print->SelectionEdit()->setText("2-1");
    print->SizeButton(1)->click();  // Double Width
    print->AddHeaderButton()->click();
    int maximum = -1;
    print->SetProgressHook([&](CProgress& progress) { maximum = progress.Maximum(); });
    print->PrintButton()->click();
    EXPECT_EQ(maximum, 2);

    const QJsonObject state =
        sim.WaitForState([](const QJsonObject& s) { return s["printed"].toArray().size() == 2; });
    EXPECT_EQ(korva::test::SimHarness::Received(state, 1),
              korva::test::Bytes("1d 49 01 1b 40") + "--- Logo 1 ---\n" + korva::test::Bytes("1c 70 01 01") +
                  "--- Logo 2 ---\n" + korva::test::Bytes("1c 70 02 01"));
    const QJsonArray printed = state["printed"].toArray();
    ASSERT_EQ(printed.size(), 2);
    EXPECT_EQ(printed[0].toObject(), (QJsonObject{{"logo", 1}, {"size", 1}, {"defined", true}}));
    EXPECT_EQ(printed[1].toObject(), (QJsonObject{{"logo", 2}, {"size", 1}, {"defined", true}}));
    EXPECT_FALSE(ports.IsOpen());
}
