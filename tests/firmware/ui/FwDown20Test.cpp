#include "firmware/ui/FwDown20.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "ui/Language.h"
#include "firmware/ui/FirmwareDialogFixture.h"
#include "port/PortFailures.h"
#include "support/PtyPair.h"

#include <QElapsedTimer>

using namespace korva;
using namespace korva::firmware;
using korva::firmware::ui::CFwDown20;
using Outcome = NewFirmwareDownload::Outcome;

class FwDown20Test : public test::FirmwareDialogTest {};

TEST_F(FwDown20Test, OpensWithCaptionProfilePathAndReachableControls) {
    profile.WriteString("FWDN20", "FOLDER", "/images/fw.K20");
    profile.WriteString("FWDN20", "FILE", "fw.K20");
    CFwDown20 dialog(context);
    EXPECT_EQ(dialog.windowTitle(), "KorvaTool : Firmware Download");
    EXPECT_EQ(dialog.PathEdit()->text(), "/images/fw.K20");
    EXPECT_TRUE(dialog.PathEdit()->isReadOnly());
    EXPECT_EQ(dialog.FileSizeEdit()->text(), "0");
    EXPECT_TRUE(dialog.AreaButton(NewArea::Program)->isChecked());
    EXPECT_FALSE(dialog.AreaButton(NewArea::ExtFont)->isEnabled());
    EXPECT_EQ(dialog.AreaButton(NewArea::Downloader)->text(), "DOWNLOAD");
    EXPECT_EQ(dialog.DownloadButton()->text(), "DOWNLOAD");
    EXPECT_TRUE(dialog.DownloadButton()->isEnabled());
    // Every edit is named by its label, or by its own accessible name.
    QStringList buddies;
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        if (label->buddy() == dialog.ChecksumEdit() || label->buddy() == dialog.FileSizeEdit())
            buddies << label->text();
    }
    EXPECT_EQ(buddies, (QStringList{"CHECKSUM :", "FileSize :"}));
    EXPECT_FALSE(dialog.PathEdit()->accessibleName().isEmpty());
    EXPECT_FALSE(dialog.ProgressBar()->accessibleName().isEmpty());
}

TEST_F(FwDown20Test, KoreanLabels) {
    korva::ui::SetKoreanLabelsOverride(true);
    CFwDown20 dialog(context);
    korva::ui::SetKoreanLabelsOverride(std::nullopt);
    EXPECT_EQ(dialog.AreaButton(NewArea::Program)->text(), "프로그램 영역");
    EXPECT_EQ(dialog.AreaButton(NewArea::Boot)->text(), "부트 영역");
    EXPECT_EQ(dialog.AreaButton(NewArea::Downloader)->text(), "다운로드 영역");
    EXPECT_EQ(dialog.AreaButton(NewArea::ExtFont)->text(), "확장 폰트 영역");
    EXPECT_EQ(dialog.DownloadButton()->text(), "다운로드");
    QStringList labels;
    for (QLabel* label : dialog.findChildren<QLabel*>()) labels << label->text();
    EXPECT_TRUE(labels.contains("체크섬"));
    EXPECT_TRUE(labels.contains("파일크기"));
    EXPECT_TRUE(labels.contains("바이트"));
    // Messages and the caption stay English.
    EXPECT_EQ(dialog.windowTitle(), "KorvaTool : Firmware Download");
}

TEST_F(FwDown20Test, WrongSizeDisablesDownloadUntilAnotherFileIsOpened) {
    test::PtyPair line;
    ports.m_PortName = line.SlavePath();
    ports.m_BaudRate = 115200;
    ports.m_DataBits = 8;
    ports.m_Parity = 0;
    ports.m_FlowControl = port::kFlowNone;
    ports.m_DeviceType = 1;
    CFwDown20 dialog(context);
    picked = File("short.K20", test::NewSeriesImage("K20", 0xFFFFF));
    dialog.FileOpenButton()->click();
    EXPECT_EQ(dialog.PathEdit()->text().toStdString(), picked);
    dialog.DownloadButton()->click();
    EXPECT_EQ(dialog.LastOutcome(), Outcome::SizeWrong);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"ERROR: File size not correct!\r\nshort.K20: the file has "
                                                         "1048575 bytes; an image has exactly 1048576 (1 MiB) "
                                                         "or 2097152 (2 MiB)."});
    EXPECT_FALSE(dialog.DownloadButton()->isEnabled());
    EXPECT_TRUE(dialog.FileOpenButton()->isEnabled());
    EXPECT_EQ(profile.GetString("FWDN20", "FILE"), "short.K20");
    EXPECT_TRUE(line.Receive(1, 100).empty());

    picked.clear();  // cancelled: nothing changes
    dialog.FileOpenButton()->click();
    EXPECT_FALSE(dialog.DownloadButton()->isEnabled());
    picked = File("other.K20", test::NewSeriesImage("K22"));
    dialog.FileOpenButton()->click();
    EXPECT_TRUE(dialog.DownloadButton()->isEnabled());
    dialog.DownloadButton()->click();
    EXPECT_EQ(dialog.LastOutcome(), Outcome::NotFirmware);
    EXPECT_EQ(messages.Texts().back(),
              "ERROR : File is not firmware file!\r\nother.K20 is a K22 image for KORVA20II printers, but the "
              "model is a KORVA20; nothing was sent.\r\nOpen an image made for KORVA20 printers.");
    EXPECT_TRUE(dialog.DownloadButton()->isEnabled());
}

