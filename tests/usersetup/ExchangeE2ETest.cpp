// The exchanges against korva-sim: a pty for serial (and, as a plain byte
// stream, for the parallel port control), loopback TCP for Ethernet.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <memory>

#include "UserSetupTestSupport.h"
#include "base/ErrorLog.h"
#include "base/Messages.h"
#include "cli/FakeDeviceTree.h"
#include "port/ParPortCtl.h"
#include "port/PortFailures.h"
#include "port/Ports.h"
#include "port/PrinterSocket.h"
#include "support/RecordedMessages.h"
#include "support/SimHarness.h"
#include "usersetup/ReplyDecoder.h"
#include "usersetup/SetupCommands.h"
#include "usersetup/UserProfile.h"

namespace korva::usersetup {
namespace {

using test::RecordedMessages;
using test::SimHarness;
using test::SimSetting;

SetupLists Lists() {
    SetupLists lists;
    lists.receiveBuffers = {"64", "32", "20", "4"};
    lists.codePages = {"0|PC437", "16|WPC1252", "254|SPACE PAGE"};
    return lists;
}

/// An exchange with its endpoints and a record the replies are decoded into.
struct Rig {
    base::CErrorLog log;
    port::CPorts ports{log};
    port::ParPortCtl parallel{log};
    port::CPrinterSocket socket;
    std::unique_ptr<UserSetupExchange> exchange;
    UserSettings settings;
    int replies = 0;

    Rig(port::PortKind kind, const SimHarness& sim) {
        test::EnsureQtApp();
        SetupEndpoints ep;
        ep.kind = kind;
        ep.ports = &ports;
        ep.parallel = &parallel;
        ep.socket = &socket;
        ep.portName = sim.SerialPath().toStdString();
        ep.ipAddress = "127.0.0.1";
        ep.tcpPort = sim.TcpPort();
        ep.log = &log;
        ports.m_PortName = ep.portName;
        ports.m_BaudRate = 115200;
        ports.m_DataBits = 8;
        ports.m_Parity = port::kParityNone;
        ports.m_FlowControl = port::kFlowNone;
        exchange = std::make_unique<UserSetupExchange>(ep);
        exchange->SetReplyHandler([this](const SettingReply& reply) {
            ++replies;
            DecodeReply(reply, settings, Lists());
        });
    }

    bool ReadAll() {
        exchange->BeginRead();
        test::RunQuickly(*exchange);
        return test::SpinUntil([this] { return exchange->AllAnswered(); });
    }

