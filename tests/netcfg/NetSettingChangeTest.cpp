// Change and apply against korva-sim over loopback UDP: what is sent, in what
// order, and what the user is told.
#include <gtest/gtest.h>

#include "NetSimSupport.h"
#include "NetcfgData.h"
#include "base/Messages.h"
#include "netcfg/NetSettingChange.h"
#include "support/RecordedMessages.h"

using namespace korva;
using namespace korva::netcfg;
using namespace korva::test;

namespace {

const std::string kAsk = base::Message(base::kMsgConfirmNetworkChange);
const std::string kDone = base::Message(base::kMsgUpdateComplete2);

// The example change: 192.168.1.50/255.255.0.0 via 192.168.1.1, port 6001, fixed.
ChangeBuild ExampleChange(const std::string& mac = "00:1A:2B:3C:4D:5E") {
    return BuildChange({"192.168.1.50", "255.255.0.0", "192.168.1.1", 6001, false}, mac);
}

class NetSettingChangeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(printer.Start({"--mac", "00:1A:2B:3C:4D:5E"}))
            << printer.sim.Error().toStdString();
    }
    NetSettingChange::Outcome Run(ChangeBuild request, base::MsgAnswer answer, bool ask = true) {
        messages.reset();  // restore the previous handler before installing the next
        messages = std::make_unique<RecordedMessages>(answer);
        NetSettingChange change(clock, printer.Endpoints(), request, ask);
        base::RunSteps(change, clock);
        answered = change.Answered();
        return change.GetOutcome();
    }
    LoopbackPrinter printer;
    base::RealClock clock;
    std::unique_ptr<RecordedMessages> messages;
    bool answered = false;
};

TEST_F(NetSettingChangeTest, SendsChangeThenApplyAndThePrinterTakesThem) {
    EXPECT_EQ(Run(ExampleChange(), base::MsgAnswer::Yes), NetSettingChange::Outcome::Applied);
    EXPECT_TRUE(answered);
    EXPECT_EQ(messages->Texts(), (std::vector<std::string>{kAsk, kDone}));
    EXPECT_EQ(messages->Boxes()[0].style, base::MsgStyle::YesNo);

    const std::vector<std::string> events = printer.Events(2);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_NE(events[0].find(SimHex(NetcfgDatagram("change-192.168.1.50.hex"))), std::string::npos)
        << events[0];
    EXPECT_NE(events[1].find(SimHex(NetcfgDatagram("apply-192.168.1.50.hex"))), std::string::npos)
        << events[1];
    const QJsonObject state = printer.sim.WaitForState(
        [](const QJsonObject& s) { return s["network"]["ip"] == "192.168.1.50"; });
    EXPECT_EQ(state["network"]["ip"].toString(), "192.168.1.50");
    EXPECT_EQ(state["network"]["mask"].toString(), "255.255.0.0");
    EXPECT_EQ(state["network"]["port"].toInt(), 6001);
}

TEST_F(NetSettingChangeTest, NoToTheQuestionSendsNothing) {
    EXPECT_EQ(Run(ExampleChange(), base::MsgAnswer::No), NetSettingChange::Outcome::Declined);
    EXPECT_EQ(messages->Texts(), std::vector<std::string>{kAsk});
    EXPECT_TRUE(printer.Events().empty());
}

TEST_F(NetSettingChangeTest, RefusedAddressesAndPortsSendNothingAndAskNothing) {
    EXPECT_EQ(Run(BuildChange({"192.168.0.255", "255.255.255.0", "192.168.0.1", 6001, false},
                              "00:1A:2B:3C:4D:5E"),
                  base::MsgAnswer::Yes),
              NetSettingChange::Outcome::Refused);
    EXPECT_EQ(messages->Texts(), std::vector<std::string>{base::Message(base::kMsgIpRange)});
    EXPECT_EQ(Run(BuildChange({"192.168.0.20", "255.255.255.0", "10.0.0.0", 6001, false},
                              "00:1A:2B:3C:4D:5E"),
                  base::MsgAnswer::Yes),
              NetSettingChange::Outcome::Refused);
    EXPECT_EQ(messages->Texts(), std::vector<std::string>{base::Message(base::kMsgIpRange)});
    EXPECT_EQ(Run(BuildChange({"192.168.0.20", "255.255.255.0", "192.168.0.1", 65535, false},
                              "00:1A:2B:3C:4D:5E"),
                  base::MsgAnswer::Yes),
              NetSettingChange::Outcome::Refused);
    EXPECT_EQ(messages->Texts(), std::vector<std::string>{base::Message(base::kMsgPortRange)});
    EXPECT_TRUE(printer.Events().empty());
}

