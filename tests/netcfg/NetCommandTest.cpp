// `korva net search` and `korva net set` run as subprocesses against korva-sim
// on loopback, and once with the default broadcast inside test namespaces.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QThread>

#include "NetNamespaces.h"
#include "NetSimSupport.h"
#include "NetcfgData.h"
#include "support/QtTestSupport.h"
#include "cli/KorvaProcess.h"

using namespace korva::test;

namespace {

class NetCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        TestApp();  // the one application object, before KorvaProcess makes a core one
        ASSERT_TRUE(printer.Start({"--mac", "00:1A:2B:3C:4D:5E", "--ip", "10.1.2.3", "--dhcp"}))
            << printer.sim.Error().toStdString();
    }
    QStringList Loopback() const {
        return {"--broadcast",   "127.0.0.1",
                "--udp-port",    QString::number(printer.sim.UdpPort()),
                "--listen-port", QString::number(printer.listenPort)};
    }
    KorvaResult Run(const QStringList& args) {
        KorvaProcess korva;
        KeepStateHere(korva);
        return korva.Run(args);
    }
    /// korva keeps its state (the late answers it expects) in the test's own folder.
    void KeepStateHere(KorvaProcess& korva) const { korva.SetEnv("XDG_STATE_HOME", state.path()); }

    LoopbackPrinter printer;
    QTemporaryDir state;
};

TEST_F(NetCommand, SearchListsThePrinterAsTextAndAsJson) {
    const KorvaResult text = Run(QStringList{"net", "search"} + Loopback());
    EXPECT_EQ(text.exitCode, 0) << text.err;
    EXPECT_EQ(
        text.out,
        "10.1.2.3 (DHCP)        6001   255.255.255.0    192.168.0.1      00:1A:2B:3C:4D:5E\n");
    // The dialog's closing box has no place on a command line.
    EXPECT_EQ(text.err.find("The printer has finished searching."), std::string::npos) << text.err;

    const KorvaResult json = Run(QStringList{"net", "search", "--json"} + Loopback());
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const QJsonObject found = QJsonDocument::fromJson(QByteArray::fromStdString(json.out)).object();
    EXPECT_EQ(found["outcome"], "done");
    const QJsonArray list = found["printers"].toArray();
    ASSERT_EQ(list.size(), 1);
    // The keys of `korva net set`'s options.
    EXPECT_EQ(list[0].toObject(), (QJsonObject{{"ip", "10.1.2.3"},
                                               {"dhcp", true},
                                               {"tcp_port", 6001},
                                               {"mask", "255.255.255.0"},
                                               {"gateway", "192.168.0.1"},
                                               {"mac", "00:1A:2B:3C:4D:5E"},
                                               {"sender", "127.0.0.1"}}));
}

TEST_F(NetCommand, SetSendsChangeAndApplyToThePrinterWithThatMac) {
    const KorvaResult result =
        Run(QStringList{"net", "set", "--mac", "00:1a:2b:3c:4d:5e", "--ip", "192.168.1.50",
                        "--mask", "255.255.0.0", "--gateway", "192.168.1.1", "--tcp-port", "6001",
                        "--dhcp", "off"} +
            Loopback());
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.err.find("Update Complete."), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("answered by 00:1A:2B:3C:4D:5E from 127.0.0.1"), std::string::npos)
        << result.err;
    // A search for the MAC first (the printer's values differ), the change and
    // its apply, then a search until the printer answers with the new values.
    const std::vector<std::string> events = printer.Events(4);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_NE(events[0].find("search answered"), std::string::npos) << events[0];
    EXPECT_NE(events[1].find(SimHex(NetcfgDatagram("change-192.168.1.50.hex"))), std::string::npos);
    EXPECT_NE(events[2].find(SimHex(NetcfgDatagram("apply-192.168.1.50.hex"))), std::string::npos);
    EXPECT_NE(events[3].find("search answered"), std::string::npos) << events[3];
    EXPECT_NE(result.err.find("the printer answers with the new values"), std::string::npos) << result.err;
    const QJsonObject state = printer.sim.WaitForState(
        [](const QJsonObject& s) { return s["network"]["ip"] == "192.168.1.50"; });
    EXPECT_FALSE(state["network"]["dhcp"].toBool());
}