TEST_F(FwDown20Test, BootAreaToTheSimulatorWithTheWindowAlive) {
    test::SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial", "--series", "1"})) << sim.Error().toStdString();
    UseSimPort(sim, 1);
    const auto image = test::NewSeriesImage("K20");
    picked = File("fw.K20", image);
    CFwDown20 dialog(context);
    dialog.show();
    dialog.FileOpenButton()->click();
    dialog.AreaButton(NewArea::Boot)->click();
    messages.Answer(base::MsgAnswer::Yes);

    QStringList captions;
    bool buttonsLockedWhileBusy = true;
    int timerTicks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++timerTicks; });
    ticker.start(1);
    dialog.SetStepHook([&] {
        if (captions.isEmpty() || captions.back() != dialog.windowTitle()) captions << dialog.windowTitle();
        buttonsLockedWhileBusy = buttonsLockedWhileBusy && !dialog.FileOpenButton()->isEnabled() &&
                                 !dialog.ExitButton()->isEnabled();
        dialog.reject();  // closing is refused while the packet is on its way
    });
    // "Update Complete" comes with the bar full and the caption at 100 %.
    QString titleAtEnd;
    int barAtEnd = -1;
    messages.OnShown([&] {
        if (messages.Texts().back().starts_with("Update Complete")) {
            titleAtEnd = dialog.windowTitle();
            barAtEnd = dialog.ProgressBar()->value();
        }
    });
    dialog.DownloadButton()->click();
    ticker.stop();

    EXPECT_EQ(titleAtEnd, "KorvaTool : Firmware Download - 100 %");
    EXPECT_EQ(barAtEnd, dialog.ProgressBar()->maximum());
    EXPECT_EQ(dialog.LastOutcome(), Outcome::Completed);
    EXPECT_TRUE(buttonsLockedWhileBusy);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_GT(timerTicks, 10);  // the event loop ran during the settling wait
    EXPECT_EQ(messages.Texts(),
              (std::vector<std::string>{"Are you sure the Boot area download?",
                                        "Update Complete.\nPlease wait beep the buzzer and automatically power off."}));
    ASSERT_FALSE(captions.isEmpty());
    EXPECT_TRUE(captions.contains("KorvaTool : Firmware Download - 44 %")) << captions.join("|").toStdString();
    EXPECT_EQ(captions.back(), "KorvaTool : Firmware Download - 0 %");
    EXPECT_EQ(dialog.ProgressBar()->value(), 0);
    EXPECT_EQ(dialog.FileSizeEdit()->text(), "16384");
    char sum[8];
    std::snprintf(sum, sizeof sum, "%X", BuildNewDownloadPacket(image, 1, NewArea::Boot).packet.checksum);
    EXPECT_EQ(dialog.ChecksumEdit()->text(), sum);
    EXPECT_TRUE(dialog.DownloadButton()->isEnabled());
    EXPECT_TRUE(dialog.FileOpenButton()->isEnabled());
    EXPECT_FALSE(ports.IsOpen());

    const QJsonObject fw = LastFirmware(
        sim.WaitForState([](const QJsonObject& s) { return LastFirmware(s).value("complete").toBool(); }));
    EXPECT_EQ(fw.value("area").toString(), "boot");
    EXPECT_TRUE(fw.value("checksum_ok").toBool());
    EXPECT_TRUE(fw.value("length_ok").toBool());
}

// A printer that stops reading holds each write for up to 100 ms a byte; the
// window keeps turning meanwhile, and the line hanging up ends the run at once.
TEST_F(FwDown20Test, StalledLineKeepsTheWindowTurningUntilTheLineHangsUp) {
    test::SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial", "--series", "1", "--stall-after-bytes", "4096"}))
        << sim.Error().toStdString();
    UseSimPort(sim, 1);
    picked = File("fw.K20", test::NewSeriesImage("K20"));
    CFwDown20 dialog(context);
    dialog.show();
    dialog.FileOpenButton()->click();  // the program area: far more than the line holds

    QElapsedTimer clock;
    clock.start();
    qint64 lastTick = -1;
    qint64 longestGap = 0;
    qint64 busySince = -1;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.elapsed();
        if (!dialog.IsBusy()) return;
        if (busySince < 0) busySince = now;
        if (lastTick >= 0) longestGap = std::max(longestGap, now - lastTick);
        lastTick = now;
        if (now - busySince > 1500 && sim.Running()) sim.Stop();  // the cable is pulled
    });
    ticker.start(10);
    dialog.DownloadButton()->click();
    ticker.stop();

    EXPECT_GT(busySince, -1);
    EXPECT_LT(longestGap, 200);
    EXPECT_EQ(dialog.LastOutcome(), Outcome::PrinterNotReady);
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_NE(messages.Texts()[0].find(port::kTextHungUp), std::string::npos) << messages.Texts()[0];
    EXPECT_FALSE(ports.IsOpen());
}
