// The NV upload end to end: real bitmap files, the real port objects, and
// korva-sim as the printer over a pty and over loopback TCP.
#include <QFile>
#include <QJsonArray>
#include <QProcess>
#include <cerrno>
#include <csignal>
#include <filesystem>

#include "LogoE2E.h"
#include "base/EventLoopClock.h"
#include "profile/MemoryProfile.h"
#include "base/Messages.h"
#include "logo/LogoOptions.h"
#include "logo/NvUpload.h"
#include "logo/UploadConverter.h"
#include "port/PortFailures.h"
#include "port/PrinterSocket.h"
#include "port/TcpStream.h"
#include "support/RecordedMessages.h"

using namespace korva;
using namespace korva::test;
using Outcome = logo::NvUpload::Outcome;

namespace {

QJsonObject Image(int number, int width, int height, int bytes) {
    return {{"number", number}, {"width", width}, {"height", height}, {"gray", false},
            {"bytes", bytes}};
}

class LogoUploadE2E : public ::testing::Test {
protected:
    void SetUp() override { EnsureQtApp(); }

    /// Lists logos 1 (100 x 30 -> 104 x 32) and 2 (512 x 8).
    void ListExample() {
        entries = {{1, "one.bmp", WritePatternBmp(dir, "one.bmp", 100, 30), 416, false},
                   {2, "two.bmp", WritePatternBmp(dir, "two.bmp", 512, 8), 512, false}};
    }
    QByteArray ExampleImages() const {
        return Bytes("0d 00 04 00") + PatternRaster(100, 30) + Bytes("40 00 01 00") +
               PatternRaster(512, 8);
    }
    Outcome Upload(port::ByteStream& stream, base::Clock& clock,
                   const std::function<void(logo::NvUpload&)>& between = {}) {
        logo::NvUploadSettings settings;
        settings.profile = &profile;
        settings.savedKeyCount = 1;
        logo::NvUpload upload(stream, clock, log, entries, logo::MakeBitmapConverter({}),
                              settings);
        base::RunSteps(upload, clock, [&] {
            if (between) between(upload);
        });
        return upload.GetOutcome();
    }
    QJsonObject WaitForImages(int count) {
        return sim.WaitForState(
            [count](const QJsonObject& s) { return s["nv_images"].toArray().size() == count; });
    }

