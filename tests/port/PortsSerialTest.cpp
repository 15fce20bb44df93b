// CPorts on a serial line: a pty pair, the port opening the slave like any tty.
#include "port/Ports.h"
#include "port/SerialLine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <sys/stat.h>
#include <termios.h>
#include <thread>

#include "base/MessageBox.h"
#include "port/PortFailures.h"
#include "port/PortTestSupport.h"
#include "support/PtyPair.h"

using namespace korva::port;
using korva::test::LogCapture;
using korva::test::PtyPair;

namespace {

void SetSerial(CPorts& port, const std::string& path, int baud = 115200, int flow = kFlowNone) {
    port.m_PortName = path;
    port.m_BaudRate = baud;
    port.m_DataBits = 8;
    port.m_Parity = kParityNone;
    port.m_StopBits = kStopBits1;
    port.m_FlowControl = flow;
}

termios LineOf(const CPorts& port) {
    termios t{};
    tcgetattr(port.NativeHandle(), &t);
    return t;
}

std::vector<uint8_t> Pattern(size_t n) {
    std::vector<uint8_t> out(n);
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(i * 13 + 1);
    return out;
}

/// Waits (bounded) until `done` holds; the bound only guards against a hang.
template <typename Pred>
bool WaitFor(Pred done, int ms = 3000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

class SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(pty.Ok()); }
    PtyPair pty;
    LogCapture log;
};

}  // namespace

TEST_F(SerialPortTest, EachBaudStopBitAndFlowChoiceReachesTheLine) {
    CPorts port(log.Log());
    for (int baud : {115200, 57600, 38400, 19200, 9600}) {
        SetSerial(port, pty.SlavePath(), baud);
        ASSERT_TRUE(port.Open()) << baud;
        const termios line = LineOf(port);
        EXPECT_EQ(cfgetospeed(&line), BaudConstant(baud));
        port.Close();
    }
    SetSerial(port, pty.SlavePath(), 9600, kFlowHardware);
    port.m_StopBits = kStopBits2;
    ASSERT_TRUE(port.Open());
    termios line = LineOf(port);
    EXPECT_TRUE(line.c_cflag & CSTOPB);
    EXPECT_TRUE(line.c_cflag & CRTSCTS);
    EXPECT_FALSE(line.c_iflag & IXON);
    EXPECT_FALSE(line.c_lflag & (ICANON | ECHO));
    port.Close();

    SetSerial(port, pty.SlavePath(), 9600, kFlowNone);
    ASSERT_TRUE(port.Open());
    EXPECT_FALSE(LineOf(port).c_cflag & CRTSCTS);
    EXPECT_FALSE(LineOf(port).c_cflag & CSTOPB);
    EXPECT_FALSE(LineOf(port).c_iflag & (IXON | IXOFF));
    port.Close();

    // Software flow keeps what the line had: set XON/XOFF from outside first.
    {
        const int fd = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
        termios t{};
        tcgetattr(fd, &t);
        t.c_iflag |= IXON | IXOFF;
        tcsetattr(fd, TCSANOW, &t);
        ::close(fd);
    }
    SetSerial(port, pty.SlavePath(), 9600, kFlowSoftware);
    ASSERT_TRUE(port.Open());
    EXPECT_EQ(LineOf(port).c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));
    port.Close();
}

TEST_F(SerialPortTest, SevenBitsEvenParityStillOpensOnAPty) {
    CPorts port(log.Log());
    SetSerial(port, pty.SlavePath(), 19200);
    port.m_DataBits = 7;
    port.m_Parity = kParityEven;
    EXPECT_TRUE(port.Open());
    EXPECT_EQ(port.m_bConnected, 1);
    EXPECT_EQ(port.Kind(), PortKind::Serial);
}

TEST_F(SerialPortTest, SecondOpenOfTheSameLineIsRefused) {
    CPorts first(log.Log());
    CPorts second(log.Log());
    SetSerial(first, pty.SlavePath());
    SetSerial(second, pty.SlavePath());
    ASSERT_TRUE(first.Open());
    EXPECT_FALSE(second.Open());
    EXPECT_EQ(second.m_bConnected, 0);
    EXPECT_EQ(log.Text(), LogCapture::Line("CPorts::Open() CreateFile error\r\n"));
    first.Close();
    EXPECT_TRUE(second.Open());  // free again after Close
}

