// The TCP link against a loopback QTcpServer playing the printer.
#include "port/PrinterSocket.h"
#include "port/TcpStream.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>

#include <atomic>
#include <cerrno>
#include <sys/socket.h>
#include <thread>

#include "base/MessageBox.h"
#include "base/Clock.h"
#include "port/PortFailures.h"
#include "port/ReceiptCheck.h"

using namespace korva::port;
using Bytes = std::vector<uint8_t>;

namespace {

void EnsureApp() {
    static int argc = 1;
    static char name[] = "test_port";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) new QCoreApplication(argc, argv);
}

/// Runs the event loop until `done` holds; the bound only guards against a hang.
template <typename Pred>
bool SpinUntil(Pred done, int ms = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

Bytes Pattern(size_t n, uint8_t seed) {
    Bytes out(n);
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(seed + i);
    return out;
}

class PrinterSocketTest : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureApp();
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
        previous = korva::base::SetMessageHandler(
            [this](const std::string& text, const std::string&, korva::base::MsgStyle) {
                shown.push_back(text);
                return korva::base::MsgAnswer::Ok;
            });
    }
    void TearDown() override { korva::base::SetMessageHandler(previous); }

    /// Connects the link and takes the server's end of it.
    QTcpSocket* ConnectLink(CPrinterSocket& link) {
        EXPECT_TRUE(link.ConnectWithRetry("127.0.0.1", server.serverPort()));
        SpinUntil([&] { return server.hasPendingConnections(); });
        return server.nextPendingConnection();
    }
    void Feed(QTcpSocket* printer, const Bytes& bytes) {
        printer->write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
        printer->flush();
    }

    QTcpServer server;
    std::vector<std::string> shown;
    korva::base::MessageHandler previous;
};

}  // namespace

TEST_F(PrinterSocketTest, ConnectsSendsAndQueuesReplies) {
    CPrinterSocket link;
    int notified = 0;
    link.SetNotify([&] { ++notified; });
    QTcpSocket* printer = ConnectLink(link);
    ASSERT_NE(printer, nullptr);
    EXPECT_EQ(link.m_bConnected, 1);

    TcpStream stream(link, "127.0.0.1", server.serverPort());
    const Bytes request = Pattern(5000, 3);
    EXPECT_EQ(stream.Write(request), request.size());
    QByteArray got;
    ASSERT_TRUE(SpinUntil([&] {
        got += printer->readAll();
        return got.size() >= static_cast<qsizetype>(request.size());
    }));
    EXPECT_EQ(Bytes(got.begin(), got.end()), request);

    Feed(printer, {0x14, 0x00, 0x00, 0x0F});
    uint8_t reply[8] = {};
    int taken = 0;
    while (taken < 4) {
        const int n = stream.Read(std::span(reply + taken, sizeof reply - taken), 2000);
        ASSERT_GT(n, 0);
        taken += n;
    }
    EXPECT_EQ(Bytes(reply, reply + 4), (Bytes{0x14, 0x00, 0x00, 0x0F}));
    EXPECT_GE(notified, 1);
    EXPECT_TRUE(shown.empty());
}

TEST_F(PrinterSocketTest, ChunkRuleWith3100Held) {
    CPrinterSocket link;
    QTcpSocket* printer = ConnectLink(link);
    ASSERT_NE(printer, nullptr);
    ASSERT_TRUE(link.m_QueueRead.PutChunk(Pattern(3100, 0)));
    Feed(printer, Pattern(996, 1));
    ASSERT_TRUE(SpinUntil([&] { return !shown.empty(); }));
    EXPECT_EQ(shown, std::vector<std::string>{"m_QueueRead FULL!"});
    EXPECT_EQ(link.m_QueueRead.Count(), 3100u);
    Feed(printer, Pattern(995, 2));
    ASSERT_TRUE(SpinUntil([&] { return link.m_QueueRead.Count() == 4095u; }));
    EXPECT_EQ(shown.size(), 1u);
}

TEST_F(PrinterSocketTest, PrinterThatNeverAnswersGivesUpAfterTenProbes) {
    const quint16 closedPort = server.serverPort();
    server.close();  // nothing listens there any more
    CPrinterSocket link;
    std::vector<int> waits;
    link.SetWaiter([&](int ms) {
        waits.push_back(ms);
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, ms);
    });
    EXPECT_FALSE(link.ConnectWithRetry("127.0.0.1", closedPort));
    EXPECT_EQ(waits, std::vector<int>(10, 50));
    EXPECT_EQ(link.m_bConnected, 0);
    EXPECT_EQ(link.Send("x", 1), -1);

    waits.clear();
    EXPECT_FALSE(link.ConnectWithRetry("127.0.0.1", closedPort, 10));
    ASSERT_EQ(waits.size(), 11u);
    EXPECT_EQ(waits.front(), 10);
}

TEST_F(PrinterSocketTest, PeerCloseClearsTheFlagAndLaterSendsFail) {
    CPrinterSocket link;
    QTcpSocket* printer = ConnectLink(link);
    ASSERT_NE(printer, nullptr);
    Feed(printer, {0x41, 0x42});
    printer->disconnectFromHost();
    ASSERT_TRUE(SpinUntil([&] { return link.m_bConnected == 0; }));
    EXPECT_EQ(link.m_QueueRead.Count(), 2u);  // what came before the close is kept
    EXPECT_EQ(link.Send("x", 1), -1);
    TcpStream stream(link, "127.0.0.1", server.serverPort());
    EXPECT_EQ(stream.Write(Bytes{1, 2}), 0u);
    uint8_t buffer[4];
    EXPECT_EQ(stream.Read(buffer, 10), 2);
    EXPECT_EQ(stream.Read(buffer, 10), -1);
}

