#include "logo/ui/Page5Setup.h"

#include <QCheckBox>
#include <cerrno>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>

#include "ui/Language.h"
#include "logo/LogoList.h"
#include "logo/ui/LogoSheet.h"
#include "logo/ui/MyProperty.h"
#include "logo/ui/SheetFixture.h"
#include "port/PortFailures.h"
#include "support/PtyPair.h"

using namespace korva::logo::ui;

class Page5SetupTest : public korva::test::SheetTest {
protected:
    void Open() {
        sheet.reset(BuildLogoSheet(context, nullptr));
        sheet->show();
        page = qobject_cast<CPage5Setup*>(sheet->ActivePage());
        ASSERT_NE(page, nullptr);
    }
    void Close() {
        sheet->CloseButton()->click();
        sheet.reset();
    }
    void Type(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        korva::test::KeyClicks(edit, text);
    }

    std::unique_ptr<CMyProperty> sheet;
    CPage5Setup* page = nullptr;
};

TEST_F(Page5SetupTest, FirstValuesForAKorva10Connection) {
    options.maxPrintableWidth = 1;
    SetPort("COM1", 2);
    Open();
    EXPECT_EQ(page->MaxAreaEdit()->text(), "384");
    EXPECT_EQ(options.maxPrintableWidth, 384);  // published before any page switch
    EXPECT_FALSE(page->GrayBox()->isEnabled());
    EXPECT_FALSE(page->GrayBox()->isChecked());
    EXPECT_EQ(page->ThresholdSlider()->value(), 128);
    EXPECT_EQ(page->ThresholdEdit()->text(), "128");
    EXPECT_FALSE(page->StarBox()->isChecked());
    EXPECT_FALSE(page->PrintToFileBox()->isChecked());
    EXPECT_EQ(page->DeviceLabel()->text(), "KORVA10 - COM1");
}

TEST_F(Page5SetupTest, ALongDevicePathLosesItsStartAndTheOptionsKeepTheirWidth) {
    Open();
    const int optionsWidth = page->MaxAreaEdit()->parentWidget()->width();
    const int sheetWidth = sheet->width();
    Close();
    const QString path = "KORVA20 - /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A6008isP-if00-port0-on-a-long-hub";
    // Alone, and as the first of the six lines of a serial connection: each line on its own.
    for (const QString& label : {path, path + korva::test::kSerialLabelLines}) {
        context.connectionLabel = label.toStdString();
        Open();
        EXPECT_EQ(page->MaxAreaEdit()->parentWidget()->width(), optionsWidth);
        EXPECT_EQ(sheet->width(), sheetWidth);
        korva::test::ExpectEveryLineShown(*page->DeviceLabel(), label);
        EXPECT_EQ(page->DeviceLabel()->toolTip(), QString(label).remove('\r'));
        EXPECT_EQ(page->DeviceLabel()->FullText(), label);
        Close();
    }
}

// The device box spans the page: a port path of usual length shows whole,
// in both languages, with no tooltip standing in for it.
TEST_F(Page5SetupTest, AUsualPortPathShowsWholeInTheDeviceBox) {
    for (bool korean : {false, true}) {
        korva::ui::SetKoreanLabelsOverride(korean);
        for (const QString& label : {QStringLiteral("KORVA20 - /tmp/korva-demo.Xq3kZp/ttyKORVA"),
                                    QStringLiteral("KORVA20IIS - /dev/serial/by-id/usb-FTDI_FT232R-if00")}) {
            context.connectionLabel = label.toStdString();
            Open();
            EXPECT_EQ(page->DeviceLabel()->text(), label) << korean;
            EXPECT_TRUE(page->DeviceLabel()->toolTip().isEmpty());
            EXPECT_LE(page->DeviceLabel()->fontMetrics().horizontalAdvance(label), page->DeviceLabel()->width());
            Close();
        }
    }
    korva::ui::SetKoreanLabelsOverride(std::nullopt);
}

TEST_F(Page5SetupTest, OptionsArePublishedWhenThePageIsLeft) {
    Open();
    EXPECT_EQ(page->MaxAreaEdit()->text(), "512");
    EXPECT_TRUE(page->GrayBox()->isEnabled());
    Type(page->MaxAreaEdit(), "300");
    page->ThresholdSlider()->setValue(200);
    EXPECT_EQ(page->ThresholdEdit()->text(), "200");
    Type(page->ThresholdEdit(), "90");
    EXPECT_EQ(page->ThresholdSlider()->value(), 90);
    page->StarBox()->click();
    EXPECT_EQ(options.threshold, 128);  // not before the page is left
    EXPECT_FALSE(options.starEmulation);

    EXPECT_TRUE(sheet->SetActivePage(0));
    EXPECT_EQ(options.maxPrintableWidth, 300);
    EXPECT_EQ(options.threshold, 90);
    EXPECT_TRUE(options.starEmulation);
}

