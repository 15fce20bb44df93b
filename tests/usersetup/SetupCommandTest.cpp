// `korva setup read|write|test-page` as a subprocess against korva-sim.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

#include "UserSetupTestSupport.h"
#include "cli/FakeDeviceTree.h"
#include "cli/KorvaProcess.h"
#include "support/SimHarness.h"

namespace korva::test {
namespace {

QStringList SerialArgs(const SimHarness& sim, QStringList args) {
    return args << "--port" << sim.SerialPath() << "--flow"
                << "none";
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(SetupCommand, ReadPrintsEverySettingOverSerial) {
    EnsureQtApp();
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial"})) << sim.Error().toStdString();
    KorvaProcess korva;
    const KorvaResult r = korva.Run(SerialArgs(sim, {"setup", "read"}));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(
        r.out,
        "paper-width=80\npaper-type=black\ndensity=medium\nwater-mark=disable\ncut-adjust=off\n"
        "drawer-with-cut=disable\nbell=quelm\nbell-times=3\ncode-page=0\nnv-graphic=384\nnv-user="
        "64\n"
        "cut-mode=partial\nspeed=220\nreserved=off\nself-test-drawer=disable\nstop-bits=1\n"
        "receive-buffer=4\nmargin=0\nsetup-code=0\n");
}

TEST(SetupCommand, WriteKeepsTheSettingsItDoesNotName) {
    EnsureQtApp();
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial"})) << sim.Error().toStdString();
    KorvaProcess first;
    KorvaResult r = first.Run(
        SerialArgs(sim, {"setup", "write", "setup-code=ab", "margin=24", "paper-width=58"}));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    KorvaProcess second;
    r = second.Run(SerialArgs(sim, {"setup", "write", "speed=150", "--json"}));
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "\"speed\":150")) << r.out;  // numbers as numbers
    const QJsonObject state =
        sim.WaitForState([](const QJsonObject& s) { return SimSetting(s, 249) == "150"; });
    EXPECT_EQ(SimSetting(state, 249), "150");
    EXPECT_EQ(SimSetting(state, 255), "171");  // 0xAB, from the first write
    EXPECT_EQ(SimSetting(state, 250), "24");
    EXPECT_EQ(SimSetting(state, 3), "3");  // 58 mm with the 32 columns the dialog proposes
}

TEST(SetupCommand, AnAnswerThatCannotBeReadIsNotWrittenBack) {
    EnsureQtApp();
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial"})) << sim.Error().toStdString();
    // Another program leaves a margin of 600 dots, beyond what the tool reads.
    const int fd = OpenRawTty(sim.SerialPath());
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(WriteAll(fd, Bytes("1d2845030001494e 1d2845040005fa5802 1d28450400024f5554")));
    sim.WaitForState([](const QJsonObject& s) { return SimSetting(s, 250) == "600"; });
    ::close(fd);
    KorvaProcess refused;
    KorvaResult r = refused.Run(SerialArgs(sim, {"setup", "write", "speed=150"}));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Contains(r.err, "margin (setting 250) could not be read from its answer \"600\""))
        << r.err;
    KorvaProcess named;
    r = named.Run(SerialArgs(sim, {"setup", "write", "speed=150", "margin=24"}));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const QJsonObject state =
        sim.WaitForState([](const QJsonObject& s) { return SimSetting(s, 249) == "150"; });
    EXPECT_EQ(SimSetting(state, 250), "24");
    EXPECT_EQ(SimSetting(state, 249), "150");
    ASSERT_EQ(state["received"].toArray().size(), 3);  // the other program, refused, named
    EXPECT_FALSE(SimHarness::Received(state, 1).contains(QByteArray::fromHex("1d2845030001494e")))
        << "the refused write sent no enter-setup";
}

