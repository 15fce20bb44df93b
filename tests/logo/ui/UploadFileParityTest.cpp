// The logo sheet's upload to a file and `korva logo upload --to-file` with the
// same options write the same bytes: both front ends drive one engine, and
// this catches an option that one of them forgets to pass on.
#include <sys/wait.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "logo/LogoList.h"
#include "logo/ui/LogoListCtrl.h"
#include "logo/ui/LogoSheet.h"
#include "logo/ui/MyProperty.h"
#include "logo/ui/Page1Selection.h"
#include "logo/ui/Page3Upload.h"
#include "logo/ui/Page5Setup.h"
#include "logo/ui/PrintToFileDlg.h"
#include "logo/ui/SheetFixture.h"

using namespace korva::logo::ui;

namespace {

struct Options {
    QString maxWidth = "512";
    QString threshold = "128";
    bool star = false;
    bool gray = false;
    int centreRow = -1;  ///< row (and logo number - 1) whose centre box is ticked
};

class UploadFileParity : public korva::test::SheetTest {
protected:
    /// A gray ramp with a diagonal ripple: the threshold and the tone rule
    /// change its dots, and a flipped axis shows.
    std::string RampBmp(const std::string& name, int w, int h) {
        const auto bytes = korva::logo::test::Rgb24Bmp(w, h, [w](int x, int y) {
            const auto v = static_cast<uint8_t>((x * 255 / w + y * 13) % 256);
            return korva::logo::test::Rgb{v, static_cast<uint8_t>(255 - v), v};
        });
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return path;
    }
    void Type(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        edit->selectAll();
        korva::test::KeyClicks(edit, text);
    }

    /// Sets the options on the Setup page, lists the files and uploads to `out`.
    void UploadFromSheet(const Options& o, const std::vector<std::string>& files, const std::string& out) {
        ports.SetFileNameChooser([] { return AskOutputFileName(); });  // as the tool menu does
        std::unique_ptr<CMyProperty> sheet(BuildLogoSheet(context, nullptr));
        sheet->show();
        auto* setup = qobject_cast<CPage5Setup*>(sheet->ActivePage());
        ASSERT_NE(setup, nullptr);
        setup->PrintToFileBox()->click();
        Type(setup->MaxAreaEdit(), o.maxWidth);
        Type(setup->ThresholdEdit(), o.threshold);
        if (o.star) setup->StarBox()->click();
        if (o.gray) setup->GrayBox()->click();

        ASSERT_TRUE(sheet->SetActivePage(0));
        auto* selection = qobject_cast<CPage1Selection*>(sheet->ActivePage());
        WillPick(files);
        selection->OpenButton()->click();
        ASSERT_EQ(list.entries.size(), files.size());
        if (o.centreRow >= 0) selection->List()->SetCentreChecked(o.centreRow, true);

        ASSERT_TRUE(sheet->SetActivePage(2));
        auto* upload = qobject_cast<CPage3Upload*>(sheet->ActivePage());
        messages.Answer(korva::base::MsgAnswer::Yes);
        korva::test::WhenModal<PrintToFileDlg>([out](PrintToFileDlg* dialog) {
            dialog->NameEdit()->setText(QString::fromStdString(out));
            dialog->OkButton()->click();
        });
        upload->UploadButton()->click();
        EXPECT_EQ(upload->LastOutcome(), korva::logo::NvUpload::Outcome::Completed);
        sheet->CloseButton()->click();
    }

    int Korva(const std::string& args) {
        const std::string command = "cd '" + dir.path().string() + "' && '" KORVA_BIN_DIR "/korva' " + args +
                                    " >/dev/null 2>'" + (dir / "stderr.txt").string() + "' </dev/null";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

TEST_F(UploadFileParity, StarCentringWidthAndThresholdGiveTheSameFile) {
    const std::vector<std::string> files = {RampBmp("one.bmp", 100, 30), RampBmp("two.bmp", 150, 20)};
    Options o;
    o.maxWidth = "300";
    o.threshold = "90";
    o.star = true;
    o.centreRow = 1;
    const std::string gui = (dir / "gui.prn").string();
    UploadFromSheet(o, files, gui);
    ASSERT_EQ(Korva("logo upload --to-file cli.prn --star --center=2 --max-width 300 --threshold 90 one.bmp two.bmp"), 0);

    const std::vector<uint8_t> fromSheet = ReadFile(gui);
    ASSERT_GT(fromSheet.size(), 8u);
    EXPECT_EQ(std::vector<uint8_t>(fromSheet.begin(), fromSheet.begin() + 8),
              (std::vector<uint8_t>{0x1B, 0x1C, 0x71, 0x02, 0x0D, 0x00, 0x04, 0x00}));
    // Logo 2 (152 dots) centred in 300: (300 - 152) / 2 = 74, rounded up to
    // 80 blank dots on the left, so its header reads x = 232 / 8 = 29.
    EXPECT_EQ(fromSheet[8 + 13 * 4 * 8], 0x1D);
    EXPECT_TRUE(fromSheet == ReadFile((dir / "cli.prn").string())) << "the two files differ";
}

TEST_F(UploadFileParity, GrayImagesGiveTheSameFile) {
    const std::vector<std::string> files = {RampBmp("one.bmp", 100, 30), RampBmp("two.bmp", 150, 20)};
    Options o;
    o.gray = true;
    o.threshold = "160";
    const std::string gui = (dir / "gui.prn").string();
    UploadFromSheet(o, files, gui);
    ASSERT_EQ(Korva("logo upload --to-file cli.prn --gray --threshold 160 one.bmp two.bmp"), 0);

    const std::vector<uint8_t> fromSheet = ReadFile(gui);
    ASSERT_GT(fromSheet.size(), 7u);
    EXPECT_EQ(std::vector<uint8_t>(fromSheet.begin(), fromSheet.begin() + 7),
              (std::vector<uint8_t>{0x1C, 0x71, 0x02, 0x0D, 0xA0, 0x04, 0x00}));
    EXPECT_TRUE(fromSheet == ReadFile((dir / "cli.prn").string())) << "the two files differ";
}

}  // namespace
