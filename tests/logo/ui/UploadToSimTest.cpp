// The logo sheet end to end: two bitmaps listed on the selection page,
// uploaded from the upload page through the real port object to korva-sim
// over a pty, which then holds exactly those two images.
#include <QElapsedTimer>
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

#include <QTimer>
#include <cstdlib>
#include <fstream>
#include <iterator>

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

    const QJsonObject state = sim.WaitForState([](const QJsonObject& s) {
        return s["nv_images"].toArray().size() == 2 &&
               korva::test::SimHarness::Received(s, 0).endsWith(korva::test::Bytes("1d 49 01"));
    });
    QByteArray expected = korva::test::Bytes("1d 49 01 1d 28 45 02 00 06 02 1b 40 1c 71 02 0d 00 04 00");
    // 100 x 30 black, padded to 104 x 32: column by column, four bytes of
    // eight dots each (top dot in the high bit); the padding stays white.
    for (int x = 0; x < 104; ++x) expected += x < 100 ? korva::test::Bytes("ff ff ff fc") : QByteArray(4, '\0');
    expected += korva::test::Bytes("40 00 01 00");
    expected += QByteArray(512, '\xFF');
    expected += korva::test::Bytes("1d 49 01");  // the end check the printer answered
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
    // Engines close on every way out; a close of a closed port is no fault to log.
    log.Close();
    std::ifstream in(dir / "error.log", std::ios::binary);
    const std::string logText{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(logText.find("Invalid Handle"), std::string::npos) << logText;
    EXPECT_EQ(logText.find("\r\n\r\n"), std::string::npos) << logText;
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

    // Ends with the printer-ID request the printer answered.
    const QByteArray stream = korva::test::Bytes("1d 49 01 1b 40") + "--- Logo 1 ---\n" +
                              korva::test::Bytes("1c 70 01 01") + "--- Logo 2 ---\n" +
                              korva::test::Bytes("1c 70 02 01 1d 49 01");
    const QJsonObject state = sim.WaitForState([&](const QJsonObject& s) {
        return korva::test::SimHarness::Received(s, 1).size() >= stream.size();
    });
    EXPECT_EQ(korva::test::SimHarness::Received(state, 1), stream);
    const QJsonArray printed = state["printed"].toArray();
    ASSERT_EQ(printed.size(), 2);
    EXPECT_EQ(printed[0].toObject(), (QJsonObject{{"logo", 1}, {"size", 1}, {"defined", true}}));
    EXPECT_EQ(printed[1].toObject(), (QJsonObject{{"logo", 2}, {"size", 1}, {"defined", true}}));
    EXPECT_FALSE(ports.IsOpen());
}

// A printer that stops reading holds the upload's write for up to 100 ms a
// byte. Cancel says at once that it is cancelling, the held write gives way
// within a second, and the message says what the printer may hold.
TEST_F(UploadToSimTest, CancelOnAStalledLineEndsWithinASecond) {
    korva::test::SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial", "--stall-after-bytes", "3000"})) << sim.Error().toStdString();
    SetPort(sim.SerialPath().toStdString(), 1);
    std::unique_ptr<CMyProperty> sheet(BuildLogoSheet(context, nullptr));
    sheet->show();
    // 4 x 12,800 bytes: far more than the pty holds once the printer stops.
    sheet->SetActivePage(0);
    WillPick({WriteBmp("a.bmp", 512, 200), WriteBmp("b.bmp", 512, 200), WriteBmp("c.bmp", 512, 200),
              WriteBmp("d.bmp", 512, 200)});
    qobject_cast<CPage1Selection*>(sheet->ActivePage())->OpenButton()->click();
    ASSERT_EQ(list.entries.size(), 4u);
    sheet->SetActivePage(2);
    auto* upload = qobject_cast<CPage3Upload*>(sheet->ActivePage());
    ASSERT_NE(upload, nullptr);

    QElapsedTimer sinceCancel;
    qint64 cancelledAt = -1, boxAt = -1;
    QString statusAfterCancel;
    QTimer watch;
    upload->SetProgressHook([&](CProgress& progress) {
        // A second after the printer stopped reading: the write is held by now.
        QObject::connect(&watch, &QTimer::timeout, &progress, [&] {
            if (korva::test::SimHarness::Received(sim.State(), 0).size() < 3000) return;
            watch.stop();
            QTimer::singleShot(1000, &progress, [&] {
                sinceCancel.start();
                cancelledAt = 0;
                progress.CancelButton()->click();
                statusAfterCancel = progress.ShownStatus();
            });
        });
        watch.start(50);
    });
    messages.OnShown([&] {
        if (cancelledAt >= 0 && boxAt < 0) boxAt = sinceCancel.elapsed();
    });
    messages.Answer(korva::base::MsgAnswer::Yes);
    upload->UploadButton()->click();

    ASSERT_EQ(cancelledAt, 0);
    const qint64 ended = sinceCancel.elapsed();
    EXPECT_EQ(statusAfterCancel, "Cancelling...");
    EXPECT_EQ(upload->LastOutcome(), korva::logo::NvUpload::Outcome::Cancelled);
    EXPECT_GE(boxAt, 0);
    EXPECT_LT(ended, 3000);  // one second and a slow machine's margin
    ASSERT_FALSE(messages.Texts().empty());
    // How many logos began depends on how much the pty buffers.
    const std::string text = messages.Texts().back();
    EXPECT_EQ(text.rfind("Cancelled while the printer was not taking data: the printer may hold logo", 0), 0u)
        << text;
    EXPECT_NE(text.find(" of this upload (the last one cut short) and may still wait for the rest of its "
                        "definition; its earlier logos are erased."),
              std::string::npos)
        << text;
    EXPECT_FALSE(ports.IsOpen());
}