TEST_F(NetSettingChangeTest, ManualChangeSendsAddressesEndingIn255ToThe002B9EPrinter) {
    const ChangeBuild manual = BuildManualChange(
        {"192.168.0.255", "255.255.255.0", "10.0.0.0", 9100, true}, {"3c", "4D", "5e"});
    EXPECT_EQ(Run(manual, base::MsgAnswer::Yes), NetSettingChange::Outcome::NoAnswer);
    // 00:2B:9E:3C:4D:5E is not this printer: no answer, so no apply either.
    EXPECT_FALSE(answered);
    EXPECT_EQ(messages->Texts(), (std::vector<std::string>{kAsk, kNoAnswerText}));
    const std::vector<std::string> events = printer.Events(1);
    ASSERT_EQ(events.size(), 1u);
    const std::vector<uint8_t> change = EncodeSettingDatagram(NetCommand::Change, manual.settings);
    EXPECT_NE(events[0].find(SimHex(change)), std::string::npos) << events[0];
    EXPECT_NE(events[0].find("c0a800ffffffff000a000000002b9e3c4d5e01238c"), std::string::npos)
        << events[0];
}

TEST_F(NetSettingChangeTest, CommandLineChangeAsksNothing) {
    EXPECT_EQ(Run(ExampleChange(), base::MsgAnswer::No, false), NetSettingChange::Outcome::Applied);
    EXPECT_EQ(messages->Texts(), std::vector<std::string>{kDone});
}

TEST_F(NetSettingChangeTest, SocketFailureStopsTheChangeInsteadOfReportingSuccess) {
    RecordedMessages recorded;
    NetSettingChange change(clock, {"127.0.0.1", printer.sim.UdpPort(), "192.0.2.1", 0},
                            ExampleChange());
    base::RunSteps(change, clock);
    EXPECT_EQ(change.GetOutcome(), NetSettingChange::Outcome::SystemError);
    EXPECT_EQ(recorded.Texts(), std::vector<std::string>{base::Message(base::kMsgSystemError)});
    EXPECT_TRUE(printer.Events().empty());
}

TEST_F(NetSettingChangeTest, AnAnswerToThisRunsOwnSendingPortCounts) {
    // A printer that answers the sender: the answer reaches the fresh port this
    // run sent from, which no earlier run's answer can reach.
    printer.sim.Stop();
    ASSERT_TRUE(printer.Start({"--mac", "00:1A:2B:3C:4D:5E", "--udp-reply-port", "0"}))
        << printer.sim.Error().toStdString();
    EXPECT_EQ(Run(ExampleChange(), base::MsgAnswer::Yes), NetSettingChange::Outcome::Applied);
    EXPECT_TRUE(answered);
    EXPECT_EQ(printer.Events(2).size(), 2u);
}

TEST(NetSettingChangeTiming, WaitsOneSecondForAnAnswerAndAppliesNothingWithout) {
    RecordedMessages messages;
    base::RecordingClock clock;
    NetSettingChange change(clock, {"127.0.0.1", FreeLoopbackUdpPort(), "127.0.0.1", 0},
                            ExampleChange());
    base::RunSteps(change, clock);
    EXPECT_EQ(change.GetOutcome(), NetSettingChange::Outcome::NoAnswer);
    EXPECT_FALSE(change.Answered());
    EXPECT_EQ(clock.TotalWaited(), kReceiveTimeoutMs);
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{kAsk, kNoAnswerText}));
}

}  // namespace
