// Both firmware engines against korva-sim: the older loader over a pty with
// its answers and injected faults, the newer one over a pty and loopback TCP.
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonDocument>
#include <gtest/gtest.h>

#include "base/EventLoopClock.h"
#include "base/StepEngine.h"
#include "firmware/FirmwareImages.h"
#include "firmware/NewDownload.h"
#include "firmware/OldDownload.h"
#include "port/PortFailures.h"
#include "port/Ports.h"
#include "port/PrinterSocket.h"
#include "port/TcpStream.h"
#include "support/RecordedMessages.h"
#include "support/SimHarness.h"
#include "support/TestDir.h"

using namespace korva;
using namespace korva::firmware;
using korva::test::RecordedMessages;
using korva::test::SimHarness;

namespace {

void EnsureQtApp() {
    static int argc = 1;
    static char name[] = "test_firmware";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) new QCoreApplication(argc, argv);
}

std::unique_ptr<port::CPorts> SimPort(const SimHarness& sim, base::CErrorLog& log, int deviceType) {
    auto ports = std::make_unique<port::CPorts>(log);
    ports->m_PortName = sim.SerialPath().toStdString();
    ports->m_BaudRate = 115200;
    ports->m_DataBits = 8;
    ports->m_Parity = port::kParityNone;
    ports->m_StopBits = port::kStopBits1;
    ports->m_FlowControl = port::kFlowNone;
    ports->m_DeviceType = deviceType;
    ports->m_CurrentTool = port::kToolFirmware;  // with device type 2: the watch thread reads answers
    return ports;
}

QJsonObject LastFirmware(const QJsonObject& state) {
    const QJsonArray list = state.value("firmware").toArray();
    return list.isEmpty() ? QJsonObject() : list.last().toObject();
}

QString Fnv(const std::vector<uint8_t>& bytes, size_t from, size_t to) {
    return QStringLiteral("%1").arg(test::Fnv1a(bytes.data() + from, to - from), 8, 16, QLatin1Char('0'));
}

struct OldRun {
    test::TestDir dir;
    base::CErrorLog log;
    base::RealClock clock;
    std::vector<uint8_t> image = test::PatternImage(0x200000, 11);
    OldFirmwareDownload::Outcome outcome = OldFirmwareDownload::Outcome::None;
    int resends = 0;

    void Download(const SimHarness& sim, OldArea area, int answerTimeoutMs = 3000) {
        test::WriteFile(dir / "fw.bin", image);
        auto ports = SimPort(sim, log, 2);
        OldDownloadSettings settings;
        settings.path = (dir / "fw.bin").string();
        settings.area = area;
        settings.answerTimeoutMs = answerTimeoutMs;
        OldFirmwareDownload engine(*ports, clock, log, settings);
        base::RunSteps(engine, clock);
        outcome = engine.GetOutcome();
        resends = engine.Progress().resends;
    }
};

}  // namespace

TEST(FirmwareSim, OlderSeriesBootAreaOverSerial) {
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial", "--series", "2"})) << sim.Error().toStdString();
    RecordedMessages messages;
    OldRun run;
    run.Download(sim, OldArea::Boot);
    EXPECT_EQ(run.outcome, OldFirmwareDownload::Outcome::Completed);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"COMPLETED"});
    const auto state = sim.WaitForState([](const QJsonObject& s) { return LastFirmware(s).value("complete").toBool(); });
    const QJsonObject fw = LastFirmware(state);
    EXPECT_EQ(fw.value("area").toString(), "boot");
    EXPECT_TRUE(fw.value("complete").toBool());
    EXPECT_TRUE(fw.value("length_ok").toBool());
    EXPECT_TRUE(fw.value("checksum_ok").toBool());
    EXPECT_EQ(fw.value("naks").toInt(), 0);
    EXPECT_EQ(fw.value("data_fnv1a").toString(), Fnv(run.image, 0x1F0000, 0x200000));
}

