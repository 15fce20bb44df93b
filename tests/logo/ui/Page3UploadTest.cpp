#include "logo/ui/Page3Upload.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>

#include "logo/LogoList.h"
#include "logo/ui/LogoSheet.h"
#include "logo/ui/MyProperty.h"
#include "logo/ui/Page5Setup.h"
#include "logo/ui/PrintToFileDlg.h"
#include "logo/ui/Progress.h"
#include "logo/ui/SheetFixture.h"
#include "support/PtyPair.h"
#include "support/RecordingStream.h"

using namespace korva::logo::ui;
using korva::base::MsgAnswer;

namespace {
/// Two all-black logos of 104 x 32 and 512 x 8 dots: every raster byte is FF.
std::vector<uint8_t> TwoLogoStream() {
    std::vector<uint8_t> stream = {0x1C, 0x71, 0x02, 0x0D, 0x00, 0x04, 0x00};  // FS q 2, x=13 y=4
    stream.insert(stream.end(), 416, 0xFF);
    for (uint8_t b : {0x40, 0x00, 0x01, 0x00}) stream.push_back(b);  // x=64 y=1
    stream.insert(stream.end(), 512, 0xFF);
    return stream;
}
}  // namespace

class Page3UploadTest : public korva::test::SheetTest {
protected:
    void SetUp() override {
        profile.WriteString("LOGO", "Logofile1", WriteBmp("first.bmp", 104, 32));
        profile.WriteString("LOGO", "Logofile2", WriteBmp("second.bmp", 512, 8));
        LoadListFromProfile();
        ports.SetFileNameChooser([] { return AskOutputFileName(); });
        sheet.reset(BuildLogoSheet(context, nullptr));
        sheet->show();
        setup = qobject_cast<CPage5Setup*>(sheet->ActivePage());
    }
    CPage3Upload* ShowUploadPage() {
        EXPECT_TRUE(sheet->SetActivePage(2));
        return qobject_cast<CPage3Upload*>(sheet->ActivePage());
    }
    /// Answers the file name question with `name` the next time it is asked.
    void WillName(const std::string& name) {
        korva::test::WhenModal<PrintToFileDlg>([name](PrintToFileDlg* dialog) {
            dialog->NameEdit()->setText(QString::fromStdString(name));
            dialog->OkButton()->click();
        });
    }

    std::unique_ptr<CMyProperty> sheet;
    CPage5Setup* setup = nullptr;
};

TEST_F(Page3UploadTest, UploadToFileWritesTheStreamAndASecondUploadAsksAgain) {
    setup->PrintToFileBox()->click();
    CPage3Upload* page = ShowUploadPage();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->PrinterNameEdit()->text(), "To File");
    EXPECT_EQ(page->PortNameEdit()->text(), "To File");

    QString title;
    int range = -1;
    page->SetProgressHook([&](CProgress& progress) {
        title = progress.windowTitle();
        range = progress.Maximum();
    });
    const std::string first = (dir / "out.prn").string();
    messages.Answer(MsgAnswer::Yes);
    WillName(first);
    page->UploadButton()->click();
    EXPECT_EQ(page->LastOutcome(), korva::logo::NvUpload::Outcome::Completed);
    EXPECT_EQ(ReadFile(first), TwoLogoStream());
    EXPECT_EQ(title, "Uploading");
    EXPECT_EQ(range, 9);  // 928 bytes / 100
    EXPECT_EQ(messages.Texts(),
              (std::vector<std::string>{"All bit image files are written in the NV Graphics memory of the printer.",
                                        "Complete the NV bit image definition.\r\nPlease wait some paper feed.\r\n"
              "Sent, not confirmed: written to a file, no printer has read it yet."}));
    EXPECT_EQ(ports.m_PortName, "FILE");

    // The port name is still "FILE": the next upload asks for a name again.
    const std::string second = (dir / "again.prn").string();
    messages.Answer(MsgAnswer::Yes);
    WillName(second);
    page->UploadButton()->click();
    EXPECT_EQ(ReadFile(second), TwoLogoStream());
    EXPECT_EQ(profile.GetString("LOGO", "Logofile2"), (dir / "second.bmp").string());
}

TEST_F(Page3UploadTest, CompletionIsReportedAfterTheUploadingWindowHasClosed) {
    setup->PrintToFileBox()->click();
    CPage3Upload* page = ShowUploadPage();
    CProgress* window = nullptr;
    page->SetProgressHook([&](CProgress& progress) { window = &progress; });
    std::vector<bool> windowUp;  // for each message box: was "Uploading" still shown?
    messages.OnShown([&] { windowUp.push_back(window != nullptr && window->isVisible()); });
    messages.Answer(MsgAnswer::Yes);
    WillName((dir / "out.prn").string());
    page->UploadButton()->click();
    EXPECT_EQ(page->LastOutcome(), korva::logo::NvUpload::Outcome::Completed);
    ASSERT_EQ(messages.Texts().size(), 2u);
    EXPECT_EQ(messages.Texts()[1], "Complete the NV bit image definition.\r\nPlease wait some paper feed.\r\n"
              "Sent, not confirmed: written to a file, no printer has read it yet.");
    EXPECT_EQ(windowUp, (std::vector<bool>{false, false}));
    EXPECT_EQ(ReadFile((dir / "out.prn").string()), TwoLogoStream());
}