// At 9600 baud a pseudo-terminal hands the writer room only once a kilobyte
// has gone: a steady printer leaves the write without progress for a second
// at a time. Cancel then lets the logo under way finish, closes the
// definition, and says the printer was taking data.
TEST_F(UploadToSimTest, CancelOnASteadySlowLineFinishesTheLogoUnderWay) {
    korva::test::SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial", "--line-rate", "tty"})) << sim.Error().toStdString();
    SetPort(sim.SerialPath().toStdString(), 1, 9600);
    std::unique_ptr<CMyProperty> sheet(BuildLogoSheet(context, nullptr));
    sheet->show();
    // 12 x 2,560 bytes: more than the pty holds, so the writer waits on the printer.
    constexpr int kLogos = 12, kLogoBytes = 2560;
    sheet->SetActivePage(0);
    std::vector<std::string> files;
    for (int i = 0; i < kLogos; ++i) files.push_back(WriteBmp("l" + std::to_string(i) + ".bmp", 512, 40));
    WillPick(files);
    qobject_cast<CPage1Selection*>(sheet->ActivePage())->OpenButton()->click();
    ASSERT_EQ(list.entries.size(), size_t{kLogos});
    sheet->SetActivePage(2);
    auto* upload = qobject_cast<CPage3Upload*>(sheet->ActivePage());
    ASSERT_NE(upload, nullptr);

    bool cancelled = false;
    QTimer watch;
    upload->SetProgressHook([&](CProgress& progress) {
        QObject::connect(&watch, &QTimer::timeout, &progress, [&] {
            if (korva::test::SimHarness::Received(sim.State(), 0).size() < 1500) return;
            watch.stop();
            cancelled = true;
            progress.CancelButton()->click();
        });
        watch.start(50);
    });
    messages.Answer(korva::base::MsgAnswer::Yes);
    upload->UploadButton()->click();

    ASSERT_TRUE(cancelled);
    EXPECT_EQ(upload->LastOutcome(), korva::logo::NvUpload::Outcome::Cancelled);
    ASSERT_FALSE(messages.Texts().empty());
    const std::string text = messages.Texts().back();
    EXPECT_EQ(text.rfind("Cancelled while the printer was taking data: the printer holds logo", 0), 0u) << text;
    EXPECT_NE(text.find("The logo under way was finished first."), std::string::npos) << text;
    // What the printer was sent: whole logos 1..k and an empty header for
    // each one not begun. A pseudo-terminal drops what its reader had not
    // yet taken when the port closes, so the simulator holds a prefix of it.
    const std::string held = "the printer holds logos 1..";
    const size_t at = text.find(held);
    ASSERT_NE(at, std::string::npos) << text;
    const int whole = std::atoi(text.c_str() + at + held.size());
    ASSERT_GE(whole, 1);
    ASSERT_LT(whole, kLogos) << text;
    QByteArray sent = korva::test::Bytes("1d 49 01 1d 28 45 02 00 06 02 1b 40 1c 71 0c");
    for (int i = 0; i < whole; ++i) sent += korva::test::Bytes("40 00 05 00") + QByteArray(kLogoBytes, '\xFF');
    for (int i = whole; i < kLogos; ++i) sent += korva::test::Bytes("00 00 00 00");
    const QByteArray received = korva::test::SimHarness::Received(sim.State(), 0);
    EXPECT_GE(received.size(), 1500);
    EXPECT_TRUE(sent.startsWith(received)) << "received " << received.size() << " bytes";
    EXPECT_FALSE(ports.IsOpen());
}

// At 9600 baud the pty holds kilobytes the printer has not read when the
// last write returns: the end wait runs while the line still carries them,
// so a printer that reads every byte is confirmed.
TEST_F(UploadToSimTest, FiveLogosAt9600BaudAreConfirmed) {
    korva::test::SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial", "--line-rate", "tty"})) << sim.Error().toStdString();
    SetPort(sim.SerialPath().toStdString(), 1, 9600);
    std::unique_ptr<CMyProperty> sheet(BuildLogoSheet(context, nullptr));
    sheet->show();
    sheet->SetActivePage(0);
    std::vector<std::string> files;
    for (int i = 0; i < 5; ++i) files.push_back(WriteBmp("s" + std::to_string(i) + ".bmp", 512, 80));
    WillPick(files);
    qobject_cast<CPage1Selection*>(sheet->ActivePage())->OpenButton()->click();
    ASSERT_EQ(list.entries.size(), 5u);
    sheet->SetActivePage(2);
    auto* upload = qobject_cast<CPage3Upload*>(sheet->ActivePage());
    ASSERT_NE(upload, nullptr);
    messages.Answer(korva::base::MsgAnswer::Yes);
    upload->UploadButton()->click();

    EXPECT_EQ(upload->LastOutcome(), korva::logo::NvUpload::Outcome::Completed);
    for (const std::string& text : messages.Texts())
        EXPECT_EQ(text.find("not confirm"), std::string::npos) << text;
    const QJsonObject state =
        sim.WaitForState([](const QJsonObject& s) { return s["nv_images"].toArray().size() == 5; });
    EXPECT_EQ(state["nv_images"].toArray().size(), 5);
}