    void Write(UserSettings values) {
        exchange->BeginWrite([values]() mutable {
            PrepareForWrite(values);
            return BuildSetValues(values, Lists());
        });
        test::RunQuickly(*exchange);
    }
};

UserSettings ChangedSettings() {
    UserSettings s;
    s.paperWidth = kWidth58mm;
    s.column = kColumn32;
    s.speed = 3;
    s.leftMargin = 40;
    s.setupCode = "abc";
    s.codePage = 1;
    s.bellType = kMelody2;
    return s;
}

void ExpectChangedSettingsStored(const SimHarness& sim) {
    const QJsonObject state =
        sim.WaitForState([](const QJsonObject& s) { return SimSetting(s, 255) == "2748"; });
    EXPECT_EQ(SimSetting(state, 3), "3");
    EXPECT_EQ(SimSetting(state, 249), "150");
    EXPECT_EQ(SimSetting(state, 250), "40");
    EXPECT_EQ(SimSetting(state, 255), "2748");  // 0xABC
    EXPECT_EQ(SimSetting(state, 246), "16");
    EXPECT_EQ(SimSetting(state, 245), "33");  // melody 2, three times
    EXPECT_EQ(SimSetting(state, 2), "7");     // untouched: 384 KByte
}

void ExpectFactorySettings(const UserSettings& s) {
    EXPECT_EQ(s.paperWidth, kWidth80mm);
    EXPECT_EQ(s.paperType, kBlack);
    EXPECT_EQ(s.density, kMedium);
    EXPECT_EQ(s.bellType, kQuelmBell);
    EXPECT_EQ(s.bellTimes, 2);
    EXPECT_EQ(s.nvGraphic, 6);
    EXPECT_EQ(s.nvUser, 0);
    EXPECT_EQ(s.speed, 0);
    EXPECT_EQ(s.receiveBuffer, 3);
    EXPECT_EQ(s.codePage, 0);
    EXPECT_EQ(s.setupCode, "0");
}

TEST(UserSetupExchange, SerialReadWriteAndTestPage) {
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial"})) << sim.Error().toStdString();
    RecordedMessages messages;
    Rig rig(port::PortKind::Serial, sim);
    ASSERT_TRUE(rig.exchange->Connect());
    ASSERT_TRUE(rig.ReadAll());
    EXPECT_EQ(rig.replies, 18);
    EXPECT_EQ(rig.settings.stopBits, kStopOne);
    ExpectFactorySettings(rig.settings);

    rig.Write(ChangedSettings());
    EXPECT_EQ(rig.exchange->LastOutcome(), UserSetupExchange::Outcome::Ok);
    ExpectChangedSettingsStored(sim);

    // The changed values read back.
    rig.settings = {};
    ASSERT_TRUE(rig.ReadAll());
    EXPECT_EQ(rig.settings.speed, 3);
    EXPECT_EQ(rig.settings.setupCode, "ABC");

    rig.exchange->BeginTest();
    test::RunQuickly(*rig.exchange);
    const QJsonObject state =
        sim.WaitForState([](const QJsonObject& s) { return s.value("cuts").toInt() >= 1; });
    EXPECT_EQ(state.value("cuts").toInt(), 1);
    EXPECT_TRUE(
        state.value("lines").toArray().contains(QStringLiteral("USER SETUP UTILITY TEST PRINT!")));
    EXPECT_TRUE(messages.Texts().empty());
    rig.exchange->Disconnect();
    EXPECT_FALSE(rig.ports.IsOpen());
}

TEST(UserSetupExchange, EthernetReadAndWrite) {
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--tcp", "127.0.0.1:0"})) << sim.Error().toStdString();
    RecordedMessages messages;
    Rig rig(port::PortKind::Ethernet, sim);
    ASSERT_TRUE(rig.exchange->Connect());
    ASSERT_TRUE(rig.ReadAll());
    EXPECT_EQ(rig.replies, 17);  // no stop bits over Ethernet
    EXPECT_EQ(rig.settings.stopBits, kEmpty);
    ExpectFactorySettings(rig.settings);
    rig.Write(ChangedSettings());
    EXPECT_EQ(rig.exchange->LastOutcome(), UserSetupExchange::Outcome::Ok);
    ExpectChangedSettingsStored(sim);
    EXPECT_TRUE(messages.Texts().empty());
}

// The command line's wait for the answers ends on AnswersIn: told once, once
// the last answer has been handled, and only for a read that waits.
TEST(UserSetupExchange, AReadWithADeadlineTellsWhenItsLastAnswerIsIn) {
    const struct {
        port::PortKind kind;
        QStringList simOptions;
        int replies;
    } cases[] = {{port::PortKind::Serial, {"--serial"}, 18},
                 {port::PortKind::Ethernet, {"--tcp", "127.0.0.1:0"}, 17}};
    for (const auto& c : cases) {
        SimHarness sim;
        ASSERT_TRUE(sim.Start(c.simOptions)) << sim.Error().toStdString();
        RecordedMessages messages;
        Rig rig(c.kind, sim);
        ASSERT_TRUE(rig.exchange->Connect());
        int told = 0;
        bool allInWhenTold = false;
        QObject::connect(rig.exchange.get(), &UserSetupExchange::AnswersIn, [&] {
            ++told;
            allInWhenTold = rig.exchange->AllAnswered() && rig.replies >= c.replies - 1;
        });
        ASSERT_TRUE(rig.ReadAll());  // the dialog's read: nothing waits for its answers
        EXPECT_EQ(told, 0) << c.replies;
        rig.replies = 0;
        rig.exchange->SetReadDeadline(30'000);
        rig.exchange->BeginRead();
        test::RunInRealTime(*rig.exchange);
        EXPECT_EQ(rig.exchange->LastOutcome(), UserSetupExchange::Outcome::Ok) << c.replies;
        EXPECT_TRUE(rig.exchange->AllAnswered());
        // Answers that all came before the wait began end it without a word.
        EXPECT_LE(told, 1) << c.replies;
        EXPECT_TRUE(told == 0 || allInWhenTold) << c.replies;
        EXPECT_TRUE(messages.Texts().empty());
    }
}

TEST(UserSetupExchange, UsbReadFetchesEscapedRepliesAndWriteReopensThePrinter) {
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial", "--usb-escape"})) << sim.Error().toStdString();
    test::FakeDeviceTree tree;
    tree.AddUsbPrinter(1, "7f3d", "0101", "0100", sim.SerialPath().toStdString());
    RecordedMessages messages;
    Rig rig(port::PortKind::Usb, sim);
    port::CPorts usb(rig.log, port::DeviceRoots{tree.Sys().string(), tree.Dev().string()});
    usb.m_PortName = "USB";
    usb.m_DeviceType = 1;
    SetupEndpoints ep;
    ep.kind = port::PortKind::Usb;
    ep.ports = &usb;
    ep.log = &rig.log;
    rig.exchange = std::make_unique<UserSetupExchange>(ep);
    rig.exchange->SetReplyHandler([&](const SettingReply& reply) {
        ++rig.replies;
        DecodeReply(reply, rig.settings, Lists());
    });
    ASSERT_TRUE(rig.exchange->Connect());
    rig.exchange->BeginRead();
    test::RunQuickly(*rig.exchange);
    // A read fetches once; what the printer sends later waits for the next fetch.
    ASSERT_TRUE(test::SpinUntil([&] {
        rig.exchange->FetchUsbReplies();
        return rig.exchange->AllAnswered();
    }));
    EXPECT_EQ(rig.replies, 18);
    ExpectFactorySettings(rig.settings);
    rig.Write(ChangedSettings());
    EXPECT_EQ(rig.exchange->LastOutcome(), UserSetupExchange::Outcome::Ok);
    EXPECT_TRUE(usb.IsOpen());  // closed and opened again after the printer restarted
    ExpectChangedSettingsStored(sim);
    EXPECT_TRUE(messages.Texts().empty());
    rig.exchange.reset();  // it closes the USB port object, which goes first
}

TEST(UserSetupExchange, ParallelReadSkipsStatusBlocksAndRewritesThePort) {
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial", "--parallel-status"})) << sim.Error().toStdString();
    RecordedMessages messages;
    Rig rig(port::PortKind::Parallel, sim);
    ASSERT_TRUE(rig.exchange->Connect());
    rig.exchange->BeginRead();
    test::RunInRealTime(*rig.exchange);  // ends once every setting has answered
    EXPECT_EQ(rig.exchange->LastOutcome(), UserSetupExchange::Outcome::Ok);
    EXPECT_TRUE(rig.exchange->AllAnswered());
    // The control reads on request: replies still on the line when its reads
    // ran come in with the re-sent requests' answers, so some arrive twice.
    EXPECT_GE(rig.replies, 17);
    EXPECT_TRUE(rig.exchange->Answered(kSetupCode));
    EXPECT_FALSE(rig.exchange->Answered(kStopBits));  // not asked on a parallel port
    ExpectFactorySettings(rig.settings);
    rig.Write(ChangedSettings());
    EXPECT_EQ(rig.exchange->LastOutcome(), UserSetupExchange::Outcome::Ok);
    ExpectChangedSettingsStored(sim);
    EXPECT_TRUE(messages.Texts().empty());
}

TEST(UserSetupExchange, ParallelReadWithoutAnswersAsksAgainUntilItsDeadline) {
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial", "--drop-answer-after", "0"})) << sim.Error().toStdString();
    RecordedMessages messages;
    Rig rig(port::PortKind::Parallel, sim);
    ASSERT_TRUE(rig.exchange->Connect());
    rig.exchange->SetReadDeadline(7000);
    rig.exchange->BeginRead();
    test::RunQuickly(*rig.exchange);
    EXPECT_EQ(rig.exchange->LastOutcome(), UserSetupExchange::Outcome::TimedOut);
    // 17 requests, then again after 3000 and 5000 ms.
    const QJsonObject state = sim.WaitForState([](const QJsonObject& s) {
        return SimHarness::Received(s, 0).count(QByteArray::fromHex("1d2845020006ff")) >= 3;
    });
    EXPECT_EQ(SimHarness::Received(state, 0).count(QByteArray::fromHex("1d2845020006ff")), 3);
    EXPECT_TRUE(messages.Texts().empty());
}

TEST(UserSetupExchange, ParallelReSendThatFailsEndsTheRead) {
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial", "--drop-answer-after", "0"})) << sim.Error().toStdString();
    RecordedMessages messages;
    Rig rig(port::PortKind::Parallel, sim);
    ASSERT_TRUE(rig.exchange->Connect());
    rig.exchange->BeginRead();
    EXPECT_EQ(rig.exchange->Step(), 3000);  // requests sent, completion check due
    sim.Stop();
    test::RunQuickly(*rig.exchange);
    EXPECT_EQ(rig.exchange->LastOutcome(), UserSetupExchange::Outcome::Failed);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"GetValueCmd Fail!"});
    EXPECT_FALSE(rig.exchange->Reader().Running());
}

TEST(UserSetupExchange, ConnectFailuresShowTheirMessages) {
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--tcp", "127.0.0.1:0"})) << sim.Error().toStdString();
    const int closedPort = sim.TcpPort();
    sim.Stop();
    {
        RecordedMessages messages;
        Rig rig(port::PortKind::Serial, sim);
        rig.ports.m_PortName = "/nonexistent/tty";
        EXPECT_FALSE(rig.exchange->Connect());
        EXPECT_EQ(messages.Texts(), std::vector<std::string>{std::string(base::Message(base::kMsgInitFail)) +
                                                             "\r\n" + port::OpenFailureDetail(ENOENT, false)});
    }
    {
        RecordedMessages messages;
        Rig rig(port::PortKind::Ethernet, sim);
        rig.socket.SetWaiter([](int) {});
        (void)closedPort;
        EXPECT_FALSE(rig.exchange->Connect());
        // Refused, or not reached while the probes do not wait: the cause follows.
        const std::string check = std::string(base::Message(base::kMsgPrinterCheck)) + "\r\n";
        ASSERT_EQ(messages.Texts().size(), 1u);
        EXPECT_TRUE(messages.Texts()[0] == check + port::OpenFailureDetail(ECONNREFUSED, false) ||
                    messages.Texts()[0] == check + port::OpenFailureDetail(ENOTCONN, false))
            << messages.Texts()[0];
    }
    {
        RecordedMessages messages;
        Rig rig(port::PortKind::Parallel, sim);
        rig.exchange.reset();
        SetupEndpoints ep;
        ep.kind = port::PortKind::Parallel;
        ep.parallel = &rig.parallel;
        ep.portName = "/nonexistent/parport";
        ep.log = &rig.log;
        UserSetupExchange exchange(ep);
        EXPECT_FALSE(exchange.Connect());
        ASSERT_EQ(messages.Texts().size(), 1u);
        EXPECT_EQ(messages.Texts()[0].rfind("Init Fail\n", 0), 0u) << messages.Texts()[0];
        EXPECT_GT(messages.Texts()[0].size(), std::string("Init Fail\n").size());
    }
}

TEST(UserSetupExchange, EthernetReadFailsAfterTenProbes) {
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--tcp", "127.0.0.1:0"})) << sim.Error().toStdString();
    RecordedMessages messages;
    Rig rig(port::PortKind::Ethernet, sim);
    ASSERT_TRUE(rig.exchange->Connect());
    sim.Stop();
    std::vector<int> waits;
    rig.socket.SetWaiter([&](int ms) { waits.push_back(ms); });
    rig.exchange->BeginRead();
    test::RunQuickly(*rig.exchange);
    EXPECT_EQ(rig.exchange->LastOutcome(), UserSetupExchange::Outcome::Failed);
    EXPECT_EQ(waits, std::vector<int>(10, 50));
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{base::Message(base::kMsgWriteFailCheckPower)});
}

TEST(UserSetupExchange, WriteToAVanishedPrinterClosesThePort) {
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial"})) << sim.Error().toStdString();
    RecordedMessages messages;
    Rig rig(port::PortKind::Serial, sim);
    ASSERT_TRUE(rig.exchange->Connect());
    sim.Stop();
    rig.Write(ChangedSettings());
    EXPECT_EQ(rig.exchange->LastOutcome(), UserSetupExchange::Outcome::Failed);
    // Named: the line hung up.
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{std::string(base::Message(base::kMsgWriteFailCheckPower)) +
                                                         "\r\n" + port::kTextHungUp});
    EXPECT_EQ(rig.exchange->Reason(), base::Reason::HangUp);
    EXPECT_FALSE(rig.ports.IsOpen());
}

}  // namespace
}  // namespace korva::usersetup