    TestDir dir;
    SimHarness sim;
    base::CErrorLog log;
    profile::MemoryProfile profile{"[LOGO]\nLogofile1=/old/one.bmp\n"};
    RecordedMessages messages;  // answers Yes
    std::vector<logo::UploadEntry> entries;
};

TEST_F(LogoUploadE2E, TwoLogosOverSerialAreStoredAsTheExampleStream) {
    ASSERT_TRUE(sim.Start({"--serial"})) << sim.Error().toStdString();
    ListExample();
    auto port = SimSerialPort(sim, log);
    EXPECT_EQ(Upload(*port, base::DefaultClock()), Outcome::Completed);

    // Ends with the printer-ID request the printer answered after storing them.
    const QByteArray stream = Bytes("1d 49 01 1d 28 45 02 00 06 02 1b 40 1c 71 02") + ExampleImages() + Bytes("1d 49 01");
    const QJsonObject state = sim.WaitForState(
        [&](const QJsonObject& s) { return SimHarness::Received(s, 0).size() >= stream.size(); });
    EXPECT_EQ(SimHarness::Received(state, 0), stream);
    EXPECT_TRUE(port->LinkFault() == base::Reason::None);
    const QJsonArray images = state["nv_images"].toArray();
    ASSERT_EQ(images.size(), 2);
    EXPECT_EQ(images[0].toObject(), Image(1, 104, 32, 416));
    EXPECT_EQ(images[1].toObject(), Image(2, 512, 8, 512));
    EXPECT_EQ(messages.Texts().back(), base::Message(base::kMsgNvDefinitionComplete));
    EXPECT_EQ(profile.GetString("LOGO", "Logofile2"), entries[1].path);
    EXPECT_FALSE(port->IsOpen());
}

TEST_F(LogoUploadE2E, TwoLogosOverLoopbackTcp) {
    ASSERT_TRUE(sim.Start({"--tcp", "127.0.0.1:0"})) << sim.Error().toStdString();
    ListExample();
    port::CPrinterSocket socket;
    port::TcpStream link(socket, "127.0.0.1", sim.TcpPort());
    base::EventLoopClock clock;
    const int64_t start = clock.NowMs();
    EXPECT_EQ(Upload(link, clock), Outcome::Completed);
    EXPECT_GE(clock.NowMs() - start, 5000);  // the longer erase wait of Ethernet printers

    const QByteArray stream = Bytes("1d 28 45 02 00 06 02 1c 71 02") + ExampleImages() + Bytes("1d 49 01");
    const QJsonObject state = sim.WaitForState(
        [&](const QJsonObject& s) { return SimHarness::Received(s, 0).size() >= stream.size(); });
    EXPECT_EQ(SimHarness::Received(state, 0), stream);
    const QJsonArray images = state["nv_images"].toArray();
    ASSERT_EQ(images.size(), 2);
    EXPECT_EQ(images[0].toObject(), Image(1, 104, 32, 416));
    EXPECT_EQ(images[1].toObject(), Image(2, 512, 8, 512));
}

TEST_F(LogoUploadE2E, TwoLogosToAFileGiveTheExampleStream) {
    ListExample();
    port::CPorts ports(log);
    ports.m_PortName = "FILE";
    const std::string out = (dir / "logos.prn").string();
    ports.SetFileNameChooser([out] { return std::optional<std::string>(out); });
    EXPECT_EQ(Upload(ports, base::DefaultClock()), Outcome::Completed);
    EXPECT_FALSE(ports.IsOpen());
    QFile file(QString::fromStdString(out));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    // No printer check and no ESC @ in a file: the definition alone.
    EXPECT_EQ(file.readAll().toHex(' ').toStdString(),
              (Bytes("1c 71 02") + ExampleImages()).toHex(' ').toStdString());
    EXPECT_EQ(profile.GetString("LOGO", "Logofile1"), entries[0].path);
}

TEST_F(LogoUploadE2E, CancelDuringImageTwoOfFiveLeavesThreeEmptyHeaders) {
    ASSERT_TRUE(sim.Start({"--serial"})) << sim.Error().toStdString();
    for (int n = 1; n <= 5; ++n) {
        const std::string name = "logo" + std::to_string(n) + ".bmp";
        entries.push_back({n, name, WritePatternBmp(dir, name, 64, 16), 128, false});
    }
    auto port = SimSerialPort(sim, log);
    const Outcome outcome = Upload(*port, base::DefaultClock(), [](logo::NvUpload& upload) {
        if (upload.Progress().imagesBegun == 2) upload.Cancel();
    });
    EXPECT_EQ(outcome, Outcome::Cancelled);

    const QJsonObject state = WaitForImages(2);
    const QByteArray image = Bytes("08 00 02 00") + PatternRaster(64, 16);
    EXPECT_EQ(SimHarness::Received(state, 0),
              Bytes("1d 49 01 1d 28 45 02 00 06 02 1b 40 1c 71 05") + image + image + Bytes("00000000 00000000 00000000"));
    EXPECT_EQ(state["nv_images"].toArray().size(), 2);
    EXPECT_EQ(profile.Text(), "[LOGO]\r\nLogofile1=/old/one.bmp\r\n");
}

TEST_F(LogoUploadE2E, APrinterThatNeverAnswersTheProbesGivesPortOpen) {
    // A loopback port that was just free: nothing listens there.
    ASSERT_TRUE(sim.Start({"--tcp", "127.0.0.1:0"})) << sim.Error().toStdString();
    const quint16 deadPort = sim.TcpPort();
    sim.Stop();
    ListExample();
    port::CPrinterSocket socket;
    std::vector<int> waits;
    socket.SetWaiter([&waits](int ms) {
        waits.push_back(ms);
        base::EventLoopClock().SleepMs(ms);
    });
    port::TcpStream link(socket, "127.0.0.1", deadPort);
    base::EventLoopClock clock;
    EXPECT_EQ(Upload(link, clock), Outcome::PortOpenFailed);
    EXPECT_EQ(waits, std::vector<int>(10, 50));  // ten probes, 50 ms apart
    ASSERT_EQ(messages.Boxes().size(), 2u);
    EXPECT_EQ(messages.Boxes()[1].text, "ERROR : Port open.\r\n" + port::ConnectFailureDetail(ECONNREFUSED));
    EXPECT_EQ(messages.Boxes()[1].style, base::MsgStyle::Ok);
    EXPECT_FALSE(link.IsOpen());
}

TEST_F(LogoUploadE2E, AnEraseGivesAnEthernetPrinterOneProbeAndNamesTheError) {
    ASSERT_TRUE(sim.Start({"--tcp", "127.0.0.1:0"})) << sim.Error().toStdString();
    const quint16 deadPort = sim.TcpPort();
    sim.Stop();
    port::CPrinterSocket socket;
    std::vector<int> waits;
    socket.SetWaiter([&waits](int ms) {
        waits.push_back(ms);
        base::EventLoopClock().SleepMs(ms);
    });
    port::TcpStream link(socket, "127.0.0.1", deadPort);
    base::EventLoopClock clock;
    EXPECT_EQ(Upload(link, clock), Outcome::PortOpenFailed);  // the list is empty: erase
    EXPECT_EQ(waits, std::vector<int>{100});  // close, create, connect, 100 ms, one probe
    ASSERT_EQ(messages.Boxes().size(), 2u);
    EXPECT_EQ(messages.Boxes()[1].text, "ERROR[" + std::to_string(ECONNREFUSED) +
                                            "] - Open port or file.\r\n" + port::ConnectFailureDetail(ECONNREFUSED));
    EXPECT_EQ(messages.Boxes()[1].style, base::MsgStyle::Ok);
    EXPECT_FALSE(link.IsOpen());
}

TEST_F(LogoUploadE2E, AFileDeletedBeforeUploadSendsNothingAndIsNamed) {
    ASSERT_TRUE(sim.Start({"--serial"})) << sim.Error().toStdString();
    ListExample();
    std::filesystem::remove(entries[1].path);
    auto port = SimSerialPort(sim, log);
    EXPECT_EQ(Upload(*port, base::DefaultClock()), Outcome::FileUnreadable);
    EXPECT_EQ(messages.Texts().back(), "File open error!!\r\n(" + entries[1].path + ")");
    EXPECT_FALSE(port->IsOpen());
    // Give a stray byte time to arrive, then check none did.
    const QJsonObject state =
        sim.WaitForState([](const QJsonObject& s) { return !s["received"].toArray().isEmpty(); }, 500);
    EXPECT_TRUE(SimHarness::Received(state, 0).isEmpty());
}

TEST_F(LogoUploadE2E, LogosThatCentringWidensPastTheNvAreaSendNothing) {
    ASSERT_TRUE(sim.Start({"--serial"})) << sim.Error().toStdString();
    // Listed at 10,944 bytes each; centred in 512 dots (288 dots wide) they
    // need 49,248 each, 393,984 in all: more than the 393,216 of the NV area.
    for (int n = 1; n <= 8; ++n) {
        const std::string name = "narrow" + std::to_string(n) + ".bmp";
        entries.push_back({n, name, WritePatternBmp(dir, name, 64, 1368), 10944, true});
    }
    auto port = SimSerialPort(sim, log);
    EXPECT_EQ(Upload(*port, base::DefaultClock()), Outcome::NvAreaTooSmall);
    EXPECT_EQ(messages.Texts().back(), std::string(base::Message(base::kMsgNvAreaTooSmall)) +
                                           "\r\n(The logos need 393984 bytes; at most 384 KByte.)");
    EXPECT_EQ(profile.Text(), "[LOGO]\r\nLogofile1=/old/one.bmp\r\n");
    const QJsonObject state = sim.WaitForState(
        [](const QJsonObject& s) { return !s["received"].toArray().isEmpty(); }, 500);
    EXPECT_TRUE(SimHarness::Received(state, 0).isEmpty());
    EXPECT_TRUE(state["nv_images"].toArray().isEmpty());
}

TEST_F(LogoUploadE2E, LogosBeyondThePrintersOwnNvSizeSendNothing) {
    // The printer holds 64 KByte of NV graphics; two logos of 51,200 bytes fit
    // into the 384 KByte there can be, not into this printer.
    ASSERT_TRUE(sim.Start({"--serial", "--tcp", "127.0.0.1:0", "--setting", "2=2"}))
        << sim.Error().toStdString();
    for (int n = 1; n <= 2; ++n) {
        const std::string name = "tall" + std::to_string(n) + ".bmp";
        entries.push_back({n, name, WritePatternBmp(dir, name, 512, 800), 51200, false});
    }
    const std::string refused = std::string(base::Message(base::kMsgNvAreaTooSmall)) +
                                "\r\n(The logos need 102400 bytes; the printer's NV graphics "
                                "memory holds 64 KByte.)";
    auto port = SimSerialPort(sim, log);
    EXPECT_EQ(Upload(*port, base::DefaultClock()), Outcome::NvAreaTooSmall);
    EXPECT_EQ(messages.Texts().back(), refused);
    port::CPrinterSocket socket;
    port::TcpStream link(socket, "127.0.0.1", sim.TcpPort());
    base::EventLoopClock clock;
    EXPECT_EQ(Upload(link, clock), Outcome::NvAreaTooSmall);
    EXPECT_EQ(messages.Texts().back(), refused);
    const QJsonObject state = sim.WaitForState(
        [](const QJsonObject& s) { return s["received"].toArray().size() == 2; });
    EXPECT_EQ(SimHarness::Received(state, 0), Bytes("1d 49 01 1d 28 45 02 00 06 02"));
    EXPECT_EQ(SimHarness::Received(state, 1), Bytes("1d 28 45 02 00 06 02"));
    EXPECT_TRUE(state["nv_images"].toArray().isEmpty());
    EXPECT_EQ(profile.Text(), "[LOGO]\r\nLogofile1=/old/one.bmp\r\n");
}

TEST_F(LogoUploadE2E, CommandLineUploadOverPtyAndTcp) {
    ASSERT_TRUE(sim.Start({"--serial", "--tcp", "127.0.0.1:0"})) << sim.Error().toStdString();
    ListExample();
    std::string err;
    ASSERT_EQ(RunKorva(dir, "logo upload --port " + sim.SerialPath().toStdString() +
                                " --baud 115200 --flow none one.bmp two.bmp", &err), 0) << err;
    // Both end with the printer-ID request the printer answered.
    const QByteArray upload = Bytes("1d 49 01 1d 28 45 02 00 06 02 1b 40 1c 71 02") + ExampleImages() + Bytes("1d 49 01");
    QJsonObject state = sim.WaitForState(
        [&](const QJsonObject& s) { return SimHarness::Received(s, 0).size() >= upload.size(); });
    EXPECT_EQ(SimHarness::Received(state, 0), upload);

    ASSERT_EQ(RunKorva(dir, "logo erase --port ETHERNET_II --ip 127.0.0.1 --tcp-port " +
                                std::to_string(sim.TcpPort()), &err), 0) << err;
    const QByteArray erase = Bytes("1c 71 01 00 00 00 00 1d 49 01");
    state = sim.WaitForState([&](const QJsonObject& s) {
        return s["nv_images"].toArray().isEmpty() && SimHarness::Received(s, 1).size() >= erase.size();
    });
    EXPECT_EQ(SimHarness::Received(state, 1), erase);
}

TEST_F(LogoUploadE2E, ASecondCtrlCEndsTheCancelWaitAtOnceAndSaysWhatThePrinterMayHold) {
    ASSERT_TRUE(sim.Start({"--serial"})) << sim.Error().toStdString();
    WritePatternBmp(dir, "a.bmp", 512, 800);  // 51,200 bytes: a cancel then waits 102 s
    WritePatternBmp(dir, "b.bmp", 512, 800);
    QProcess korva;
    korva.setWorkingDirectory(QString::fromStdString(dir.path().string()));
    korva.setProgram(KORVA_BIN_DIR "/korva");
    korva.setArguments({"logo", "upload", "--port", sim.SerialPath(), "--baud", "115200", "--flow",
                        "none", "a.bmp", "b.bmp"});
    korva.start();
    ASSERT_TRUE(korva.waitForStarted());
    sim.WaitForState([](const QJsonObject& s) {
        const QJsonArray received = s["received"].toArray();
        return !received.isEmpty() && received[0].toObject()["byte_count"].toInt() > 10000;
    });
    ::kill(static_cast<pid_t>(korva.processId()), SIGINT);  // cancel: image 1 still finishes
    WaitForImages(1);
    EXPECT_FALSE(korva.waitForFinished(500)) << "the first Ctrl-C waits for the printer";
    ::kill(static_cast<pid_t>(korva.processId()), SIGINT);
    ASSERT_TRUE(korva.waitForFinished(3000));
    EXPECT_EQ(korva.exitCode(), 130);
    const std::string err = korva.readAllStandardError().toStdString();
    EXPECT_NE(err.find("korva logo upload: second signal: ended at once; the printer may hold logo 1 of this "
                       "upload and may still wait for the rest of its definition"),
              std::string::npos)
        << err;
    const QJsonObject state = WaitForImages(1);
    EXPECT_EQ(SimHarness::Received(state, 0),
              Bytes("1d 49 01 1d 28 45 02 00 06 02 1b 40 1c 71 02 40 00 64 00") + PatternRaster(512, 800));
}

}  // namespace
