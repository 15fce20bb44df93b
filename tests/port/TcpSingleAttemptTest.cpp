// The TCP link's single connection attempt (the logo erase gives an Ethernet
// printer one chance): one wait of 100 ms, one probe, and the system's reason.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>

#include <cerrno>

#include "port/PrinterSocket.h"
#include "port/TcpStream.h"

using namespace korva::port;

namespace {

void EnsureApp() {
    static int argc = 1;
    static char name[] = "test_port";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) new QCoreApplication(argc, argv);
}

/// Records the waits and really waits, running the event loop meanwhile.
void CountWaits(CPrinterSocket& link, std::vector<int>& waits) {
    link.SetWaiter([&waits](int ms) {
        waits.push_back(ms);
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, ms);
    });
}

}  // namespace

TEST(TcpSingleAttempt, AClosedPortFailsAfterOneProbeWithTheRefusal) {
    EnsureApp();
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    const quint16 closedPort = server.serverPort();
    server.close();  // nothing listens there any more

    CPrinterSocket link;
    std::vector<int> waits;
    CountWaits(link, waits);
    TcpStream stream(link, "127.0.0.1", closedPort);
    EXPECT_FALSE(stream.OpenSingleAttempt());
    EXPECT_EQ(waits, std::vector<int>{100});
    EXPECT_EQ(stream.LastError(), ECONNREFUSED);
    EXPECT_FALSE(stream.IsOpen());
    EXPECT_EQ(link.Send("x", 1), -1);  // the link was closed again

    // Open() keeps its ten probes on the same link.
    waits.clear();
    EXPECT_FALSE(stream.Open());
    EXPECT_EQ(waits, std::vector<int>(10, 50));
}

TEST(TcpSingleAttempt, AListeningPrinterIsConnectedByTheOneProbe) {
    EnsureApp();
    QTcpServer server;
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    CPrinterSocket link;
    std::vector<int> waits;
    CountWaits(link, waits);
    TcpStream stream(link, "127.0.0.1", server.serverPort());
    ASSERT_TRUE(stream.OpenSingleAttempt());
    EXPECT_EQ(waits, std::vector<int>{100});
    EXPECT_EQ(stream.LastError(), 0);
    const std::vector<uint8_t> bytes = {0x1C, 0x71, 0x01};
    EXPECT_EQ(stream.Write(bytes), 3u);
    stream.Close();
}