TEST_F(SerialPortTest, WritesArriveWholeAndReportTheCount) {
    CPorts port(log.Log());
    SetSerial(port, pty.SlavePath());
    ASSERT_TRUE(port.Open());
    const auto data = Pattern(20000);  // more than the pty buffers at once
    std::vector<uint8_t> received;
    std::thread printer([&] { received = pty.Receive(data.size(), 10000); });
    EXPECT_EQ(port.Write(data), data.size());
    printer.join();
    EXPECT_EQ(received, data);
    EXPECT_EQ(log.Text(), "");
}

TEST_F(SerialPortTest, ReadWaitsForReplyBytesUpToItsTimeOut) {
    CPorts port(log.Log());
    SetSerial(port, pty.SlavePath());
    ASSERT_TRUE(port.Open());
    uint8_t buffer[16];
    EXPECT_EQ(port.Read(buffer, 30), 0);
    std::thread printer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        pty.Send({0x14, 0x00, 0x0F});
    });
    int got = 0;
    while (got < 3) {
        const int n = port.Read(std::span(buffer + got, sizeof buffer - got), 2000);
        ASSERT_GT(n, 0);
        got += n;
    }
    printer.join();
    EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 3), (std::vector<uint8_t>{0x14, 0x00, 0x0F}));
}

TEST_F(SerialPortTest, WatchThreadFillsTheQueueAndNotifiesThenEndsAtClose) {
    CPorts port(log.Log());
    SetSerial(port, pty.SlavePath());
    port.m_CurrentTool = kToolUserSetup;
    std::atomic<int> notified{0};
    port.SetNotifyWnd([&] { ++notified; });
    ASSERT_TRUE(port.Open());
    ASSERT_TRUE(port.WatchThreadRunning());

    const auto reply = Pattern(3000);
    ASSERT_TRUE(pty.Send(reply));
    ASSERT_TRUE(WaitFor([&] { return port.m_QueueRead.Count() == reply.size(); }))
        << port.m_QueueRead.Count();
    EXPECT_GE(notified.load(), 1);
    std::vector<uint8_t> got;
    while (!port.m_QueueRead.IsEmpty()) got.push_back(port.m_QueueRead.Get());
    EXPECT_EQ(got, reply);

    // Read takes from the queue while the thread runs.
    pty.Send({0x41, 0x42});
    uint8_t two[2] = {};
    int taken = 0;
    while (taken < 2) {
        const int n = port.Read(std::span(two + taken, 2 - taken), 2000);
        ASSERT_GT(n, 0);
        taken += n;
    }
    EXPECT_EQ(two[1], 0x42);

    EXPECT_EQ(port.ClosePort(), 1);
    EXPECT_FALSE(port.WatchThreadRunning());
    const int before = notified;
    // The line is gone for the port: nothing more is queued or announced.
    EXPECT_EQ(port.Read(two, 10), -1);
    EXPECT_EQ(notified.load(), before);
    EXPECT_TRUE(port.m_QueueRead.IsEmpty());
}