TEST(SetupCommand, OddAnswersGoBackAsTheyWereOrShowAsUnknown) {
    EnsureQtApp();
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial", "--setting", "118=90", "--setting", "249=190", "--setting",
                           "2=0", "--setting", "1=9", "--setting", "251=x", "--setting",
                           "250=600"}))
        << sim.Error().toStdString();
    KorvaProcess read;
    const KorvaResult before = read.Run(SerialArgs(sim, {"setup", "read"}));
    EXPECT_EQ(before.exitCode, 4) << before.err;  // read, with unknowns
    EXPECT_EQ(before.out,
              "paper-width=80\npaper-type=black\ndensity=90\nwater-mark=disable\ncut-adjust=off\n"
              "drawer-with-cut=disable\nbell=quelm\nbell-times=3\ncode-page=0\nnv-graphic=unknown\n"
              "nv-user=unknown\ncut-mode=partial\nspeed=190\nreserved=off\n"
              "self-test-drawer=unknown\nstop-bits=1\nreceive-buffer=4\nmargin=unknown\n"
              "setup-code=0\n");
    EXPECT_TRUE(Contains(before.err, "margin (setting 250) answered \"600\"")) << before.err;
    KorvaProcess json;
    KorvaResult r = json.Run(SerialArgs(sim, {"setup", "read", "--json"}));
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_TRUE(Contains(r.out, "\"margin\":\"unknown\"")) << r.out;
    EXPECT_TRUE(Contains(r.out, "\"speed\":190")) << r.out;

    // The round trip refuses the unknowns; skipping them still leaves the
    // margin, which every write carries.
    QStringList roundTrip{"setup", "write"};
    for (const QString& line : QString::fromStdString(before.out).split('\n', Qt::SkipEmptyParts))
        roundTrip << line;
    KorvaProcess refused;
    r = refused.Run(SerialArgs(sim, roundTrip));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(Contains(r.err, "nv-graphic=unknown")) << r.err;
    KorvaProcess skipped;
    r = skipped.Run(SerialArgs(sim, roundTrip << "--skip-unknown"));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Contains(r.err, "margin (setting 250) could not be read from its answer \"600\""))
        << r.err;

    // Naming the margin writes it; every other answer stays as the printer gave it.
    KorvaProcess write;
    r = write.Run(SerialArgs(sim, {"setup", "write", "margin=3"}));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const QJsonObject state =
        sim.WaitForState([](const QJsonObject& s) { return SimSetting(s, 250) == "3"; });
    EXPECT_EQ(SimSetting(state, 118), "90");
    EXPECT_EQ(SimSetting(state, 249), "190");
    EXPECT_EQ(SimSetting(state, 2), "0");
    EXPECT_EQ(SimSetting(state, 1), "9");
    EXPECT_EQ(SimSetting(state, 251), "x");
}

TEST(SetupCommand, TheReadBackNamesWhatThePrinterDidNotTake) {
    EnsureQtApp();
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial", "--keep-setting", "249"})) << sim.Error().toStdString();
    KorvaProcess verified;
    KorvaResult r = verified.Run(SerialArgs(sim, {"setup", "write", "speed=150", "margin=8"}));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Contains(r.err, "speed: written 150, the printer has 220")) << r.err;
    EXPECT_FALSE(Contains(r.err, "margin")) << r.err;  // taken
    KorvaProcess unverified;
    r = unverified.Run(SerialArgs(sim, {"setup", "write", "speed=150", "--no-verify"}));
    EXPECT_EQ(r.exitCode, 0) << r.err;
}