TEST(FirmwareSim, OlderSeriesResendsWhatThePrinterRefuses) {
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial", "--series", "2", "--nak-every", "7"})) << sim.Error().toStdString();
    RecordedMessages messages;
    OldRun run;
    run.Download(sim, OldArea::Font);
    EXPECT_EQ(run.outcome, OldFirmwareDownload::Outcome::Completed);
    const auto state = sim.WaitForState([](const QJsonObject& s) { return LastFirmware(s).value("complete").toBool(); });
    const QJsonObject fw = LastFirmware(state);
    EXPECT_EQ(fw.value("area").toString(), "font");
    EXPECT_TRUE(fw.value("length_ok").toBool());
    EXPECT_GT(fw.value("naks").toInt(), 0);
    EXPECT_EQ(fw.value("naks").toInt(), run.resends);
    EXPECT_EQ(fw.value("data_fnv1a").toString(), Fnv(run.image, 0x190000, 0x1B0000));
}

TEST(FirmwareSim, OlderSeriesStopsWhenAnswersStopOrTheLineHangsUp) {
    {
        SimHarness sim;
        ASSERT_TRUE(sim.Start({"--serial", "--series", "2", "--drop-answer-after", "20"}))
            << sim.Error().toStdString();
        RecordedMessages messages;
        OldRun run;
        run.Download(sim, OldArea::Boot, 1500);
        EXPECT_EQ(run.outcome, OldFirmwareDownload::Outcome::NoAnswer);
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{"ERROR : Receive data."});
        EXPECT_FALSE(LastFirmware(sim.State()).value("complete").toBool());
    }
    {
        SimHarness sim;
        ASSERT_TRUE(sim.Start({"--serial", "--series", "2", "--disconnect-after-bytes", "5000"}))
            << sim.Error().toStdString();
        RecordedMessages messages;
        OldRun run;
        // The hang-up ends the run at once, long before this answer time-out.
        run.Download(sim, OldArea::Boot, 600'000);
        EXPECT_TRUE(run.outcome == OldFirmwareDownload::Outcome::NoAnswer ||
                    run.outcome == OldFirmwareDownload::Outcome::WriteFailed)
            << static_cast<int>(run.outcome);
        ASSERT_EQ(messages.Texts().size(), 1u);
        EXPECT_NE(messages.Texts()[0].find(port::kTextHungUp), std::string::npos)
            << messages.Texts()[0];
        EXPECT_FALSE(LastFirmware(sim.State()).value("complete").toBool());
    }
}

TEST(FirmwareSim, NewerSeriesBootAreaOverSerial) {
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial", "--series", "1"})) << sim.Error().toStdString();
    RecordedMessages messages(base::MsgAnswer::Yes);
    test::TestDir dir;
    const auto image = test::NewSeriesImage("K20");
    test::WriteFile(dir / "fw.K20", image);
    base::CErrorLog log;
    base::RealClock clock;
    auto ports = SimPort(sim, log, 1);
    NewDownloadSettings settings;
    settings.path = (dir / "fw.K20").string();
    settings.area = NewArea::Boot;
    NewFirmwareDownload engine(*ports, log, settings);
    base::RunSteps(engine, clock);
    EXPECT_EQ(engine.GetOutcome(), NewFirmwareDownload::Outcome::Completed);
    const auto state = sim.WaitForState([](const QJsonObject& s) { return LastFirmware(s).value("complete").toBool(); });
    const QJsonObject fw = LastFirmware(state);
    EXPECT_EQ(fw.value("area").toString(), "boot") << QJsonDocument(state).toJson().left(3000).toStdString();
    EXPECT_EQ(fw.value("length").toInt(), 0x4000);
    EXPECT_TRUE(fw.value("length_ok").toBool());
    EXPECT_TRUE(fw.value("checksum_ok").toBool());
    EXPECT_EQ(fw.value("data_fnv1a").toString(), Fnv(image, 0, 0x3FF6));
    EXPECT_TRUE(state.value("powered_off").toBool());
    EXPECT_FALSE(ports->IsOpen());
}

