// Search printers against korva-sim over loopback UDP, and against datagrams
// sent straight to the port the search listens on.
#include <gtest/gtest.h>

#include <thread>

#include "NetSimSupport.h"
#include "NetcfgData.h"
#include "base/Messages.h"
#include "netcfg/NetSearch.h"
#include "netcfg/NetText.h"
#include "support/RecordedMessages.h"

using namespace korva;
using namespace korva::netcfg;
using namespace korva::test;

namespace {

const std::string kFinished = base::Message(base::kMsgSearchFinished);

// Endpoints where nobody answers: the request goes to a port no one holds.
NetEndpoints Silent() { return {"127.0.0.1", FreeLoopbackUdpPort(), "127.0.0.1", 0}; }

TEST(NetSearch, ListsTheSimulatedPrinterAndSaysWhenFinished) {
    LoopbackPrinter printer;
    ASSERT_TRUE(printer.Start({"--ip", "192.168.0.10", "--dhcp", "--net-port", "6001"}))
        << printer.sim.Error().toStdString();
    RecordedMessages messages;
    base::RealClock clock;
    NetSearch search(clock, printer.Endpoints());
    base::RunSteps(search, clock);

    EXPECT_EQ(search.GetOutcome(), NetSearch::Outcome::Finished);
    ASSERT_EQ(search.Printers().size(), 1u);
    const PrinterRow row = FormatPrinterRow(search.Printers()[0]);
    EXPECT_EQ(row.ip, "192.168.0.10 (DHCP)");
    EXPECT_EQ(row.port, "6001");
    EXPECT_EQ(row.mac, "00:2B:9E:12:34:56");
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{kFinished});
    // The simulator received the request exactly as laid out.
    const std::vector<std::string> events = printer.Events(1);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_NE(events[0].find(SimHex(NetcfgDatagram("search-request.hex"))), std::string::npos)
        << events[0];
}

TEST(NetSearch, OwnRequestComingBackAddsNoRow) {
    // The request goes to the very port the search listens on, as a broadcast
    // comes back to the sender on a real network.
    const uint16_t port = FreeLoopbackUdpPort();
    RecordedMessages messages;
    base::RealClock clock;
    NetSearch search(clock, {"127.0.0.1", port, "127.0.0.1", port});
    base::RunSteps(search, clock);
    EXPECT_EQ(search.GetOutcome(), NetSearch::Outcome::Finished);
    EXPECT_TRUE(search.Printers().empty());
    // Nobody answered: said so after the closing line, with where the search went.
    const std::string p = std::to_string(port);
    EXPECT_EQ(messages.Texts(),
              std::vector<std::string>{kFinished + "\r\nNo printer answered the search (sent to 127.0.0.1 port " + p +
                                       ").\r\nA search reaches only printers on this computer's own network: "
                                       "routers do not pass it on. Check the printer's network cable and that it "
                                       "is switched on, and that no firewall here drops the answers (UDP port " +
                                       p + ")."});
}

TEST(NetSearch, RowsComeInOrderOfArrivalShortRepliesAreSkippedAndListeningStopsAt254) {
    RecordedMessages messages;
    base::RealClock clock;
    NetSearch search(clock, Silent());
    ASSERT_EQ(search.Step(), 0);  // sockets up, request sent
    ASSERT_NE(search.ListenPort(), 0);

    std::vector<uint8_t> reply = NetcfgDatagram("reply-192.168.0.10-dhcp.hex");
    SendLoopback(search.ListenPort(), std::vector<uint8_t>(reply.begin(), reply.begin() + 20));
    // 260 more, given out in batches the socket buffer surely holds.
    int sent = 0;
    while (sent < 260 && !search.IsDone()) {
        for (int i = 0; i < 20 && sent < 260; ++i, ++sent) {
            reply[6] = static_cast<uint8_t>(sent);  // last IP number numbers the replies
            SendLoopback(search.ListenPort(), reply);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        search.Step();
    }
    base::RunSteps(search, clock);

    EXPECT_EQ(search.ShortReplies(), 1);
    ASSERT_EQ(search.Printers().size(), 253u);  // 254 datagrams counted, the short one among them
    for (size_t i = 0; i < search.Printers().size(); ++i)
        ASSERT_EQ(search.Printers()[i].ip[3], i) << "row " << i;
    EXPECT_EQ(search.Senders()[0], "127.0.0.1");
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{kFinished});
}

TEST(NetSearch, EndsOneSecondAfterTheLastDatagram) {
    RecordedMessages messages;
    base::RecordingClock clock;
    NetSearch quiet(clock, Silent());
    base::RunSteps(quiet, clock);
    EXPECT_EQ(clock.TotalWaited(), kReceiveTimeoutMs);

    base::RecordingClock later;
    NetSearch search(later, Silent());
    bool sent = false;
    base::RunSteps(search, later, [&] {
        if (!sent && later.NowMs() >= 500 && search.ListenPort() != 0) {
            SendLoopback(search.ListenPort(), NetcfgDatagram("reply-192.168.0.10-dhcp.hex"));
            std::this_thread::sleep_for(std::chrono::milliseconds(20));  // let loopback deliver it
            sent = true;
        }
    });
    EXPECT_EQ(search.Printers().size(), 1u);
    EXPECT_GE(later.TotalWaited(), 500 + kReceiveTimeoutMs);
    EXPECT_LE(later.TotalWaited(), 500 + kReceiveTimeoutMs + 2 * kPollMs);
}

TEST(NetSearch, SocketThatCannotBeSetUpIsReportedAndTheSearchStillEnds) {
    RecordedMessages messages;
    base::RealClock clock;
    // 192.0.2.1 is no address of this machine: the reply socket cannot bind.
    NetSearch search(clock, {"127.0.0.1", FreeLoopbackUdpPort(), "192.0.2.1", 0});
    base::RunSteps(search, clock);
    EXPECT_EQ(search.GetOutcome(), NetSearch::Outcome::SetupFailed);
    EXPECT_EQ(messages.Texts(),
              (std::vector<std::string>{base::Message(base::kMsgSystemError), kFinished}));
}

}  // namespace