TEST_F(NetCommand, SetForAMacNobodyHasFailsWithoutSendingTheApply) {
    KorvaProcess korva;
    KeepStateHere(korva);
    ASSERT_TRUE(korva.Start(QStringList{"net", "set", "--mac", "00:2B:9E:00:00:01", "--ip",
                                        "10.0.0.5", "--mask", "255.0.0.0", "--gateway", "10.0.0.1",
                                        "--tcp-port", "9100", "--dhcp", "on"} +
                            Loopback()));
    // Another printer's reply arrives during the wait: it is not the answer.
    std::vector<uint8_t> other = NetcfgDatagram("reply-192.168.0.10-dhcp.hex");
    for (int i = 0; i < 6; ++i) {
        QThread::msleep(150);
        SendLoopback(printer.listenPort, other);
    }
    const KorvaResult result = korva.Finish();
    EXPECT_EQ(result.exitCode, 1);
    // The search finds no such printer: no change, no apply.
    EXPECT_NE(result.err.find("no printer with MAC 00:2B:9E:00:00:01 answered the search; nothing was "
                              "sent; ignored the answers of "),
              std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("00:2B:9E:12:34:56 (127.0.0.1)"), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("Update Complete"), std::string::npos) << result.err;
    const std::vector<std::string> events = printer.Events(2);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_NE(events[0].find("search answered"), std::string::npos) << events[0];
}

TEST_F(NetCommand, SetTakesNoLateAnswerToAnEarlierRunForItsOwn) {
    // A slow printer: each answer comes 1.5 s after its change, when the run
    // that sent it has given up and the next run may be waiting.
    printer.sim.Stop();
    ASSERT_TRUE(printer.Start({"--mac", "00:1A:2B:3C:4D:5E", "--udp-reply-delay", "1500"}))
        << printer.sim.Error().toStdString();
    const auto set = [&](const char* ip) {
        return Run(QStringList{"net", "set", "--mac", "00:1A:2B:3C:4D:5E", "--ip", ip, "--mask",
                               "255.0.0.0", "--gateway", "127.0.0.1", "--tcp-port", "6001",
                               "--dhcp", "off"} +
                   Loopback());
    };
    const KorvaResult first = set("127.8.0.7");
    EXPECT_EQ(first.exitCode, 1) << first.err;
    const KorvaResult second = set("127.8.0.8");
    EXPECT_EQ(second.exitCode, 1) << second.err;
    // The first run's search answer comes while the second could listen: it waits first.
    EXPECT_NE(second.err.find("may still be answered"), std::string::npos) << second.err;
    EXPECT_EQ(second.err.find("Update Complete"), std::string::npos) << second.err;
    // Two searches, both answered too late: no change was sent, nothing applied.
    QThread::msleep(1600);
    const std::vector<std::string> events = printer.Events(2);
    EXPECT_EQ(events.size(), 2u);
    for (const std::string& event : events)
        EXPECT_NE(event.find("search answered"), std::string::npos) << event;
    EXPECT_EQ(printer.sim.State()["network"].toObject()["ip"].toString(), "192.168.0.254");
}