TEST(SetupCommand, ProfileListsAndAnotherPrintersSettings) {
    EnsureQtApp();
    SimHarness from, to;
    ASSERT_TRUE(from.Start({"--serial"})) << from.Error().toStdString();
    ASSERT_TRUE(to.Start({"--serial"})) << to.Error().toStdString();
    // A profile with a code page of its own, where the dialog reads it too.
    QTemporaryDir config;
    ASSERT_TRUE(QDir(config.path()).mkpath("korvatool"));
    QFile ini(config.filePath("korvatool/KorvaTool.INI"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[USER]\r\nCodePage0=0|PC437\r\nCodePage1=7|Custom\r\n");
    ini.close();
    auto korva = [&](const SimHarness& sim, QStringList args) {
        KorvaProcess process;
        process.SetEnv("XDG_CONFIG_HOME", config.path());
        return process.Run(SerialArgs(sim, args));
    };
    KorvaResult r = korva(from, {"setup", "write", "code-page=7", "paper-width=58", "columns=30",
                                 "bell=melody2", "speed=180", "margin=24", "setup-code=ab"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = korva(from, {"setup", "read", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    QTemporaryDir dir;
    QFile saved(dir.filePath("printer.json"));
    ASSERT_TRUE(saved.open(QIODevice::WriteOnly));
    saved.write(QByteArray::fromStdString(r.out));
    saved.close();

    r = korva(to, {"setup", "write", "--from", saved.fileName()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QJsonObject original = from.State(), copy = to.WaitForState([](const QJsonObject&s) {
        return SimSetting(s, 255) == "171";
    });
    EXPECT_EQ(copy["settings"].toObject(), original["settings"].toObject());
    EXPECT_EQ(SimSetting(copy, 246), "7");
    EXPECT_EQ(SimSetting(copy, 3), "2");  // 58 mm, 30 columns

    // The same checks as NAME=VALUE: a bad value in the file sends nothing.
    saved.open(QIODevice::WriteOnly);
    saved.write(R"({"settings":{"speed":"190","margin":"0"}})");
    saved.close();
    r = korva(to, {"setup", "write", "--from", saved.fileName()});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(Contains(r.err, "speed takes 220|200|180|150")) << r.err;
    EXPECT_EQ(to.State()["received"].toArray().size(), 1);
    const struct {
        const char* json;
        int exitCode;
        const char* says;
    } files[] = {
        {R"({"settings":{"nv-graphic":384,"nv-user":128}})", 3, "Total NV Memory Size 448KB"},
        {R"({"settings":{"margin":"unknown"}})", 3, "--skip-unknown"},
        {R"({"settings":{"reserved":"on","margin":5}})", 0,
         "reserved=on cannot be written; the printer keeps reserved=off"},
    };
    for (const auto& file : files) {
        saved.open(QIODevice::WriteOnly);
        saved.write(file.json);
        saved.close();
        r = korva(to, {"setup", "write", "--from", saved.fileName()});
        EXPECT_EQ(r.exitCode, file.exitCode) << file.json;
        EXPECT_TRUE(Contains(r.err, file.says)) << r.err;
    }
    EXPECT_EQ(to.State()["received"].toArray().size(), 2);  // the refused files sent nothing
}

TEST(SetupCommand, WhatReadPrintsWriteTakesBackUnchanged) {
    EnsureQtApp();
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial"})) << sim.Error().toStdString();
    KorvaProcess read;
    const KorvaResult before = read.Run(SerialArgs(sim, {"setup", "read"}));
    ASSERT_EQ(before.exitCode, 0) << before.err;
    // korva setup write $(korva setup read): the read-only reserved=off and
    // the unchanged stop-bits=1 pass without a word.
    QStringList write{"setup", "write"};
    for (const QString& line : QString::fromStdString(before.out).split('\n', Qt::SkipEmptyParts))
        write << line;
    KorvaProcess korva;
    const KorvaResult r = korva.Run(SerialArgs(sim, write));
    EXPECT_EQ(r.exitCode, 0) << r.err;
    // The printer holds every value already: nothing is sent, and it says so.
    EXPECT_EQ(r.err, "korva setup write: the printer holds these settings already; nothing was written\n");
    EXPECT_EQ(r.out, before.out);
    for (const QJsonValue& event : sim.State()["events"].toArray())
        EXPECT_FALSE(event.toString().contains("setup mode")) << event.toString().toStdString();
    KorvaProcess again;
    EXPECT_EQ(again.Run(SerialArgs(sim, {"setup", "read"})).out, before.out);
}

TEST(SetupCommand, BadValuesAreRefusedBeforeAnythingIsSent) {
    EnsureQtApp();
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial"})) << sim.Error().toStdString();
    for (const QString bad :
         {"speed=190", "margin=513", "setup-code=G1", "colour=red", "reserved=on"}) {
        KorvaProcess korva;
        const KorvaResult r = korva.Run(SerialArgs(sim, {"setup", "write", bad}));
        EXPECT_EQ(r.exitCode, 2) << bad.toStdString();
        EXPECT_TRUE(Contains(r.err, "Try 'korva setup write --help'.")) << r.err;
    }
    // Without a read, settings that go together must be named together.
    const struct {
        QStringList words;
        const char* says;
    } alone[] = {
        {{"density=dark"}, "density needs paper-type"},
        {{"paper-type=2color"}, "paper-type needs density"},
        {{"bell-times=2"}, "bell-times needs bell"},
        {{"paper-width=58"}, "paper-width=58 needs columns=30|32"},
        {{"nv-user=320"}, "nv-user needs nv-graphic"},
    };
    for (const auto& row : alone) {
        KorvaProcess korva;
        const KorvaResult r =
            korva.Run(SerialArgs(sim, QStringList{"setup", "write", "--no-read"} + row.words));
        EXPECT_EQ(r.exitCode, 2) << row.says;
        EXPECT_TRUE(Contains(r.err, row.says)) << r.err;
    }
    // A column count is for 58 mm paper; with 80 mm paper it is refused, not dropped.
    const struct {
        QStringList words;
        const char* says;
    } columns[] = {
        {{"columns=30"}, "columns=30 is for 58 mm paper, and the printer's paper is 80 mm"},
        {{"paper-width=80", "columns=32"}, "columns=32 is for 58 mm paper, and paper-width=80"},
    };
    for (const auto& row : columns) {
        KorvaProcess korva;
        const KorvaResult r = korva.Run(SerialArgs(sim, QStringList{"setup", "write"} + row.words));
        EXPECT_EQ(r.exitCode, 2) << row.says;
        EXPECT_TRUE(Contains(r.err, row.says)) << r.err;
    }
    KorvaProcess memory;
    const KorvaResult r = memory.Run(SerialArgs(sim, {"setup", "write", "nv-user=128"}));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(Contains(r.err, "Out of range the MAX NV memory Size!")) << r.err;
    EXPECT_TRUE(Contains(r.err, "Total NV Memory Size 448KB")) << r.err;
    const QJsonObject state = sim.State();
    EXPECT_EQ(SimSetting(state, 1), "1");  // still 64 KByte: no set-values reached it
    const QJsonArray received = state["received"].toArray();
    for (int i = 0; i < received.size(); ++i)  // no enter-setup on any connection
        EXPECT_FALSE(
            SimHarness::Received(state, i).contains(QByteArray::fromHex("1d2845030001494e")));
}

TEST(SetupCommand, EthernetReadAsJsonAndTestPage) {
    EnsureQtApp();
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--tcp", "127.0.0.1:0"})) << sim.Error().toStdString();
    const QStringList ethernet{"--port",    "ETHERNET_II", "--ip",
                               "127.0.0.1", "--tcp-port",  QString::number(sim.TcpPort())};
    KorvaProcess read;
    KorvaResult r = read.Run(QStringList{"setup", "read", "--json"} << ethernet);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const QJsonObject json = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
    EXPECT_EQ(json["outcome"], "done") << r.out;
    EXPECT_EQ(json["settings"]["paper-width"], 80) << r.out;
    // Not asked over Ethernet: not a setting read, but one the printer takes unreported.
    EXPECT_FALSE(json["settings"].toObject().contains("stop-bits")) << r.out;
    EXPECT_EQ(json["write_only"], QJsonArray({"stop-bits"})) << r.out;
    KorvaProcess test;
    r = test.Run(QStringList{"setup", "test-page"} << ethernet);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const QJsonObject state =
        sim.WaitForState([](const QJsonObject& s) { return s.value("cuts").toInt() >= 1; });
    EXPECT_EQ(state.value("cuts").toInt(), 1);
}

TEST(SetupCommand, EthernetWriteFailsWhenTheLinkDropsAfterEnterSetup) {
    EnsureQtApp();
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--tcp", "127.0.0.1:0", "--disconnect-after-bytes", "8"}))
        << sim.Error().toStdString();
    KorvaProcess write;
    const KorvaResult r = write.Run({"setup", "write", "--no-read", "speed=150", "--port",
                                     "ETHERNET_II", "--ip", "127.0.0.1", "--tcp-port",
                                     QString::number(sim.TcpPort())});
    EXPECT_EQ(r.exitCode, 1) << r.out;
    EXPECT_TRUE(Contains(r.err, "ERROR : Write Fail!")) << r.err;
    const QJsonObject state =
        sim.WaitForState([](const QJsonObject& s) { return SimHarness::Received(s, 0).size() >= 8; });
    EXPECT_EQ(SimHarness::Received(state, 0), QByteArray::fromHex("1d2845030001494e"));
    EXPECT_NE(SimSetting(state, 249), "150");
}

TEST(SetupCommand, UsbReadUndoesTheEscaping) {
    EnsureQtApp();
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial", "--usb-escape"})) << sim.Error().toStdString();
    FakeDeviceTree tree;
    tree.AddUsbPrinter(1, "7f3d", "0101", "0100", sim.SerialPath().toStdString());
    KorvaProcess korva;
    tree.Apply(korva);
    const KorvaResult r = korva.Run({"setup", "read", "--port", "USB", "--device-type", "1"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "stop-bits=1\n")) << r.out;
    EXPECT_TRUE(Contains(r.out, "nv-graphic=384\n")) << r.out;
}

TEST(SetupCommand, ParallelReadThroughTheParallelPortControl) {
    EnsureQtApp();
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial", "--parallel-status"})) << sim.Error().toStdString();
    FakeDeviceTree tree;
    std::filesystem::create_symlink(sim.SerialPath().toStdString(), tree.Dev() / "parport0");
    KorvaProcess korva;
    tree.Apply(korva);
    // Every reply is in before the first completion check at 3 s.
    const KorvaResult r =
        korva.Run({"setup", "read", "--port", "LPT1", "--timeout", "3000", "--json"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(Contains(r.out, "\"nv-graphic\":384")) << r.out;
    // Not asked on a parallel port: listed as write-only, not as a setting read.
    EXPECT_FALSE(Contains(r.out, "\"stop-bits\":")) << r.out;
    EXPECT_TRUE(Contains(r.out, "\"write_only\":[\"stop-bits\"]")) << r.out;
}

TEST(SetupCommand, SilentPrinterAndMissingPort) {
    EnsureQtApp();
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial", "--drop-answer-after", "0"})) << sim.Error().toStdString();
    KorvaProcess silent;
    KorvaResult r = silent.Run(SerialArgs(sim, {"setup", "read", "--timeout", "300"}));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Contains(r.err, "no answer for settings 3 116")) << r.err;
    KorvaProcess usage;
    r = usage.Run({"setup", "read"});
    EXPECT_EQ(r.exitCode, 2);
    KorvaProcess korva10;
    r = korva10.Run(SerialArgs(sim, {"setup", "read", "--model", "KORVA10S"}));
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(Contains(r.err, "no user setup")) << r.err;
    KorvaProcess absent;
    r = absent.Run({"setup", "test-page", "--port", "/nonexistent/tty"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(Contains(r.err, "Init Fail")) << r.err;
}

}  // namespace
}  // namespace korva::test
