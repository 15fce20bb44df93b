// ParPortCtl over a pty standing in for a two-way parallel line.
#include "port/ParPortCtl.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <deque>
#include <fstream>
#include <mutex>
#include <termios.h>
#include <thread>

#include "base/Clock.h"

#include "port/PortTestSupport.h"
#include "support/PtyPair.h"

using namespace korva::port;
using korva::test::LogCapture;
using korva::test::PtyPair;
using Bytes = std::vector<uint8_t>;

namespace {

class ParPortCtlTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(pty.Ok());
        // The line carries raw bytes; the setting stays while the master is open.
        const int slave = ::open(pty.SlavePath().c_str(), O_RDWR | O_NOCTTY);
        termios t{};
        tcgetattr(slave, &t);
        cfmakeraw(&t);
        tcsetattr(slave, TCSANOW, &t);
        ::close(slave);
        ASSERT_EQ(port.OpenPort(pty.SlavePath()), 1);
        ASSERT_EQ(port.StartReadThread(), 1);
    }

    /// Triggers reads until the queue's write position reaches `count`
    /// (bounded, in case nothing comes).
    bool ReadUntil(uint32_t count) {
        for (int i = 0; i < 300 && port.WritePosition() < count; ++i) {
            port.TriggerRead();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return port.WritePosition() >= count;
    }
    Bytes TakeAll() {
        Bytes out;
        int status = 0;
        for (uint8_t b = port.GetByte(status); status == 1; b = port.GetByte(status)) out.push_back(b);
        return out;
    }

    PtyPair pty;
    LogCapture log;
    ParPortCtl port{log.Log()};
};

}  // namespace

TEST(ParPortStatus, AutomaticStatusBlockPattern) {
    EXPECT_TRUE(IsAutomaticStatusBlock(Bytes{0x14, 0x00, 0x00, 0x0F}));
    EXPECT_TRUE(IsAutomaticStatusBlock(Bytes{0x7C, 0x6F, 0x0F, 0x0F}));
    EXPECT_FALSE(IsAutomaticStatusBlock(Bytes{0x15, 0x00, 0x00, 0x0F}));  // b0 & 0x93
    EXPECT_FALSE(IsAutomaticStatusBlock(Bytes{0x14, 0x10, 0x00, 0x0F}));  // b1 & 0x90
    EXPECT_FALSE(IsAutomaticStatusBlock(Bytes{0x14, 0x00, 0x10, 0x0F}));  // b2 > 0x0F
    EXPECT_FALSE(IsAutomaticStatusBlock(Bytes{0x14, 0x00, 0x00, 0x0E}));
    EXPECT_FALSE(IsAutomaticStatusBlock(Bytes{0x14, 0x00, 0x00}));
}

TEST_F(ParPortCtlTest, StatusBlocksAreKeptAsStatusNotQueued) {
    ASSERT_TRUE(pty.Send({0x14, 0x00, 0x00, 0x0F, 0x41, 0x42}));
    ASSERT_TRUE(ReadUntil(2));
    EXPECT_EQ(TakeAll(), (Bytes{0x41, 0x42}));
    EXPECT_EQ(port.LastStatus(), (std::array<uint8_t, 4>{0x14, 0x00, 0x00, 0x0F}));
    EXPECT_EQ(port.GetErrorText(), "[ParPortCtl] Receive Queue is Empty");
    int status = 0;
    EXPECT_EQ(port.GetByte(status), 0);
    EXPECT_EQ(status, -1);
}

TEST_F(ParPortCtlTest, StatusPatternCutByTheBlockEndIsOrdinaryData) {
    ASSERT_TRUE(pty.Send({0x41, 0x14, 0x00, 0x00}));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // one block, one read
    ASSERT_TRUE(ReadUntil(4));
    EXPECT_EQ(TakeAll(), (Bytes{0x41, 0x14, 0x00, 0x00}));
}

TEST_F(ParPortCtlTest, LongReplyInOneReadIsWalkedWhole) {
    Bytes reply(300);
    for (size_t i = 0; i < reply.size(); ++i) reply[i] = static_cast<uint8_t>(0x20 + i % 90);
    ASSERT_TRUE(pty.Send(reply));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(ReadUntil(300));
    EXPECT_EQ(TakeAll(), reply);
}

TEST_F(ParPortCtlTest, FullQueueEndsTheThreadAfter4095Bytes) {
    for (int i = 0; i < 9; ++i) ASSERT_TRUE(pty.Send(Bytes(512, 0x41)));
    for (int i = 0; i < 300 && port.GetErrorText() != "Receive Queue is FULL!"; ++i) {
        port.TriggerRead();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(port.GetErrorText(), "Receive Queue is FULL!");
    EXPECT_EQ(port.ReadPosition(), 0u);
    EXPECT_EQ(port.WritePosition(), 4095u);
    // Writes still work with the thread gone.
    const uint8_t request[] = {0x1D, 0x61, 0x00};
    EXPECT_EQ(port.WritePort(request, 3), 3);
}

TEST_F(ParPortCtlTest, WritesReachThePrinterAndCloseEndsAWaitingRead) {
    const uint8_t request[] = {0x1D, 0x28, 0x45, 0x03, 0x00, 0x06, 0x01, 0x01};
    EXPECT_EQ(port.WritePort(request, sizeof request), 8);
    EXPECT_EQ(pty.Receive(8, 2000), Bytes(request, request + 8));
    port.TriggerRead();  // the thread now waits for bytes that never come
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(port.ClosePort(), 1);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.WritePort(request, 1), 0);
    EXPECT_EQ(log.Text(), "");
}

