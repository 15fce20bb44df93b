#pragma once
// A logo sheet's world for the dialog tests: a real port object (a pty, or
// the file output), the list, the options, an in-memory profile, bitmap
// files in a temporary directory, and the context that ties them together.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QStringList>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/Clock.h"
#include "base/ErrorLog.h"
#include "profile/MemoryProfile.h"
#include "logo/BmpWriter.h"
#include "logo/LogoList.h"
#include "logo/LogoListEditor.h"
#include "logo/LogoListServices.h"
#include "logo/LogoOptions.h"
#include "logo/ui/LogoToolContext.h"
#include "logo/ui/UiTestEnv.h"
#include "port/Ports.h"
#include "support/TestDir.h"

namespace korva::test {

/// The five lines a serial connection's label has under its port line.
inline const QString kSerialLabelLines =
    QStringLiteral("\r\nBaud : 115200\r\nData : 8 bit\r\nNone Parity\r\nH/W Flow control\r\nOne Stop Bit");

/// Every line of `full` is on the label, each within its width: the long ones
/// without the start of their path (the model before " - " kept), the others whole.
inline void ExpectEveryLineShown(const QLabel& label, const QString& full) {
    const QStringList want = QString(full).remove(QLatin1Char('\r')).split(QLatin1Char('\n'));
    const QStringList shown = label.text().split(QLatin1Char('\n'));
    ASSERT_EQ(shown.size(), want.size()) << label.text().toStdString();
    for (qsizetype i = 0; i < want.size(); ++i) {
        EXPECT_LE(label.fontMetrics().horizontalAdvance(shown[i]), label.width()) << shown[i].toStdString();
        if (shown[i] == want[i]) continue;
        EXPECT_TRUE(shown[i].contains(QChar(0x2026))) << shown[i].toStdString();
        const QString model = want[i].left(want[i].indexOf(QStringLiteral(" - ")) + 3);
        EXPECT_TRUE(shown[i].startsWith(model + QChar(0x2026)) && shown[i].endsWith(want[i].right(12)))
            << shown[i].toStdString();
    }
    EXPECT_NE(shown.first(), want.first()) << "the long port line is shortened";
}

class SheetTest : public ::testing::Test {
protected:
    // Device names (COM1, LPT1) resolve inside the test's directory, where a
    // plain file can stand in for a parallel printer.
    SheetTest() : ports(log, port::DeviceRoots{"/sys", dir.path().string()}) {
        TestApp();
        log.OpenLog((dir / "error.log").string());
        SetPort("COM1", 1);
    }

    /// Reads the list from the profile as opening the tool does; refusals in one box.
    void LoadListFromProfile() {
        logo::LogoNoticeBatch notices;
        logo::ui::MakeListEditor(context, notices)->LoadFromProfile(profile);
        notices.Show();
    }

    /// The connection as the connection dialog leaves it.
    void SetPort(const std::string& name, int deviceType, int baudRate = 115200) {
        port::ConnectionSettings settings;
        settings.portName = name;
        settings.baudRate = baudRate;
        settings.dataBits = 8;
        settings.parity = port::kParityNone;
        settings.stopBits = port::kStopBits1;
        settings.flowControl = port::kFlowNone;
        settings.deviceType = deviceType;
        ports.SetConnection(settings);
        context.connectionPortName = name;
        context.connectionLabel = (deviceType == 2 ? "KORVA10 - " : "KORVA20 - ") + name;
    }

    /// A 24-bit bitmap file of w x h pixels, all black unless `white`.
    std::string WriteBmp(const std::string& name, int w, int h, bool white = false) {
        const auto bytes = logo::test::Rgb24Bmp(w, h, [white](int, int) {
            return white ? logo::test::Rgb{255, 255, 255} : logo::test::Rgb{0, 0, 0};
        });
        const std::string path = (dir / name).string();
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                    static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    /// Makes the file picker hand out these paths on the next Open File.
    void WillPick(std::vector<std::string> paths) {
        context.pickFiles = [this, paths](QWidget*, const korva::ui::FileQuestion& question) {
            pickerStarts.push_back(question.start);
            pickerFilters.push_back(question.filter);
            return paths;
        };
    }

    std::vector<uint8_t> ReadFile(const std::string& path) const {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    TestDir dir;
    base::CErrorLog log;
    port::CPorts ports;
    logo::LogoList list;
    logo::LogoOptions options;
    profile::MemoryProfile profile;
    base::RealClock clock;
    MessageRecorder messages;
    std::vector<std::string> pickerStarts;
    std::vector<QString> pickerFilters;
    logo::ui::LogoToolContext context{list, options, ports, nullptr, profile, log, clock, {}, {}};
};

}  // namespace korva::test