TEST_F(NetCommand, BadInputIsRefusedBeforeAnythingIsSent) {
    const QStringList base{"net",    "set",       "--mac",     "00:1A:2B:3C:4D:5E",
                           "--mask", "255.0.0.0", "--gateway", "10.0.0.1",
                           "--dhcp", "off"};
    struct Case {
        QStringList extra;
        const char* says;
    } cases[] = {
        {{"--ip", "10.0.0.255", "--tcp-port", "6001"}, "Please enter IP address between 1 ~ 254."},
        {{"--ip", "10.0.0.5", "--tcp-port", "65535"},
         "Please enter PORT number between 1024 ~ 65534."},
        {{"--ip", "10.0.0", "--tcp-port", "6001"}, "not a dotted IPv4 address"},
        {{"--ip", "10.0.0.5", "--tcp-port", "60x1"}, "--tcp-port needs a number"},
        {{"--ip", "10.0.0.5"}, "--tcp-port is required"},
        {{"--ip", "10.0.0.5", "--tcp-port", "6001", "--broadcast", "everyone"},
         "--broadcast needs a dotted IPv4 address"},
    };
    for (const Case& c : cases) {
        // An option given twice is refused too, so the bad broadcast goes alone.
        const bool ownBroadcast = c.extra.contains("--broadcast");
        const KorvaResult result = Run(base + c.extra + (ownBroadcast ? QStringList() : Loopback()));
        EXPECT_EQ(result.exitCode, 2) << c.says;
        EXPECT_NE(result.err.find(c.says), std::string::npos) << result.err;
    }
    // The refused printer is still named by its MAC in the JSON report.
    const KorvaResult json =
        Run(base + QStringList{"--ip", "10.0.0.255", "--tcp-port", "6001", "--json"} + Loopback());
    EXPECT_EQ(json.exitCode, 2);
    EXPECT_NE(json.out.find("\"mac\":\"00:1A:2B:3C:4D:5E\""), std::string::npos) << json.out;
    const KorvaResult search = Run({"net", "search", "--broadcast", "127.0.0.1", "--port", "0"});
    EXPECT_EQ(search.exitCode, 2);
    EXPECT_TRUE(printer.Events().empty());
}

TEST(NetCommandNamespaces, DefaultBroadcastFindsThePrinterInsideTheHostNamespace) {
    TestApp();
    TestNamespaces ns;
    const int up = ns.Up("c");
    if (up == 77) GTEST_SKIP() << "network namespaces not available: " << ns.Output().toStdString();
    ASSERT_EQ(up, 0) << ns.Output().toStdString();
    SimHarness sim;
    ASSERT_TRUE(sim.InNamespace(ns.Printer()).Start({"--udp", "0.0.0.0:2918"}))
        << sim.Error().toStdString();

    QProcess process;
    process.start("ip",
                  {"netns", "exec", ns.Host(), KORVA_BIN_DIR "/korva", "net", "search", "--json"});
    ASSERT_TRUE(process.waitForFinished(20000));
    const QJsonArray list =
        QJsonDocument::fromJson(process.readAllStandardOutput())["printers"].toArray();
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    ASSERT_EQ(list.size(), 1);
    // Its factory address as it reports it; its answer leaves the namespace's own.
    EXPECT_EQ(list[0]["ip"].toString(), "192.168.0.254");
    EXPECT_EQ(list[0]["sender"].toString(), "198.18.0.254");

    // The command the help gives for a simulator on the same machine, against
    // its defaults (here on the host namespace's own loopback).
    SimHarness local;
    ASSERT_TRUE(local.InNamespace(ns.Host()).Start({"--udp", "--ip", "127.8.0.7"}))
        << local.Error().toStdString();
    QProcess documented;
    documented.start("ip", {"netns", "exec", ns.Host(), KORVA_BIN_DIR "/korva", "net", "search",
                            "--broadcast", "127.0.0.1", "--udp-port", "2919", "--json"});
    ASSERT_TRUE(documented.waitForFinished(20000));
    const QJsonArray found =
        QJsonDocument::fromJson(documented.readAllStandardOutput())["printers"].toArray();
    EXPECT_EQ(documented.exitCode(), 0) << documented.readAllStandardError().toStdString();
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found[0]["ip"].toString(), "127.8.0.7");
}

}  // namespace