// Complete only when the printer has taken the whole packet: one that hangs
// up after 100 KB of the 384 KB fails the run and is named.
TEST(FirmwareSim, NewerSeriesOverLoopbackTcp) {
    EnsureQtApp();
    const struct {
        QStringList faults;
        NewFirmwareDownload::Outcome outcome;
        std::string lastMessage;
    } cases[] = {
        {{}, NewFirmwareDownload::Outcome::Completed,
         "Update Complete.\nPlease wait beep the buzzer and automatically power off."},
        {{"--disconnect-after-bytes", "100000"}, NewFirmwareDownload::Outcome::WriteFailed,
         std::string("ERROR : Write to port.\r\n") + port::kTextReset},
    };
    for (const auto& c : cases) {
        SimHarness sim;
        ASSERT_TRUE(sim.Start(QStringList{"--tcp", "127.0.0.1:0", "--series", "3"} + c.faults))
            << sim.Error().toStdString();
        RecordedMessages messages(base::MsgAnswer::Yes);
        test::TestDir dir;
        const auto image = test::NewSeriesImage("K23");
        test::WriteFile(dir / "fw.K20", image);
        base::CErrorLog log;
        port::CPrinterSocket socket;
        port::TcpStream link(socket, "127.0.0.1", sim.TcpPort());
        base::EventLoopClock clock;
        NewDownloadSettings settings;
        settings.path = (dir / "fw.K20").string();
        settings.area = c.faults.isEmpty() ? NewArea::Downloader : NewArea::Program;
        settings.deviceType = 3;
        NewFirmwareDownload engine(link, log, settings);
        base::RunSteps(engine, clock);
        EXPECT_EQ(engine.GetOutcome(), c.outcome);
        ASSERT_FALSE(messages.Texts().empty());
        // A failure adds how much of the packet the printer acknowledged.
        EXPECT_EQ(messages.Texts().back().substr(0, c.lastMessage.size()), c.lastMessage);
        if (!c.faults.isEmpty()) {
            EXPECT_NE(messages.Texts().back().find("bytes of the packet: its image is incomplete"), std::string::npos);
        }
        EXPECT_FALSE(link.IsOpen());
        if (!c.faults.isEmpty()) {
            EXPECT_FALSE(LastFirmware(sim.State()).value("complete").toBool());
            continue;
        }
        const auto state = sim.WaitForState([](const QJsonObject& s) { return LastFirmware(s).value("complete").toBool(); });
        const QJsonObject fw = LastFirmware(state);
        EXPECT_EQ(fw.value("area").toString(), "downloader");
        EXPECT_EQ(fw.value("length").toInt(), 0x10000);
        EXPECT_TRUE(fw.value("length_ok").toBool());
        EXPECT_TRUE(fw.value("checksum_ok").toBool());
        EXPECT_EQ(fw.value("data_fnv1a").toString(), Fnv(image, 0x60000, 0x6FFF6));
    }
}

TEST(FirmwareSim, NewerSeriesReportsAnUnreachablePrinter) {
    EnsureQtApp();
    RecordedMessages messages(base::MsgAnswer::Yes);
    test::TestDir dir;
    test::WriteFile(dir / "fw.K20", test::NewSeriesImage("K22"));
    base::CErrorLog log;
    port::CPrinterSocket socket;
    // A port nobody listens on: bound and closed again at once.
    SimHarness probe;
    ASSERT_TRUE(probe.Start({"--tcp", "127.0.0.1:0"})) << probe.Error().toStdString();
    const quint16 deadPort = probe.TcpPort();
    probe.Stop();
    port::TcpStream link(socket, "127.0.0.1", deadPort);
    base::EventLoopClock clock;
    NewDownloadSettings settings;
    settings.path = (dir / "fw.K20").string();
    settings.deviceType = 3;
    NewFirmwareDownload engine(link, log, settings);
    base::RunSteps(engine, clock);
    EXPECT_EQ(engine.GetOutcome(), NewFirmwareDownload::Outcome::PrinterCheckFailed);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"ERROR : Printer check."});
}
