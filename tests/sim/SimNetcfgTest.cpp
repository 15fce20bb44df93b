// The simulator's network-setting responder: over loopback with a reply port
// of the sender's choosing, and inside a pair of test network namespaces with
// a real broadcast.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QJsonArray>
#include <QProcess>
#include <thread>

#include "support/SimHarness.h"

using namespace korva::test;

namespace {

// AA AA <command>, 30 bytes of fields, 55 55.
QByteArray Datagram(uint8_t command, const char* fields = "") {
    QByteArray d(35, 0);
    d[0] = d[1] = char(0xAA);
    d[2] = char(command);
    QByteArray f = Bytes(fields);
    for (int i = 0; i < f.size(); ++i) d[3 + i] = f[i];
    d[33] = d[34] = 0x55;
    return d;
}

// IP, mask, gateway, MAC, DHCP, port (bytes 3..23).
const char* kNewFields = "c0 a8 01 32  ff ff 00 00  c0 a8 01 01  00 1a 2b 3c 4d 5e  00  23 28";

int UdpSocket(const char* address, uint16_t port) {
    int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    int on = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    setsockopt(fd, SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    inet_pton(AF_INET, address, &a.sin_addr);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool SendTo(int fd, const QByteArray& d, const char* address, uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    inet_pton(AF_INET, address, &a.sin_addr);
    return ::sendto(fd, d.constData(), size_t(d.size()), 0, reinterpret_cast<sockaddr*>(&a),
                    sizeof a) == d.size();
}

// The next datagram not sent from `ignore` within the time, or nothing.
QByteArray Receive(int fd, int timeoutMs, const char* ignore = nullptr) {
    for (;;) {
        pollfd pfd{fd, POLLIN, 0};
        if (poll(&pfd, 1, timeoutMs) <= 0) return {};
        char buffer[64];
        sockaddr_in from{};
        socklen_t length = sizeof from;
        ssize_t n =
            ::recvfrom(fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
        char text[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
        if (n >= 0 && (!ignore || std::string(text) != ignore)) return QByteArray(buffer, int(n));
    }
}

class SimNetcfg : public ::testing::Test {
  protected:
    void Start(const QStringList& extra = {}) {
        ASSERT_TRUE(sim.Start(QStringList{"--udp", "127.0.0.1:0", "--udp-reply-port", "0"} + extra))
            << sim.Error().toStdString();
        fd = UdpSocket("127.0.0.1", 0);
        ASSERT_GE(fd, 0);
    }
    void TearDown() override {
        if (fd >= 0) ::close(fd);
    }
    QByteArray Exchange(const QByteArray& d, int timeoutMs = 2000) {
        EXPECT_TRUE(SendTo(fd, d, "127.0.0.1", sim.UdpPort()));
        return Receive(fd, timeoutMs);
    }
    QJsonObject Network() {
        return sim
            .WaitForState(
                [](const QJsonObject& s) { return !s["events"].toArray().isEmpty(); })["network"]
            .toObject();
    }
    SimHarness sim;
    int fd = -1;
};

TEST_F(SimNetcfg, SearchIsAnsweredWithTheConfiguration) {
    Start({"--ip", "192.168.0.10", "--dhcp"});
    QByteArray reply = Exchange(Datagram(0x00));
    ASSERT_EQ(reply.size(), 35);
    EXPECT_EQ(reply.mid(3, 4), Bytes("c0 a8 00 0a"));
    EXPECT_EQ(reply.mid(7, 4), Bytes("ff ff ff 00"));
    EXPECT_EQ(reply.mid(11, 4), Bytes("c0 a8 00 01"));
    EXPECT_EQ(reply.mid(15, 6), Bytes("00 2b 9e 12 34 56"));
    EXPECT_EQ(reply[21], 1);
    EXPECT_EQ(reply.mid(22, 2), Bytes("17 71"));  // 6001, high byte first
    EXPECT_EQ(reply.right(2), Bytes("55 55"));
}

TEST_F(SimNetcfg, ChangeIsAppliedOnlyByTheMatchingApply) {
    Start({"--mac", "00:1A:2B:3C:4D:5E"});
    EXPECT_EQ(Exchange(Datagram(0x02, kNewFields)).size(), 35);  // the change is acknowledged
    QJsonObject held = sim.WaitForState(
        [](const QJsonObject& s) { return s["network"]["change_pending"].toBool(); });
    EXPECT_EQ(held["network"].toObject()["ip"].toString(), "192.168.0.254");  // not yet

    EXPECT_TRUE(Exchange(Datagram(0x04, kNewFields), 200).isEmpty());
    QJsonObject state =
        sim.WaitForState([](const QJsonObject& s) { return s["network"]["ip"] == "192.168.1.50"; });
    EXPECT_EQ(state["network"].toObject(), (QJsonObject{{"ip", "192.168.1.50"},
                                                        {"mask", "255.255.0.0"},
                                                        {"gateway", "192.168.1.1"},
                                                        {"port", 9000},
                                                        {"dhcp", false},
                                                        {"mac", "00:1A:2B:3C:4D:5E"},
                                                        {"change_pending", false}}));
}

TEST_F(SimNetcfg, OtherMacsAndStrayDatagramsChangeNothing) {
    Start({"--mac", "00:1A:2B:3C:4D:5E"});
    const char* otherMac = "c0 a8 01 32  ff ff 00 00  c0 a8 01 01  00 2b 9e 12 34 56  00  23 28";
    EXPECT_TRUE(Exchange(Datagram(0x02, otherMac), 200).isEmpty());
    EXPECT_TRUE(Exchange(Datagram(0x04, otherMac), 200).isEmpty());
    EXPECT_TRUE(Exchange(Datagram(0x04, kNewFields), 200).isEmpty());  // apply with no change held
    // An apply that differs from the held change (here: the port) is not taken.
    EXPECT_EQ(Exchange(Datagram(0x02, kNewFields)).size(), 35);
    QByteArray otherPort = Datagram(0x04, kNewFields);
    otherPort[23] = 0x29;
    EXPECT_TRUE(Exchange(otherPort, 200).isEmpty());
    EXPECT_TRUE(Exchange(Datagram(0x00).left(34), 200).isEmpty());  // too short
    QByteArray noTrailer = Datagram(0x00);
    noTrailer[34] = 0;
    EXPECT_TRUE(Exchange(noTrailer, 200).isEmpty());
    QJsonObject state =
        sim.WaitForState([](const QJsonObject& s) { return s["events"].toArray().size() >= 7; });
    EXPECT_EQ(state["events"].toArray().size(), 7);
    EXPECT_FALSE(state["network"].toObject()["change_pending"].toBool());
    EXPECT_EQ(state["network"].toObject()["ip"].toString(), "192.168.0.254");
}

// Runs `script` with `suffix`; 77 means namespaces are not allowed here.
int RunScript(const char* script, const QString& suffix, QString* output) {
    QProcess process;
    process.start(QStringLiteral(KORVA_SOURCE_DIR "/scripts/") + script, {suffix});
    process.waitForFinished(20000);
    *output =
        QString::fromLocal8Bit(process.readAllStandardOutput() + process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// A UDP socket made inside a network namespace: a thread enters it just to
// create the socket, which stays in that namespace wherever it is used.
int UdpSocketIn(const QString& netns, const char* address, uint16_t port) {
    int fd = -1;
    std::thread([&] {
        int nsfd =
            ::open(("/var/run/netns/" + netns).toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
        if (nsfd >= 0 && setns(nsfd, CLONE_NEWNET) == 0) fd = UdpSocket(address, port);
        if (nsfd >= 0) ::close(nsfd);
    }).join();
    return fd;
}

TEST(SimNetcfgNamespaces, BroadcastSearchInTestNamespacesGetsTheConfiguration) {
    const QString suffix = QStringLiteral("s%1").arg(getpid());
    QString output;
    int up = RunScript("netns-up.sh", suffix, &output);
    if (up == 77) GTEST_SKIP() << "network namespaces not available: " << output.toStdString();
    ASSERT_EQ(up, 0) << output.toStdString();
    struct Down {
        QString suffix;
        ~Down() {
            QString ignored;
            RunScript("netns-down.sh", suffix, &ignored);
        }
    } down{suffix};

    SimHarness sim;
    ASSERT_TRUE(sim.InNamespace("korva-printer-" + suffix)
                    .Start({"--udp", "0.0.0.0:2918", "--ip", "192.168.0.254"}))
        << sim.Error().toStdString();
    int fd = UdpSocketIn("korva-host-" + suffix, "0.0.0.0", 2918);
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(SendTo(fd, Datagram(0x00), "255.255.255.255", 2918));
    QByteArray reply = Receive(fd, 3000, "198.18.0.10");  // skip our own broadcast
    ::close(fd);
    ASSERT_EQ(reply.size(), 35);
    EXPECT_EQ(reply.mid(3, 4), Bytes("c0 a8 00 fe"));
    EXPECT_EQ(reply.mid(15, 6), Bytes("00 2b 9e 12 34 56"));
}

}  // namespace
