// The simulator as a program: options, the pty line (termios, pacing, reopen,
// link), TCP connections, and the shell harness.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QProcess>
#include <QTemporaryDir>

#include "support/SimHarness.h"

using namespace korva::test;

namespace {

TEST(SimProgram, HelpNamesEveryOptionAndBadOptionsAreUsageErrors) {
    QProcess help;
    help.start(SimHarness::Program(), {"--help"});
    ASSERT_TRUE(help.waitForFinished(10000));
    EXPECT_EQ(help.exitCode(), 0);
    const QString text = QString::fromLocal8Bit(help.readAllStandardOutput());
    for (const char* option : {"--serial",
                               "--serial-link",
                               "--line-rate",
                               "--tcp",
                               "--udp",
                               "--udp-reply-port",
                               "--usb-escape",
                               "--parallel-status",
                               "--series",
                               "--mac",
                               "--ip",
                               "--mask",
                               "--gateway",
                               "--net-port",
                               "--dhcp",
                               "--power-on-after",
                               "--nak-every",
                               "--drop-answer-after",
                               "--disconnect-after-bytes",
                               "--stall-after-bytes",
                               "--state",
                               "--paper",
                               "--record-limit"})
        EXPECT_TRUE(text.contains(option)) << option;

    for (QStringList args :
         {QStringList{"--serial", "--bogus"}, QStringList{"--series", "4", "--serial"},
          QStringList{}, QStringList{"--tcp", "x:y"},
          QStringList{"--serial", "--nak-every", "1"}}) {
        QProcess bad;
        bad.start(SimHarness::Program(), args);
        ASSERT_TRUE(bad.waitForFinished(10000));
        EXPECT_EQ(bad.exitCode(), 2) << args.join(' ').toStdString();
        EXPECT_FALSE(bad.readAllStandardError().isEmpty());
    }
}

TEST(SimProgram, ShellHarnessDrivesTheSimulator) {
    QProcess script;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("KORVA_BIN_DIR", KORVA_BIN_DIR);
    script.setProcessEnvironment(env);
    script.start("bash", {KORVA_SOURCE_DIR "/tests/sim/harness-demo.sh"});
    ASSERT_TRUE(script.waitForFinished(60000));
    const QString output =
        QString::fromLocal8Bit(script.readAllStandardOutput() + script.readAllStandardError());
    EXPECT_EQ(script.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("harness ok: printer id 22, 1 image(s)")) << output.toStdString();
}

TEST(SimSerial, LinkPointsAtTheSlaveAndGoesAwayAtStop) {
    QTemporaryDir dir;
    const QString link = dir.filePath("ttyKORVA");
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial-link", link}));
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), sim.SerialPath());
    sim.Stop();
    EXPECT_FALSE(QFileInfo::exists(link));
}

TEST(SimSerial, LineSettingsTheHostSetAreRead) {
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial"}));
    int fd = OpenRawTty(sim.SerialPath());
    ASSERT_GE(fd, 0);
    termios tio{};
    tcgetattr(fd, &tio);
    cfsetspeed(&tio, B19200);
    tio.c_cflag |= CSTOPB | CRTSCTS;
    tcsetattr(fd, TCSANOW, &tio);
    ASSERT_TRUE(WriteAll(fd, "\n"));
    QJsonObject state =
        sim.WaitForState([](const QJsonObject& s) { return s["line"]["baud"].toInt() == 19200; });
    EXPECT_EQ(state["line"].toObject(), (QJsonObject{{"baud", 19200},
                                                     {"data_bits", 8},
                                                     {"parity", false},
                                                     {"stop_bits", 2},
                                                     {"flow", "rtscts"}}));
    ::close(fd);
}

TEST(SimSerial, ReopenedLineStartsANewConnectionAndKeepsDecoding) {
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial"}));
    int fd = OpenRawTty(sim.SerialPath());
    ASSERT_TRUE(WriteAll(fd, Bytes("1d 28 45 02 00")));  // a request cut off by the close
    ::close(fd);
    sim.WaitForState([](const QJsonObject& s) { return s["received"].toArray().size() == 1; });
    fd = OpenRawTty(sim.SerialPath());
    ASSERT_TRUE(WriteAll(fd, Bytes("06 03")));
    EXPECT_EQ(ReadFor(fd, 6, 3000), Bytes("37 27 33 1f 36 00"));
    QJsonObject state =
        sim.WaitForState([](const QJsonObject& s) { return s["received"].toArray().size() == 2; });
    EXPECT_EQ(SimHarness::Received(state, 1), Bytes("06 03"));
    ::close(fd);
}