namespace {

/// A ppdev node as the control sees it: records every call, answers reads
/// from its queue of replies (EAGAIN when empty) and takes every write.
class FakePpdev final : public PpdevCalls {
public:
    int Claim(int) override { return Record("claim"); }
    int Negotiate(int, int mode) override {
        return Record(mode == IEEE1284_MODE_NIBBLE ? "nibble" : "compat");
    }
    int Release(int) override { return Record("release"); }
    ssize_t Read(int, uint8_t* buffer, size_t length) override {
        std::lock_guard lock(m_Mutex);
        Note("read");
        if (m_Replies.empty()) {
            errno = EAGAIN;
            return -1;
        }
        const Bytes reply = m_Replies.front();
        m_Replies.pop_front();
        const size_t n = std::min(length, reply.size());
        std::copy_n(reply.begin(), n, buffer);
        return static_cast<ssize_t>(n);
    }
    ssize_t Write(int, const uint8_t* data, size_t length) override {
        std::lock_guard lock(m_Mutex);
        Note("write");
        m_Written.insert(m_Written.end(), data, data + length);
        return static_cast<ssize_t>(length);
    }

    void Reply(Bytes bytes) {
        std::lock_guard lock(m_Mutex);
        m_Replies.push_back(std::move(bytes));
    }
    /// The calls in order, a run of the same call written once with its count ("read x51").
    std::vector<std::string> Calls() {
        std::lock_guard lock(m_Mutex);
        std::vector<std::string> out;
        for (size_t i = 0; i < m_Calls.size();) {
            size_t j = i;
            while (j < m_Calls.size() && m_Calls[j] == m_Calls[i]) ++j;
            out.push_back(j - i == 1 ? m_Calls[i] : m_Calls[i] + " x" + std::to_string(j - i));
            i = j;
        }
        return out;
    }
    Bytes Written() {
        std::lock_guard lock(m_Mutex);
        return m_Written;
    }

private:
    int Record(const std::string& call) {
        std::lock_guard lock(m_Mutex);
        Note(call);
        return 0;
    }
    void Note(const std::string& call) { m_Calls.push_back(call); }

    std::mutex m_Mutex;
    std::vector<std::string> m_Calls;
    std::deque<Bytes> m_Replies;
    Bytes m_Written;
};

/// LPT1 on a fake ppdev node, timed by a clock that records its waits.
struct PpdevRig {
    PpdevRig() {
        std::ofstream(dir.path() / "parport0").put('\0');
        EXPECT_EQ(port.OpenPort("LPT1"), 1);
    }
    korva::test::TestDir dir;
    LogCapture log;
    FakePpdev ppdev;
    korva::base::RecordingClock clock;
    ParPortCtl port{log.Log(), dir.path().string(), ppdev, clock};
};

}  // namespace

TEST(ParPortPpdev, SilentReadEndsAfterHalfASecondAndEachDirectionHasItsMode) {
    PpdevRig rig;
    uint8_t buffer[ParPortCtl::kReadBlock];
    EXPECT_EQ(rig.port.ReadPort(buffer, sizeof buffer), 0);
    EXPECT_EQ(rig.clock.TotalWaited(), ParPortCtl::kReadLimitMs);
    EXPECT_EQ(rig.clock.Waits().front(), ParPortCtl::kPpdevRetryMs);
    const uint8_t request[] = {0x1D, 0x28, 0x45, 0x02, 0x00, 0x06, 0x03};
    EXPECT_EQ(rig.port.WritePort(request, sizeof request), 7);
    EXPECT_EQ(rig.ppdev.Written(), Bytes(request, request + 7));
    rig.ppdev.Reply({0x37, 0x03, 0x36});
    EXPECT_EQ(rig.port.ReadPort(buffer, sizeof buffer), 3);
    EXPECT_EQ(rig.port.ClosePort(), 1);
    EXPECT_EQ(rig.ppdev.Calls(),
              (std::vector<std::string>{"claim", "nibble", "read x51", "compat", "write", "nibble",
                                        "read", "release"}));
    EXPECT_EQ(rig.clock.TotalWaited(), ParPortCtl::kReadLimitMs + 100);  // the wait before closing
    EXPECT_EQ(rig.log.Text(), "");
}

TEST(ParPortPpdev, ReadsAskedForBeforeTheThreadStartsFetchTheReplies) {
    PpdevRig rig;
    const Bytes replies[] = {{0x37, 0x03, 0x36, 0x00}, {0x37, 0x74, 0x30, 0x00}, {0x37, 0x02, 0x37, 0x00}};
    for (const Bytes& reply : replies) {
        rig.ppdev.Reply(reply);
        rig.port.TriggerRead();  // as the user setup does: requests out, then the reader starts
    }
    ASSERT_EQ(rig.port.StartReadThread(), 1);
    for (int i = 0; i < 300 && rig.port.WritePosition() < 12; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(rig.port.WritePosition(), 12u);
    EXPECT_EQ(rig.port.StopReadThread(), 1);
}

TEST(ParPortOpen, MissingDeviceLeavesTheErrorText) {
    LogCapture log;
    korva::test::TestDir dir;
    ParPortCtl port(log.Log(), dir.path().string());
    EXPECT_EQ(port.OpenPort("LPT1"), 0);
    EXPECT_EQ(port.GetErrorText(), "[ParPortCtl] CreateFile fail : 2");
    EXPECT_EQ(port.LastErrorCode(), 2);
    uint8_t buffer[4];
    EXPECT_EQ(port.ReadPort(buffer, sizeof buffer), 0);
    EXPECT_EQ(port.StopReadThread(), 1);
}
