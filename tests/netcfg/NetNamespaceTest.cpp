// Search and change with the real limited broadcast to 255.255.255.255:2918,
// inside a pair of test namespaces (skipped where namespaces cannot be made).
#include <gtest/gtest.h>

#include <QJsonObject>

#include "NetNamespaces.h"
#include "base/Messages.h"
#include "netcfg/NetSearch.h"
#include "netcfg/NetSettingChange.h"
#include "netcfg/NetText.h"
#include "support/RecordedMessages.h"
#include "support/SimHarness.h"

using namespace korva;
using namespace korva::netcfg;
using namespace korva::test;

namespace {

TEST(NetNamespace, BroadcastSearchFindsThePrinterAndChangeReachesIt) {
    TestNamespaces ns;
    const int up = ns.Up("e");
    if (up == 77) GTEST_SKIP() << "network namespaces not available: " << ns.Output().toStdString();
    ASSERT_EQ(up, 0) << ns.Output().toStdString();

    SimHarness sim;
    ASSERT_TRUE(sim.InNamespace(ns.Printer())
                    .Start({"--udp", "0.0.0.0:2918", "--ip", "198.18.0.254", "--mac",
                            "00:2B:9E:00:00:07"}))
        << sim.Error().toStdString();

    RecordedMessages messages(base::MsgAnswer::Yes);
    std::vector<NetSettings> found;
    std::vector<std::string> senders;
    NetSettingChange::Outcome outcome = NetSettingChange::Outcome::None;
    bool answered = false;
    int counted = 0;
    ASSERT_TRUE(ns.RunInHost([&] {
        base::RealClock clock;
        NetSearch search(clock, NetEndpoints{});  // 255.255.255.255:2918, as shipped
        base::RunSteps(search, clock);
        found = search.Printers();
        counted = search.DatagramsCounted();
        senders = search.Senders();

        const ChangeBuild request = BuildChange(
            {"198.18.0.77", "255.255.255.0", "198.18.0.1", 9100, false}, "00:2B:9E:00:00:07");
        NetSettingChange change(clock, NetEndpoints{}, request);
        base::RunSteps(change, clock);
        outcome = change.GetOutcome();
        answered = change.Answered();
    }));

    // Our own broadcast came back too and was left out.
    EXPECT_EQ(counted, 2);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(senders[0], "198.18.0.254");
    EXPECT_EQ(FormatPrinterRow(found[0]).mac, "00:2B:9E:00:00:07");
    EXPECT_EQ(outcome, NetSettingChange::Outcome::Applied);
    EXPECT_TRUE(answered);
    EXPECT_EQ(messages.Texts(),
              (std::vector<std::string>{base::Message(base::kMsgSearchFinished),
                                        base::Message(base::kMsgConfirmNetworkChange),
                                        base::Message(base::kMsgUpdateComplete2)}));
    const QJsonObject state =
        sim.WaitForState([](const QJsonObject& s) { return s["network"]["ip"] == "198.18.0.77"; });
    EXPECT_EQ(state["network"]["ip"].toString(), "198.18.0.77");
    EXPECT_EQ(state["network"]["port"].toInt(), 9100);
}

// A broadcast nobody answers: the box names the interface it left by.
TEST(NetNamespace, EmptySearchNamesTheInterfaceItLeftBy) {
    TestNamespaces ns;
    const int up = ns.Up("q");
    if (up == 77) GTEST_SKIP() << "network namespaces not available: " << ns.Output().toStdString();
    ASSERT_EQ(up, 0) << ns.Output().toStdString();

    RecordedMessages messages;
    size_t found = 1;
    ASSERT_TRUE(ns.RunInHost([&] {
        base::RealClock clock;
        NetSearch search(clock, NetEndpoints{});
        base::RunSteps(search, clock);
        found = search.Printers().size();
    }));
    EXPECT_EQ(found, 0u);
    ASSERT_EQ(messages.Texts().size(), 1u);
    const std::string hostInterface = "kh-q" + std::to_string(getpid());
    EXPECT_EQ(messages.Texts()[0].rfind(base::Message(base::kMsgSearchFinished) +
                                            std::string("\r\nNo printer answered the search (sent to "
                                                        "255.255.255.255 port 2918 on ") +
                                            hostInterface + " 198.18.0.10/24).",
                                        0),
              0u)
        << messages.Texts()[0];
}

}  // namespace