TEST_F(Page3UploadTest, ANameQuestionLeftWithEscapeWritesTempPrnInTheWorkingDirectory) {
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(dir.path().string())));
    setup->PrintToFileBox()->click();
    CPage3Upload* page = ShowUploadPage();
    messages.Answer(MsgAnswer::Yes);
    korva::test::WhenModal<PrintToFileDlg>([](PrintToFileDlg* dialog) {
        dialog->NameEdit()->setText("ignored.prn");
        korva::test::KeyClick(dialog, Qt::Key_Escape);
    });
    page->UploadButton()->click();
    QDir::setCurrent(previous);
    EXPECT_EQ(page->LastOutcome(), korva::logo::NvUpload::Outcome::Completed);
    EXPECT_EQ(ReadFile((dir / "temp.prn").string()), TwoLogoStream());
    EXPECT_FALSE(std::filesystem::exists(dir / "ignored.prn"));
    EXPECT_EQ(ports.m_PortName, "FILE");
}

TEST_F(Page3UploadTest, PrinterDetailsAndAnUnansweredQuestionSendNothing) {
    SetPort("LPT1", 2);
    setup->MaxAreaEdit()->setText(QStringLiteral("384"));  // narrower than second.bmp
    CPage3Upload* page = ShowUploadPage();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->PrinterNameEdit()->text(), "KORVA10");
    EXPECT_EQ(page->PortNameEdit()->text(), "LPT1");
    messages.Answer(MsgAnswer::No);
    page->UploadButton()->click();
    EXPECT_EQ(page->LastOutcome(), korva::logo::NvUpload::Outcome::Declined);
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{"All bit image files are written in the NV Graphics memory of the printer."
                                       "\r\n\r\nWider than the printable width of 384 dots, the printer cuts:"
                                       "\r\n  logo 2: second.bmp, 512 dots"});
    EXPECT_FALSE(ports.IsOpen());

    // A link to a pty (a udev alias, the demo's ttyKORVA) is a printer port, not "To File".
    korva::test::PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    const std::string link = (dir / "ttyKORVA").string();
    std::filesystem::create_symlink(pty.SlavePath(), link);
    SetPort(link, 1);
    sheet->SetActivePage(0);
    page = ShowUploadPage();
    EXPECT_EQ(page->PrinterNameEdit()->text(), "KORVA20");
    EXPECT_EQ(page->PortNameEdit()->FullText().toStdString(), link);
}

TEST_F(Page3UploadTest, CancelInTheUploadingWindowCompletesWithEmptyHeaders) {
    korva::test::RecordingStream printer(korva::port::PortKind::Ethernet, clock);
    context.ethernet = &printer;
    SetPort("ETHERNET_II", 1);
    CPage3Upload* page = ShowUploadPage();
    // Cancel as soon as the window is up, during the erase wait: no image
    // starts, and both announced images are completed empty.
    bool busyWhileSending = false;
    bool stayedOpen = false;
    page->SetProgressHook([&](CProgress& progress) {
        // The sheet cannot be closed or switched while the printer is written to.
        busyWhileSending = sheet->IsBusy() && !sheet->Tabs()->tabBar()->isEnabled();
        sheet->reject();
        stayedOpen = sheet->isVisible();
        progress.CancelButton()->click();
    });
    messages.Answer(MsgAnswer::Yes);
    QApplication::setActiveWindow(sheet.get());
    page->UploadButton()->setFocus();
    page->UploadButton()->click();
    EXPECT_EQ(page->LastOutcome(), korva::logo::NvUpload::Outcome::Cancelled);
    // The focus is back on the button, not on a field with its text selected
    // (the sheet's focus widget: the closed window has left no window active here).
    const QWidget* focus = sheet->focusWidget();
    EXPECT_EQ(focus, page->UploadButton()) << (focus ? focus->metaObject()->className() : "none");
    // The NV size request goes unanswered: the largest size stands.
    EXPECT_EQ(korva::test::ToHex(printer.Stream()),
              "1D 28 45 02 00 06 02 1C 71 02 00 00 00 00 00 00 00 00");
    EXPECT_TRUE(busyWhileSending);
    EXPECT_TRUE(stayedOpen);
    EXPECT_FALSE(sheet->IsBusy());
    EXPECT_EQ(profile.GetString("LOGO", "Logofile1"), (dir / "first.bmp").string());
}