TEST_F(SerialPortTest, HangUpEndsTheWatchThreadAndEveryWaitAtOnce) {
    CPorts port(log.Log());
    SetSerial(port, pty.SlavePath());
    port.m_CurrentTool = kToolUserSetup;
    std::atomic<int> notified{0};
    port.SetNotifyWnd([&] { ++notified; });
    ASSERT_TRUE(port.Open());
    ASSERT_TRUE(pty.Send({0x41, 0x42}));
    ASSERT_TRUE(WaitFor([&] { return port.m_QueueRead.Count() == 2; }));
    pty.HangUp();
    ASSERT_TRUE(WaitFor([&] { return !port.WatchThreadRunning(); }));
    EXPECT_TRUE(port.HungUp());
    EXPECT_GE(notified.load(), 2);  // the data, then the hang-up
    // What came before the hang-up is still taken; then the line is gone,
    // however long the caller would have waited.
    uint8_t buffer[8];
    EXPECT_EQ(port.Read(buffer, 60'000), 2);
    EXPECT_EQ(port.Read(buffer, 60'000), -1);
    EXPECT_EQ(port.FailureDetail(), kTextHungUp);
    EXPECT_EQ(port.Write(std::vector<uint8_t>{0x1B, 0x40}), 0u);
    EXPECT_EQ(port.FailureDetail(), kTextHungUp);
    port.Close();
}

TEST_F(SerialPortTest, FullQueueRefusesTheChunkWithAMessage) {
    std::vector<std::string> shown;
    auto previous = korva::base::SetMessageHandler(
        [&](const std::string& text, const std::string&, korva::base::MsgStyle) {
            shown.push_back(text);
            return korva::base::MsgAnswer::Ok;
        });
    CPorts port(log.Log());
    SetSerial(port, pty.SlavePath());
    port.m_CurrentTool = kToolUserSetup;
    ASSERT_TRUE(port.Open());
    ASSERT_TRUE(pty.Send(Pattern(4000)));
    ASSERT_TRUE(WaitFor([&] { return port.m_QueueRead.Count() == 4000; }));
    ASSERT_TRUE(pty.Send(Pattern(200)));
    ASSERT_TRUE(WaitFor([&] { return !shown.empty(); }));
    EXPECT_EQ(shown[0], "m_QueueRead FULL!");
    EXPECT_EQ(port.m_QueueRead.Count(), 4000u);
    port.Close();
    korva::base::SetMessageHandler(previous);
}

TEST_F(SerialPortTest, WatchThreadOnlyForToolsThatReadReplies) {
    CPorts port(log.Log());
    SetSerial(port, pty.SlavePath());
    const struct { uint8_t tool; int deviceType; bool watch; } cases[] = {
        {kToolLogo, 1, false},      {kToolUserSetup, 1, true}, {kToolFirmware, 1, false},
        {kToolFirmware, 3, false}, {kToolFirmware, 2, true},  {kToolNone, 2, false},
    };
    for (const auto& c : cases) {
        port.m_CurrentTool = c.tool;
        port.m_DeviceType = c.deviceType;
        ASSERT_TRUE(port.Open());
        EXPECT_EQ(port.WatchThreadRunning(), c.watch) << int(c.tool) << "/" << c.deviceType;
        port.Close();
    }
}

TEST_F(SerialPortTest, UnsetSettingFailsWithoutALogLine) {
    CPorts port(log.Log());
    for (int field = 0; field < 4; ++field) {
        SetSerial(port, pty.SlavePath());
        int* fields[] = {&port.m_BaudRate, &port.m_DataBits, &port.m_FlowControl, &port.m_Parity};
        *fields[field] = kUnset;
        EXPECT_FALSE(port.Open());
        EXPECT_EQ(port.m_bConnected, 0);
    }
    EXPECT_EQ(log.Text(), "");
}

TEST_F(SerialPortTest, SymlinkToATtyIsASerialPort) {
    korva::test::TestDir dir;
    const auto link = dir / "printer-link";
    std::filesystem::create_symlink(pty.SlavePath(), link);
    CPorts port(log.Log());
    SetSerial(port, link.string());
    ASSERT_TRUE(port.Open());
    EXPECT_EQ(port.Kind(), PortKind::Serial);
    EXPECT_EQ(port.m_PortName, link.string());  // a path is never upper-cased
    ASSERT_EQ(port.Write(std::vector<uint8_t>{0x1B, 0x40}), 2u);
    EXPECT_EQ(pty.Receive(2, 2000), (std::vector<uint8_t>{0x1B, 0x40}));
}

TEST_F(SerialPortTest, ComNameMapsToTtySUnderTheDeviceRoot) {
    korva::test::TestDir dir;
    std::filesystem::create_symlink(pty.SlavePath(), dir / "ttyS2");
    CPorts port(log.Log(), DeviceRoots{"/sys", dir.path().string()});
    SetSerial(port, "com3");
    ASSERT_TRUE(port.Open());
    EXPECT_EQ(port.m_PortName, "COM3");
    EXPECT_EQ(port.Write(std::vector<uint8_t>{0x55}), 1u);
    EXPECT_EQ(pty.Receive(1, 2000), std::vector<uint8_t>{0x55});
}

TEST_F(SerialPortTest, CloseWhileANotificationIsHeldDoesNotHang) {
    auto port = std::make_unique<CPorts>(log.Log());
    SetSerial(*port, pty.SlavePath());
    port->m_CurrentTool = kToolUserSetup;
    std::atomic<bool> inHandler{false};
    std::atomic<bool> release{false};
    std::atomic<bool> handlerDone{false};
    // A window that is busy: the handler returns only when the test lets it.
    port->SetNotifyWnd([&] {
        inHandler = true;
        while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        handlerDone = true;
    });
    ASSERT_TRUE(port->Open());
    ASSERT_TRUE(pty.Send({0x01}));
    ASSERT_TRUE(WaitFor([&] { return inHandler.load(); }));
    EXPECT_EQ(port->ClosePort(), 1);  // returns although the thread is held
    EXPECT_FALSE(port->IsOpen());
    EXPECT_TRUE(port->Open());  // the line is free for a new open at once
    port->Close();
    release = true;
    ASSERT_TRUE(WaitFor([&] { return handlerDone.load(); }));
}
