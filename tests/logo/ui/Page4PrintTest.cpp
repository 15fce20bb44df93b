#include "logo/ui/Page4Print.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "ui/Language.h"
#include "logo/ui/LogoSheet.h"
#include "logo/ui/Page3Upload.h"
#include "logo/ui/MyProperty.h"
#include "logo/ui/Progress.h"
#include "logo/ui/SheetFixture.h"
#include "support/PtyPair.h"
#include "support/RecordingStream.h"

using namespace korva::logo::ui;

class Page4PrintTest : public korva::test::SheetTest {
protected:
    CPage4Print* Open() {
        sheet.reset(BuildLogoSheet(context, nullptr));
        sheet->show();
        EXPECT_TRUE(sheet->SetActivePage(3));
        return qobject_cast<CPage4Print*>(sheet->ActivePage());
    }
    static std::vector<uint8_t> Logo(int number, uint8_t size) {
        const std::string header = "--- Logo " + std::to_string(number) + " ---\n";
        std::vector<uint8_t> bytes(header.begin(), header.end());
        for (uint8_t b : {uint8_t{0x1C}, uint8_t{0x70}, static_cast<uint8_t>(number), size}) bytes.push_back(b);
        return bytes;
    }

    std::unique_ptr<CMyProperty> sheet;
};

TEST_F(Page4PrintTest, PrintIsOfferedOnlyForPrinterPorts) {
    // What the device is decides, not how its path is spelled: a link to a pty
    // (a udev alias, the demo's ttyKORVA) is a serial printer port.
    korva::test::PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    const std::string link = (dir / "ttyKORVA").string();
    std::filesystem::create_symlink(pty.SlavePath(), link);
    for (const std::string& name : {std::string("COM1"), std::string("LPT1"), std::string("USB"),
                                    std::string("ETHERNET_II"), std::string("usb"), pty.SlavePath(), link})
        EXPECT_TRUE(CPage4Print::CanPrintTo(name)) << name;
    for (const char* name : {"FILE", "out.prn", "", "/dev/ptmx", "/dev/tty"})
        EXPECT_FALSE(CPage4Print::CanPrintTo(name)) << name;

    SetPort("LPT1", 2);
    CPage4Print* page = Open();
    EXPECT_TRUE(page->PrintButton()->isEnabled());
    EXPECT_EQ(page->PrinterNameEdit()->text(), "KORVA10");
    EXPECT_EQ(page->PortNameEdit()->text(), "LPT1");
    EXPECT_TRUE(page->AllButton()->isChecked());
    EXPECT_TRUE(page->SizeButton(0)->isChecked());
    EXPECT_TRUE(page->NoHeaderButton()->isChecked());
    EXPECT_EQ(page->HelpTopic(), "Logo Printout");

    // The state follows the port name each time the page is shown.
    ports.m_PortName = "FILE";
    sheet->SetActivePage(4);
    sheet->SetActivePage(3);
    EXPECT_FALSE(page->PrintButton()->isEnabled());
    EXPECT_EQ(page->PortNameEdit()->text(), "FILE");
}

// The Port Name fields of the upload and print pages: a short path shows
// whole; a long one loses its start, never widens the sheet and keeps the
// whole path in its tooltip, in both languages.
TEST_F(Page4PrintTest, PortFieldsShowAPathWholeWhereItFitsElseWithoutItsStart) {
    const QString longPath = "/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A6008isP-if00-port0-on-a-long-hub";
    for (bool korean : {false, true}) {
        korva::ui::SetKoreanLabelsOverride(korean);
        SetPort("/dev/ttyS0", 1);
        Open();
        const int sheetWidth = sheet->width();
        for (const QString& path : {QStringLiteral("/dev/ttyS0"), longPath}) {
            SetPort(path.toStdString(), 1);
            Open();
            EXPECT_EQ(sheet->width(), sheetWidth) << korean;
            const CPage3Upload* upload = qobject_cast<CPage3Upload*>(sheet->Page(2));
            ASSERT_NE(upload, nullptr);
            for (int index : {2, 3}) {
                ASSERT_TRUE(sheet->SetActivePage(index));
                QCoreApplication::processEvents();  // the page shown first now is laid out
                const CPage4Print* print = qobject_cast<CPage4Print*>(sheet->ActivePage());
                korva::ui::ElidedLineEdit* field = index == 2 ? upload->PortNameEdit() : print->PortNameEdit();
                SCOPED_TRACE(path.toStdString() + (korean ? " korean" : " english") + ", page " +
                             std::to_string(index) + ", field " + std::to_string(field->width()) + " of " +
                             std::to_string(field->fontMetrics().horizontalAdvance(path)));
                EXPECT_EQ(field->FullText(), path);
                EXPECT_LE(field->fontMetrics().horizontalAdvance(field->text()), field->width());
                if (path == longPath) {
                    // The ellipsis, then as much of the path's own end as fits.
                    const QString shown = field->text();
                    EXPECT_TRUE(shown.size() > 1 && shown.startsWith(QChar(0x2026)) &&
                                path.endsWith(shown.mid(1)))
                        << shown.toStdString();
                    EXPECT_EQ(field->toolTip(), path);
                } else {
                    EXPECT_EQ(field->text(), path);
                    EXPECT_TRUE(field->toolTip().isEmpty());
                }
            }
        }
    }
    korva::ui::SetKoreanLabelsOverride(std::nullopt);
}