TEST_F(Page5SetupTest, OutOfRangeKeepsTheUserOnThePage) {
    Open();
    Type(page->MaxAreaEdit(), "600");
    EXPECT_FALSE(sheet->SetActivePage(0));
    EXPECT_EQ(sheet->ActiveIndex(), 4);
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(options.maxPrintableWidth, 512);  // the old value stays published

    Type(page->MaxAreaEdit(), "512");
    Type(page->ThresholdEdit(), "256");
    EXPECT_EQ(page->ThresholdSlider()->value(), 25);  // "2", "25" moved it; "256" does not
    EXPECT_FALSE(sheet->SetActivePage(0));
    Type(page->ThresholdEdit(), "0");
    EXPECT_TRUE(sheet->SetActivePage(0));
    EXPECT_EQ(options.threshold, 0);
}

TEST_F(Page5SetupTest, GraySwitchRescalesTheListAndTheBoxShowsItOnReopen) {
    profile.WriteString("LOGO", "Logofile1", WriteBmp("a.bmp", 40, 200));  // 1000 bytes
    profile.WriteString("LOGO", "Logofile2", WriteBmp("b.bmp", 80, 200));  // 2000 bytes
    LoadListFromProfile();
    ASSERT_EQ(list.totalBytes, 3000);
    Open();
    page->GrayBox()->click();
    EXPECT_TRUE(options.grayPrinting);
    EXPECT_EQ(list.entries[0].size, "4000");
    EXPECT_EQ(list.entries[1].size, "8000");
    EXPECT_EQ(list.totalBytes, 12000);
    EXPECT_EQ(list.sizeText, " 11 / 384 KByte");
    Close();

    // Opened again: gray printing is still in force, and the box says so.
    Open();
    EXPECT_TRUE(page->GrayBox()->isChecked());
    page->GrayBox()->click();
    EXPECT_FALSE(options.grayPrinting);
    EXPECT_EQ(list.entries[0].size, "1000");
    EXPECT_EQ(list.entries[1].size, "2000");
    EXPECT_EQ(list.totalBytes, 3000);
}

TEST_F(Page5SetupTest, Korva10SwitchesOffAGrayModeLeftByAnotherPrinter) {
    options.grayPrinting = true;
    SetPort("COM1", 2);
    Open();
    EXPECT_FALSE(options.grayPrinting);
    EXPECT_FALSE(page->GrayBox()->isChecked());
}

TEST_F(Page5SetupTest, PrintToFileSwitchesThePortNameAndBack) {
    Open();
    page->PrintToFileBox()->click();
    EXPECT_EQ(ports.m_PortName, "FILE");
    EXPECT_EQ(page->DeviceLabel()->text(), "FILE");
    page->PrintToFileBox()->click();
    EXPECT_EQ(ports.m_PortName, "COM1");
    EXPECT_EQ(page->DeviceLabel()->text(), "KORVA20 - COM1");

    // Closed with the file output on: the next sheet starts with it on, and
    // switching it off returns to the connection's port.
    page->PrintToFileBox()->click();
    Close();
    EXPECT_EQ(ports.m_PortName, "FILE");
    Open();
    EXPECT_TRUE(page->PrintToFileBox()->isChecked());
    page->PrintToFileBox()->click();
    EXPECT_EQ(ports.m_PortName, "COM1");
}

TEST_F(Page5SetupTest, ApplyChecksASerialPrinterAndDoesNothingForAFile) {
    korva::test::PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    SetPort(pty.SlavePath(), 1);
    Open();
    Type(page->MaxAreaEdit(), "200");
    sheet->ApplyButton()->click();  // no answer: the reply wait ends after a second
    EXPECT_EQ(pty.Receive(5, 500), (std::vector<uint8_t>{0x1B, 0x40, 0x1D, 0x49, 0x01}));
    EXPECT_EQ(options.maxPrintableWidth, 200);
    EXPECT_FALSE(ports.IsOpen());
    EXPECT_TRUE(messages.Texts().empty());

    page->PrintToFileBox()->click();
    sheet->ApplyButton()->click();
    sheet->CloseButton()->click();
    EXPECT_TRUE(pty.Receive(1, 300).empty());  // neither Apply with a file nor Close sends anything
}

TEST_F(Page5SetupTest, ApplyReportsAPortThatWillNotOpen) {
    SetPort("/dev/ttyUSB99", 1);
    Open();
    sheet->ApplyButton()->click();
    // The cause under the message: the device is not there.
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"ERROR : Port open.\r\n" +
                                                         std::string(korva::port::OpenFailureDetail(ENOENT, false))});
    EXPECT_EQ(options.maxPrintableWidth, 512);
}

TEST_F(Page5SetupTest, ApplyOnAParallelPortOpensAndClosesItOnly) {
    const std::string printer = (dir / "parport0").string();
    std::ofstream(printer).close();
    SetPort("LPT1", 1);
    Open();
    sheet->ApplyButton()->click();
    EXPECT_TRUE(ReadFile(printer).empty());
    EXPECT_TRUE(messages.Texts().empty());
    EXPECT_FALSE(ports.IsOpen());

    std::filesystem::remove(printer);
    sheet->ApplyButton()->click();
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"ERROR : Port open.\r\n" +
                                                         std::string(korva::port::OpenFailureDetail(ENOENT, true))});
}