TEST_F(PrinterSocketTest, WorkerThreadWritesAndReadsThroughTheOwnersLoop) {
    CPrinterSocket link;
    QTcpSocket* printer = ConnectLink(link);
    ASSERT_NE(printer, nullptr);
    TcpStream stream(link, "127.0.0.1", server.serverPort());
    std::atomic<bool> done{false};
    size_t written = 0;
    int read = 0;
    uint8_t reply[4] = {};
    std::thread worker([&] {
        written = stream.Write(Bytes{0x1D, 0x49, 0x01});
        read = stream.Read(reply, 3000);
        done = true;
    });
    QByteArray got;
    ASSERT_TRUE(SpinUntil([&] {
        got += printer->readAll();
        return got.size() >= 3;
    }));
    Feed(printer, {0x30});
    ASSERT_TRUE(SpinUntil([&] { return done.load(); }));
    worker.join();
    EXPECT_EQ(written, 3u);
    EXPECT_EQ(got, QByteArray("\x1D\x49\x01", 3));
    EXPECT_EQ(read, 1);
    EXPECT_EQ(reply[0], 0x30);
}

// A write is done when the printer has acknowledged it: a printer that resets
// the connection halfway, or stops reading, fails it and is named as such.
TEST_F(PrinterSocketTest, WriteFailsWhenThePrinterResetsOrStopsReading) {
    const struct {
        bool reset;  ///< the printer takes 100 KB, then resets (SO_LINGER 0)
        int error;
        const char* detail;
    } cases[] = {{true, ECONNRESET, kTextReset}, {false, ETIMEDOUT, kTextNotDelivered}};
    for (const auto& c : cases) {
        CPrinterSocket link;
        QTcpSocket* printer = ConnectLink(link);
        ASSERT_NE(printer, nullptr);
        printer->setReadBufferSize(64 * 1024);  // pushes back instead of buffering it all
        TcpStream stream(link, "127.0.0.1", server.serverPort(), 300);
        const Bytes data = Pattern(32 * 1024 * 1024, 3);
        std::atomic<bool> done{false};
        size_t written = 1;
        std::thread worker([&] {
            written = stream.Write(data);
            done = true;
        });
        qint64 taken = 0;
        ASSERT_TRUE(SpinUntil([&] {
            if (c.reset && taken < 100'000) {
                taken += printer->read(100'000 - taken).size();
                if (taken >= 100'000) {
                    const linger hard{1, 0};
                    ::setsockopt(static_cast<int>(printer->socketDescriptor()), SOL_SOCKET,
                                 SO_LINGER, &hard, sizeof hard);
                    printer->abort();
                }
            }
            return done.load();
        }, 20'000));
        worker.join();
        EXPECT_EQ(written, 0u) << c.detail;
        EXPECT_EQ(stream.LastError(), c.error) << c.detail;
        EXPECT_EQ(stream.FailureDetail(), c.detail);
        printer->abort();
    }
}

// Paced writes go out without waiting for the printer's acknowledgement of
// each one; the end of the operation waits for all of it. A printer that
// stopped taking data then fails the end as stalled, with the bytes it never
// acknowledged told, and one that reset the connection after taking
// everything fails it as reset (what it held is lost with the reset).
TEST_F(PrinterSocketTest, TheEndWaitsForTheAcknowledgementAndFindsAStallOrAReset) {
    for (const bool reset : {false, true}) {
        // A small receive window, so a printer that reads nothing pushes back soon.
        const int window = 4096;
        ::setsockopt(static_cast<int>(server.socketDescriptor()), SOL_SOCKET, SO_RCVBUF, &window,
                     sizeof window);
        CPrinterSocket link;
        QTcpSocket* printer = ConnectLink(link);
        ASSERT_NE(printer, nullptr);
        printer->setReadBufferSize(1);  // Qt takes no more than a byte off the kernel
        TcpStream stream(link, "127.0.0.1", server.serverPort(), 300);
        const Bytes chunk = Pattern(512, 7);
        if (reset) {
            for (int i = 0; i < 3; ++i) ASSERT_EQ(stream.Write(chunk), chunk.size());
            printer->setReadBufferSize(0);
            QByteArray got;
            ASSERT_TRUE(SpinUntil([&] {
                got += printer->readAll();
                return got.size() >= 3 * 512;
            }));
            const linger hard{1, 0};
            ::setsockopt(static_cast<int>(printer->socketDescriptor()), SOL_SOCKET, SO_LINGER, &hard,
                         sizeof hard);
            printer->abort();
            ASSERT_TRUE(SpinUntil([&] { return link.LinkFault() != korva::base::Reason::None; }));
        } else {
            // A write returns before its bytes are acknowledged; the writing
            // ends once they stay unacknowledged: the receive window is full.
            bool full = false;
            for (int i = 0; i < 4096 && !full; ++i) {
                ASSERT_EQ(stream.Write(chunk), chunk.size()) << "write " << i;
                if (stream.PendingBytes() > 0)
                    full = !SpinUntil([&] { return stream.PendingBytes() == 0; }, 2000);
            }
            ASSERT_TRUE(full);
        }
        korva::base::RealClock clock;
        ReceiptCheck receipt(stream, clock);
        receipt.Begin(false);
        EXPECT_EQ(receipt.Result(), Receipt::Failed) << reset;
        EXPECT_EQ(receipt.Reason(), reset ? korva::base::Reason::Reset : korva::base::Reason::Stalled);
        EXPECT_EQ(stream.FailureDetail(), reset ? kTextReset : kTextNotDelivered);
        if (!reset) {
            EXPECT_GT(stream.PendingBytes(), 0u);  // how far it got: these never arrived
        }
        EXPECT_FALSE(stream.AwaitDelivery()) << reset;
        printer->abort();
    }
}