TEST_F(Page4PrintTest, EnteringTheSelectionTextPicksSelection) {
    CPage4Print* page = Open();
    QApplication::setActiveWindow(sheet.get());
    page->SelectionButton()->click();
    EXPECT_TRUE(page->SelectionEdit()->hasFocus());
    page->AllButton()->click();
    page->AllButton()->setFocus();
    page->SelectionEdit()->setFocus();
    EXPECT_TRUE(page->SelectionButton()->isChecked());
}

TEST_F(Page4PrintTest, SelectionWithHeadersOverASerialLine) {
    korva::test::PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    SetPort(pty.SlavePath(), 1);
    CPage4Print* page = Open();
    page->SelectionButton()->click();
    page->SelectionEdit()->setText(",3,9-7,");
    page->SizeButton(1)->click();  // Double Width
    page->AddHeaderButton()->click();
    int maximum = -1;
    CProgress* window = nullptr;
    page->SetProgressHook([&](CProgress& progress) { window = &progress; maximum = progress.Maximum(); });
    page->PrintButton()->click();
    ASSERT_NE(window, nullptr);

    std::vector<uint8_t> expected = {0x1D, 0x49, 0x01, 0x1B, 0x40};
    for (int number : {3, 7, 8, 9}) {
        const auto logo = Logo(number, 0x01);
        expected.insert(expected.end(), logo.begin(), logo.end());
    }
    expected.insert(expected.end(), {0x1D, 0x49, 0x01});  // the end check, unanswered here
    EXPECT_EQ(korva::test::ToHex(pty.Receive(expected.size(), 1000)), korva::test::ToHex(expected));
    EXPECT_EQ(maximum, 4);
    EXPECT_FALSE(ports.IsOpen());
    EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(Page4PrintTest, BadSelectionSendsNothing) {
    korva::test::RecordingStream printer(korva::port::PortKind::Ethernet, clock);
    context.ethernet = &printer;
    SetPort("ETHERNET_II", 1);
    CPage4Print* page = Open();
    page->SelectionButton()->click();
    for (const char* text : {"1,,2", "a", ""}) {
        page->SelectionEdit()->setText(text);
        page->PrintButton()->click();
    }
    EXPECT_EQ(messages.Texts(), std::vector<std::string>(3, "NV image number is incorrect."));
    EXPECT_TRUE(printer.Stream().empty());
}

TEST_F(Page4PrintTest, CancelStopsTheStream) {
    korva::test::RecordingStream printer(korva::port::PortKind::Ethernet, clock);
    context.ethernet = &printer;
    SetPort("ETHERNET_II", 1);
    sheet.reset(BuildLogoSheet(context, nullptr));
    sheet->show();
    for (QCheckBox* box : sheet->findChildren<QCheckBox*>())
        if (box->text() == "Use Star Emulation") box->click();
    ASSERT_TRUE(sheet->SetActivePage(3));
    EXPECT_TRUE(options.starEmulation);
    auto* page = qobject_cast<CPage4Print*>(sheet->ActivePage());
    CProgress* window = nullptr;
    page->SetProgressHook([&](CProgress& progress) { window = &progress; });
    printer.onWrite = [&](int write) {
        if (write == 2 && window) window->CancelButton()->click();
    };
    page->PrintButton()->click();
    // Two logos went out (the second one was already on its way), then nothing.
    EXPECT_EQ(korva::test::ToHex(printer.Stream()), "1B 1C 70 01 00 1B 1C 70 02 00");
}

TEST_F(Page4PrintTest, AParallelPrinterGetsNoInitialize) {
    const std::string printer = (dir / "parport0").string();
    std::ofstream(printer).close();
    SetPort("LPT1", 1);
    CPage4Print* page = Open();
    page->SelectionButton()->click();
    page->SelectionEdit()->setText("5");
    page->SizeButton(3)->click();  // Quadraple
    page->PrintButton()->click();
    EXPECT_EQ(korva::test::ToHex(ReadFile(printer)), "1D 49 01 1C 70 05 03");
    EXPECT_FALSE(ports.IsOpen());
}
