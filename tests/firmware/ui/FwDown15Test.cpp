#include "firmware/ui/FwDown15.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <functional>

#include "ui/Language.h"
#include "firmware/ui/FirmwareDialogFixture.h"

using namespace korva;
using namespace korva::firmware;
using korva::firmware::ui::CFwDown15;
using Outcome = OldFirmwareDownload::Outcome;

class FwDown15Test : public test::FirmwareDialogTest {
protected:
    /// A program image to the simulator (a KORVA10 on a pty), cancelled with
    /// the window's button once `when` holds after a step; the window is gone then.
    void DownloadAndCancel(const std::function<bool(const CFwDown15&)>& when) {
        ASSERT_TRUE(sim.Start({"--serial", "--series", "2"})) << sim.Error().toStdString();
        UseSimPort(sim, 2);
        picked = File("k10.bin", test::PatternImage(0x200000));
        CFwDown15 dialog(context);
        dialog.show();
        dialog.OpenButton()->click();
        dialog.SetStepHook([&] {
            if (when(dialog)) dialog.CancelButton()->click();
        });
        dialog.OkButton()->click();
        EXPECT_EQ(dialog.LastOutcome(), Outcome::Cancelled);
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_FALSE(ports.IsOpen());
    }

    test::SimHarness sim;
};

TEST_F(FwDown15Test, OpensWithCaptionLabelsAndProfile) {
    profile.WriteString("FWDN15", "FOLDER", "/images/k10.bin");
    profile.WriteString("FWDN15", "FILE", "k10.bin");
    CFwDown15 dialog(context);
    EXPECT_EQ(dialog.windowTitle(), "KorvaTool : KORVA10 Firmware Download");
    EXPECT_EQ(dialog.PathEdit()->text(), "/images/k10.bin");
    EXPECT_EQ(dialog.FileNameEdit()->text(), "k10.bin");
    EXPECT_EQ(dialog.AreaButton(OldArea::Program)->text(), "&1.Program");
    EXPECT_EQ(dialog.AreaButton(OldArea::ExtFont)->text(), "&2.Ext Font");
    EXPECT_EQ(dialog.AreaButton(OldArea::Boot)->text(), "&3.Boot");
    EXPECT_EQ(dialog.AreaButton(OldArea::Font)->text(), "&4.Font");
    EXPECT_TRUE(dialog.AreaButton(OldArea::Program)->isChecked());
    EXPECT_FALSE(dialog.AreaButton(OldArea::ExtFont)->isEnabled());
    EXPECT_EQ(dialog.OkButton()->text(), "OK");
    EXPECT_EQ(dialog.CancelButton()->text(), "CANCEL");
    EXPECT_EQ(dialog.OpenButton()->text(), "&Open");
    EXPECT_FALSE(dialog.PathEdit()->accessibleName().isEmpty());
    EXPECT_FALSE(dialog.FileNameEdit()->accessibleName().isEmpty());

    korva::ui::SetKoreanLabelsOverride(true);
    CFwDown15 korean(context);
    korva::ui::SetKoreanLabelsOverride(std::nullopt);
    EXPECT_EQ(korean.AreaButton(OldArea::Boot)->text(), "&3.부트");
    EXPECT_EQ(korean.OkButton()->text(), "확인");
    EXPECT_EQ(korean.windowTitle(), "KorvaTool : KORVA10 Firmware Download");
}

TEST_F(FwDown15Test, BootAreaToTheSimulatorClosesWithOk) {
    test::SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial", "--series", "2", "--nak-every", "9"})) << sim.Error().toStdString();
    UseSimPort(sim, 2);
    const auto image = test::PatternImage(0x200000, 9);
    picked = File("k10.bin", image);
    CFwDown15 dialog(context);
    dialog.show();
    dialog.OpenButton()->click();
    EXPECT_EQ(dialog.FileNameEdit()->text(), "k10.bin");
    dialog.AreaButton(OldArea::Boot)->click();
    QStringList captions;
    dialog.SetStepHook([&] {
        if (captions.isEmpty() || captions.back() != dialog.windowTitle()) captions << dialog.windowTitle();
    });
    dialog.OkButton()->click();

    ASSERT_FALSE(captions.isEmpty());
    EXPECT_EQ(captions.takeFirst(), "KorvaTool : KORVA10 Firmware Download");  // while the port opens
    EXPECT_EQ(dialog.LastOutcome(), Outcome::Completed);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"COMPLETED"});
    ASSERT_GE(captions.size(), 8);
    EXPECT_EQ(captions.mid(0, 8), (QStringList{"Erasing...", "Erasing....", "Erasing.....", "Erasing......",
                                               "Erasing.......", "Erasing........", "Erasing.........",
                                               "Writing...(1F0200)"}));
    EXPECT_EQ(ports.m_FlowControl, port::kFlowNone);  // stays so for later tools
    EXPECT_EQ(profile.GetString("FWDN15", "FILE"), "k10.bin");
    EXPECT_FALSE(ports.IsOpen());
    const QJsonObject fw = LastFirmware(
        sim.WaitForState([](const QJsonObject& s) { return LastFirmware(s).value("complete").toBool(); }));
    EXPECT_EQ(fw.value("area").toString(), "boot");
    EXPECT_TRUE(fw.value("length_ok").toBool());
    EXPECT_GT(fw.value("naks").toInt(), 0);
}

TEST_F(FwDown15Test, CancelDuringTheEraseStopsAndCloses) {
    DownloadAndCancel([](const CFwDown15& dialog) { return dialog.windowTitle() == "Erasing....."; });
    const QJsonObject state = sim.State();
    EXPECT_FALSE(LastFirmware(state).value("complete").toBool());
    EXPECT_EQ(LastFirmware(state).value("length").toInt(), 0);
    // The erase went out but its answer never came: the window says what that may mean.
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{
        "Cancelled: the erase request was sent but never answered; the program area may be erased and "
        "the printer may not start until a download completes.\r\nRun the download again and let it "
        "complete before switching the printer off."});
}

// Cancel past the erase: the printer holds half a program, and the window says
// so as korva does.
TEST_F(FwDown15Test, CancelWhileWritingSaysTheProgramAreaIsErased) {
    DownloadAndCancel([](const CFwDown15& dialog) {
        return dialog.windowTitle().startsWith("Writing") && dialog.ProgressBar()->value() > 0x8000;
    });
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{
        "Cancelled: program area erased; the printer will not start until a download completes.\r\n"
        "Run the download again and let it complete before switching the printer off."});
    // The simulator holds part of the program: the message tells the truth.
    const QJsonObject fw = LastFirmware(
        sim.WaitForState([](const QJsonObject& s) { return LastFirmware(s).value("length").toInt() > 0; }));
    EXPECT_FALSE(fw.value("complete").toBool());
    EXPECT_GT(fw.value("length").toInt(), 0);
}
