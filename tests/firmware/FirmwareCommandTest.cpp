// `korva firmware check` and `korva firmware download` run as subprocesses,
// the downloads against korva-sim.
#include <QJsonArray>
#include <QJsonObject>
#include <gtest/gtest.h>

#include "cli/KorvaProcess.h"
#include "firmware/FirmwareImages.h"
#include "support/PtyPair.h"
#include "support/SimHarness.h"
#include "support/TestDir.h"

using namespace korva;
using korva::test::KorvaProcess;
using korva::test::KorvaResult;
using korva::test::SimHarness;

namespace {

QString Path(const test::TestDir& dir, const std::string& name) {
    return QString::fromStdString((dir / name).string());
}

QJsonObject LastFirmware(const QJsonObject& state) {
    const QJsonArray list = state.value("firmware").toArray();
    return list.isEmpty() ? QJsonObject() : list.last().toObject();
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST(FirmwareCommand, CheckNewerSeriesImages) {
    test::TestDir dir;
    auto image = test::NewSeriesImage("K20");
    std::fill(image.begin() + 0x10000, image.begin() + 0x70000, 0xFF);
    test::WriteFile(dir / "good.K20", image);
    KorvaResult ok = KorvaProcess().Run({"firmware", "check", Path(dir, "good.K20")});
    EXPECT_EQ(ok.exitCode, 0) << ok.err;
    EXPECT_TRUE(Contains(ok.out, "signature K20 (device type 1)")) << ok.out;
    EXPECT_TRUE(Contains(ok.out, "program     packet  393216 bytes, area code 01 11 51 04, checksum F60A"))
        << ok.out;
    EXPECT_TRUE(Contains(ok.out, "font        not in this image")) << ok.out;

    test::WriteFile(dir / "short.K20", test::NewSeriesImage("K20", 0xFFFFF));
    KorvaResult size = KorvaProcess().Run({"firmware", "check", Path(dir, "short.K20")});
    EXPECT_EQ(size.exitCode, 3);
    EXPECT_TRUE(Contains(size.err, "ERROR: File size not correct!")) << size.err;

    test::WriteFile(dir / "other.K20", test::NewSeriesImage("X99"));
    KorvaResult sig = KorvaProcess().Run({"firmware", "check", Path(dir, "other.K20"), "--json"});
    EXPECT_EQ(sig.exitCode, 3);
    EXPECT_TRUE(Contains(sig.out, "\"outcome\":\"failed\"")) << sig.out;
    EXPECT_TRUE(Contains(sig.err, "ERROR : File is not firmware file!")) << sig.err;
}

TEST(FirmwareCommand, CheckOlderSeriesImagesAndSeriesChoice) {
    test::TestDir dir;
    test::WriteFile(dir / "fw.bin", test::PatternImage(0x1B0000));
    KorvaResult ok = KorvaProcess().Run({"firmware", "check", Path(dir, "fw.bin")});
    EXPECT_EQ(ok.exitCode, 0) << ok.err;
    EXPECT_TRUE(Contains(ok.out, "font     190000-1B0000, 256 blocks, erase code 1C 1E")) << ok.out;
    EXPECT_TRUE(Contains(ok.out, "program  1D0000-1F0000: the file ends before the area")) << ok.out;

    test::WriteFile(dir / "tiny.bin", test::PatternImage(100));
    EXPECT_EQ(KorvaProcess().Run({"firmware", "check", Path(dir, "tiny.bin")}).exitCode, 3);

    test::WriteFile(dir / "fw.img", test::NewSeriesImage("K22"));
    EXPECT_EQ(KorvaProcess().Run({"firmware", "check", Path(dir, "fw.img")}).exitCode, 2);
    EXPECT_EQ(KorvaProcess().Run({"firmware", "check", Path(dir, "fw.img"), "--series", "new"}).exitCode, 0);
    EXPECT_EQ(KorvaProcess().Run({"firmware", "check", Path(dir, "fw.img"), "--series", "x"}).exitCode, 2);
}

TEST(FirmwareCommand, DownloadToTheOlderSeriesOverSerialNeedsYesForTheBootArea) {
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial", "--series", "2"})) << sim.Error().toStdString();
    test::TestDir dir;
    const auto image = test::PatternImage(0x200000, 5);
    test::WriteFile(dir / "fw.bin", image);
    const QStringList base{"firmware", "download", "--port", sim.SerialPath(), "--device-type",
                           "2", "--area", "boot", Path(dir, "fw.bin"), "--json"};
    // Without --yes nothing reaches the printer, as on the newer series.
    KorvaResult refused = KorvaProcess().Run(base);
    EXPECT_EQ(refused.exitCode, 2) << refused.err;
    EXPECT_TRUE(Contains(refused.err, "give --yes to download it")) << refused.err;
    EXPECT_TRUE(SimHarness::Received(sim.State(), 0).isEmpty());

    KorvaResult result = KorvaProcess().Run(base + QStringList{"--yes"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(Contains(result.err, "korva firmware download: COMPLETED")) << result.err;
    for (const char* piece : {"\"area\":\"boot\",", "\"bytes\":65536,\"changed\":true,",
                              "\"erase_sent\":true,\"erased\":true,", "\"outcome\":\"done\""})
        EXPECT_TRUE(Contains(result.out, piece)) << piece << " in " << result.out;
    const QJsonObject fw = LastFirmware(sim.WaitForState(
        [](const QJsonObject& s) { return LastFirmware(s).value("complete").toBool(); }));
    EXPECT_TRUE(fw.value("complete").toBool());
    EXPECT_EQ(fw.value("data_fnv1a").toString(),
              QStringLiteral("%1").arg(test::Fnv1a(image.data() + 0x1F0000, 0x10000), 8, 16, QLatin1Char('0')));
}

TEST(FirmwareCommand, DownloadToTheNewerSeriesOverTcpNeedsYesForTheBootArea) {
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--tcp", "127.0.0.1:0", "--series", "3"})) << sim.Error().toStdString();
    test::TestDir dir;
    test::WriteFile(dir / "fw.K20", test::NewSeriesImage("K22"));
    const QStringList base{"firmware", "download", "--port", "ETHERNET_II", "--ip", "127.0.0.1",
                           "--tcp-port", QString::number(sim.TcpPort()), "--device-type", "3",
                           "--area", "boot", Path(dir, "fw.K20")};
    KorvaResult declined = KorvaProcess().Run(base);
    EXPECT_EQ(declined.exitCode, 2);
    EXPECT_TRUE(Contains(declined.err, "Are you sure the Boot area download?")) << declined.err;
    EXPECT_TRUE(sim.State().value("firmware").toArray().isEmpty());

    KorvaResult done = KorvaProcess().Run(QStringList(base) << "--yes");
    EXPECT_EQ(done.exitCode, 0) << done.err;
    EXPECT_TRUE(Contains(done.err, "Update Complete.")) << done.err;
    const QJsonObject fw = LastFirmware(sim.WaitForState(
        [](const QJsonObject& s) { return LastFirmware(s).value("complete").toBool(); }));
    EXPECT_EQ(fw.value("area").toString(), "boot");
    EXPECT_TRUE(fw.value("checksum_ok").toBool());
    EXPECT_TRUE(fw.value("length_ok").toBool());
}

TEST(FirmwareCommand, DownloadRefusesBadFilesAndUsage) {
    test::TestDir dir;
    test::WriteFile(dir / "fw.K20", test::NewSeriesImage("K20"));
    KorvaResult missing = KorvaProcess().Run(
        {"firmware", "download", "--port", Path(dir, "out.prn"), "--device-type", "1", "--area", "program",
         Path(dir, "none.K20")});
    EXPECT_EQ(missing.exitCode, 3);
    EXPECT_TRUE(Contains(missing.err, "cannot read file " + Path(dir, "none.K20").toStdString()))
        << missing.err;
    EXPECT_FALSE(std::filesystem::exists(dir / "out.prn"));

    // A K20 image for a KORVA20II printer is a model mismatch: nothing is written.
    test::PtyPair line;
    ASSERT_TRUE(line.Ok());
    KorvaResult wrong = KorvaProcess().Run({"firmware", "download", "--port",
                                            QString::fromStdString(line.SlavePath()), "--device-type", "3",
                                            "--area", "program", Path(dir, "fw.K20")});
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_TRUE(Contains(wrong.err, "is a K20 image for KORVA20 printers, but the model is a KORVA20II"))
        << wrong.err;
    EXPECT_TRUE(line.Receive(1, 200).empty());

    EXPECT_EQ(KorvaProcess().Run({"firmware", "download", "--area", "program", Path(dir, "fw.K20")}).exitCode, 2);
    EXPECT_EQ(KorvaProcess().Run({"firmware", "download", "--port", "/dev/null", Path(dir, "fw.K20")}).exitCode, 2);
    EXPECT_EQ(KorvaProcess().Run({"firmware", "download", "--port", "/dev/null", "--device-type", "2", "--area",
                                  "downloader", Path(dir, "fw.K20")}).exitCode, 2);
    for (const char* type : {"1", "3"}) {
        KorvaResult font =
            KorvaProcess().Run({"firmware", "download", "--port", Path(dir, "out.prn"),
                                "--device-type", type, "--area", "font", Path(dir, "fw.K20")});
        EXPECT_EQ(font.exitCode, 2) << type;
        EXPECT_TRUE(Contains(font.err, "only KORVA10 printers")) << font.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "out.prn"));
}