TEST(SimSerial, ImmediateReopenStillStartsANewConnection) {
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial"}));
    int fd = OpenRawTty(sim.SerialPath());
    for (int i = 0; i < 10; ++i) {
        ASSERT_TRUE(WriteAll(fd, QByteArray(3, char('A' + i))));
        sim.WaitForState(
            [i](const QJsonObject& s) { return s["received"].toArray().size() == i + 1; });
        ::close(fd);  // and open again at once, as a tool's Close, Open does
        fd = OpenRawTty(sim.SerialPath());
    }
    ::close(fd);
    QJsonArray received = sim.State()["received"].toArray();
    ASSERT_EQ(received.size(), 10);
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(SimHarness::Received(sim.State(), i), QByteArray(3, char('A' + i)));
}

TEST(SimSerial, AnswersToAClosedLineAreLost) {
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--serial", "--line-rate", "tty"}));
    int fd = OpenRawTty(sim.SerialPath());
    termios tio{};
    tcgetattr(fd, &tio);
    cfsetspeed(&tio, B1200);  // 120 bytes a second: the request is still arriving after the close
    tcsetattr(fd, TCSANOW, &tio);
    ASSERT_TRUE(WriteAll(fd, Bytes("1d 28 45 02 00 06 03")));
    ::close(fd);
    QJsonObject state = sim.WaitForState([](const QJsonObject& s) {
        return s["events"].toArray().contains("serial: answer lost, the host has the line closed");
    });
    EXPECT_TRUE(
        state["events"].toArray().contains("serial: answer lost, the host has the line closed"));
    fd = OpenRawTty(sim.SerialPath());
    EXPECT_TRUE(ReadFor(fd, 1, 200).isEmpty());
    ::close(fd);
}

// Lower bounds only: a slow machine can make these slower, never faster.
TEST(SimSerial, LineRateHoldsBytesToTheBaudRate) {
    for (auto [option, baud] : {std::pair{"9600", B9600}, std::pair{"tty", B2400}}) {
        SimHarness sim;
        ASSERT_TRUE(sim.Start({"--serial", "--line-rate", option}));
        int fd = OpenRawTty(sim.SerialPath());
        termios tio{};
        tcgetattr(fd, &tio);
        cfsetspeed(&tio, baud);
        tcsetattr(fd, TCSANOW, &tio);
        const int count = baud == B9600 ? 960 : 240;  // one second's worth at 8N1
        QElapsedTimer clock;
        clock.start();
        ASSERT_TRUE(WriteAll(fd, QByteArray(count, 'x')));
        sim.WaitForState(
            [&](const QJsonObject& s) { return s["received"][0]["byte_count"].toInt() == count; },
            10000);
        EXPECT_GE(clock.elapsed(), 900) << option;
        ::close(fd);
    }
}

TEST(SimTcp, ConnectionsOneAfterAnotherWithAZeroLengthProbe) {
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--tcp", "127.0.0.1:0"}));
    ASSERT_NE(sim.TcpPort(), 0);
    for (int i = 0; i < 3; ++i) {
        int fd = sim.ConnectTcp();
        ASSERT_GE(fd, 0);
        EXPECT_EQ(::send(fd, "", 0, 0), 0);  // the host's connection probe
        ASSERT_TRUE(WriteAll(fd, Bytes("1d 49 01")));
        EXPECT_EQ(ReadFor(fd, 1, 3000), Bytes("22"));
        ::close(fd);
    }
    int idle = sim.ConnectTcp();  // connects and sends nothing: no trace
    ::close(idle);
    QJsonObject state =
        sim.WaitForState([](const QJsonObject& s) { return s["received"].toArray().size() == 3; });
    QJsonArray received = state["received"].toArray();
    ASSERT_EQ(received.size(), 3);
    for (const QJsonValue entry : received) {
        EXPECT_EQ(entry["transport"].toString(), "tcp");
        EXPECT_EQ(entry["bytes"].toString(), "1d4901");
        EXPECT_EQ(entry["sent"].toString(), "22");
    }
}

}  // namespace

namespace {

TEST(SimHarnessStart, ReportsWhyTheSimulatorDidNotComeUp) {
    SimHarness first;
    ASSERT_TRUE(first.Start({"--tcp", "127.0.0.1:0"}));
    SimHarness second;
    second.ExpectExit(1);  // the port is taken
    EXPECT_FALSE(second.Start({"--tcp", QStringLiteral("127.0.0.1:%1").arg(first.TcpPort())}));
    EXPECT_TRUE(second.Error().contains("cannot listen on TCP")) << second.Error().toStdString();
    EXPECT_FALSE(second.Running());
}

}  // namespace
