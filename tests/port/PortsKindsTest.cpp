// CPorts over the other kinds: output file, parallel byte stream, USB, none.
#include "port/Ports.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "base/Clock.h"
#include "base/MessageBox.h"
#include "port/PortFailures.h"
#include "port/PortTestSupport.h"

using namespace korva::port;
using korva::test::LogCapture;
using korva::test::TestDir;
using Bytes = std::vector<uint8_t>;

namespace {

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

/// A fake system with one USB printer whose node is a FIFO, so the test can
/// play the printer's replies.
struct FakeUsbPrinter {
    TestDir dir;
    DeviceRoots roots{(dir / "sys").string(), (dir / "dev").string()};
    explicit FakeUsbPrinter(const std::string& product = "0101") {
        namespace fs = std::filesystem;
        const fs::path usbDevice = dir / "sys/devices/usb1/1-1";
        fs::create_directories(usbDevice / "1-1:1.0");
        std::ofstream(usbDevice / "idVendor") << "7f3d\n";
        std::ofstream(usbDevice / "idProduct") << product << "\n";
        std::ofstream(usbDevice / "bcdDevice") << "0100\n";
        fs::create_directories(dir / "sys/class/usbmisc/lp0");
        fs::create_symlink(usbDevice / "1-1:1.0", dir / "sys/class/usbmisc/lp0/device");
        fs::create_directories(dir / "dev/usb");
        ::mkfifo((dir / "dev/usb/lp0").c_str(), 0600);
    }
    std::string Node() const { return (dir / "dev/usb/lp0").string(); }
};

}  // namespace

TEST(PortsKinds, FileAsksForANameEachOpenAndKeepsThePortName) {
    TestDir dir;
    LogCapture log;
    CPorts port(log.Log());
    int asked = 0;
    port.SetFileNameChooser([&]() -> std::optional<std::string> {
        return (dir / ("out" + std::to_string(++asked) + ".prn")).string();
    });
    port.m_PortName = "file";
    for (int round = 1; round <= 2; ++round) {
        port.Close();
        ASSERT_TRUE(port.Open()) << round;
        EXPECT_EQ(port.m_PortName, "FILE");
        EXPECT_EQ(port.Kind(), PortKind::File);
        EXPECT_EQ(port.Write(Bytes{0x1C, 0x71, 0x02}), 3u);
        uint8_t none[4];
        EXPECT_EQ(port.Read(none, 10), -1);
        port.Close();
        EXPECT_EQ(ReadFile(dir / ("out" + std::to_string(round) + ".prn")), "\x1C\x71\x02");
    }
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(port.OutputFileName(), (dir / "out2.prn").string());
}

TEST(PortsKinds, FileDeclinedGoesToTempPrnAndAnUncreatableFileFails) {
    TestDir dir;
    LogCapture log;
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    {
        CPorts port(log.Log());
        port.m_PortName = "FILE";
        port.SetFileNameChooser([] { return std::optional<std::string>(); });
        ASSERT_TRUE(port.Open());
        EXPECT_EQ(port.Write(Bytes{0x41}), 1u);
        port.Close();
        EXPECT_EQ(ReadFile(dir / "temp.prn"), "A");

        port.SetFileNameChooser([&] {
            return std::optional<std::string>((dir / "missing-dir/x.prn").string());
        });
        EXPECT_FALSE(port.Open());
        EXPECT_EQ(port.m_bConnected, 0);
    }
    std::filesystem::current_path(previous);
    EXPECT_EQ(log.Text(), LogCapture::Line("CPorts::Open() CreateFile error\r\n"));
}

TEST(PortsKinds, ParallelNameWritesToItsDeviceAsAByteStream) {
    TestDir dir;
    LogCapture log;
    ASSERT_EQ(::mkfifo((dir / "parport1").c_str(), 0600), 0);
    const int reader = ::open((dir / "parport1").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    CPorts port(log.Log(), DeviceRoots{"/sys", dir.path().string()});
    port.m_PortName = "lpt2";
    ASSERT_TRUE(port.Open());
    EXPECT_EQ(port.m_PortName, "LPT2");
    EXPECT_EQ(port.Kind(), PortKind::Parallel);
    EXPECT_EQ(port.Write(Bytes{0x1B, 0x40, 0x0A}), 3u);
    uint8_t buffer[8] = {};
    EXPECT_EQ(::read(reader, buffer, sizeof buffer), 3);
    EXPECT_EQ(buffer[2], 0x0A);
    EXPECT_EQ(port.Read(buffer, 10), -1);  // written only
    port.Close();
    ::close(reader);

    port.m_PortName = "LPT1";  // no such node
    EXPECT_FALSE(port.Open());
    EXPECT_EQ(log.Text(), LogCapture::Line("CPorts::Open() CreateFile error\r\n"));
}

TEST(PortsKinds, ParallelAndUsbPrintersThatStopTakingDataFailAfterTenSeconds) {
    // Each node is a FIFO nobody drains: it takes one pipe's worth, then nothing.
    FakeUsbPrinter usb;
    ASSERT_EQ(::mkfifo((usb.dir / "dev/parport0").c_str(), 0600), 0);
    const int reader = ::open((usb.dir / "dev/parport0").c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    Bytes data(256 * 1024);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7);
    for (const char* name : {"LPT1", "USB"}) {
        LogCapture log;
        korva::base::RecordingClock clock;
        CPorts port(log.Log(), usb.roots);
        port.SetClock(clock);
        port.m_PortName = name;
        port.m_DeviceType = 1;
        ASSERT_TRUE(port.Open()) << name;
        const size_t written = port.Write(data);
        EXPECT_GT(written, 0u) << name;
        EXPECT_LT(written, data.size()) << name;
        EXPECT_EQ(clock.TotalWaited(), CPorts::kStallLimitMs) << name;
        EXPECT_EQ(port.LastError(), ETIMEDOUT) << name;
        EXPECT_EQ(port.FailureDetail(), std::string(kTextStalled) + "\r\n" + std::to_string(written) + " of " +
                                            std::to_string(data.size()) + " bytes handed to the driver.")
            << name;
        port.Close();
    }
    Bytes taken(data.size());
    const ssize_t n = ::read(reader, taken.data(), taken.size());
    ASSERT_GT(n, 0);
    taken.resize(static_cast<size_t>(n));
    EXPECT_EQ(taken, Bytes(data.begin(), data.begin() + n));
    ::close(reader);
}

TEST(PortsKinds, NoPortKindAndClosingTwice) {
    LogCapture log;
    CPorts port(log.Log());
    port.m_PortName = "Ethernet_II";
    EXPECT_FALSE(port.Open());
    EXPECT_EQ(port.m_bConnected, 0);
    EXPECT_EQ(port.ClosePort(), 0);
    port.Close();  // the stream's close of nothing is harmless and quiet
    EXPECT_EQ(port.Write(Bytes{1, 2, 3}), 0u);  // no line for a write after Close
    EXPECT_EQ(log.Text(), LogCapture::Line("CPorts::Open() Invalid Handle\r\n") +
                              LogCapture::Line("CPorts::Close() Invalid Handle\r\n"));
}

TEST(PortsKinds, UsbOpensTheMatchingPrinterAndDecodesReplies) {
    FakeUsbPrinter fake("0102");
    LogCapture log;
    CPorts port(log.Log(), fake.roots);
    port.m_PortName = "usb";
    port.m_DeviceType = 3;
    ASSERT_TRUE(port.Open());
    EXPECT_EQ(port.m_PortName, "USB");
    EXPECT_EQ(port.m_UsbPath, fake.Node());
    EXPECT_EQ(log.Text(), LogCapture::Line("CreateFile Success [" +
                                           [&] {
                                               char hex[16];
                                               std::snprintf(hex, sizeof hex, "%X",
                                                             port.NativeHandle());
                                               return std::string(hex);
                                           }() +
                                           "]"));
    const int printer = ::open(fake.Node().c_str(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(printer, 0);
    int notified = 0;
    port.SetNotifyWnd([&] { ++notified; });
    const uint8_t reply[] = {0x1B, 0x30, 0x1B, 0x1B, 0x41, 0x1B};
    ASSERT_EQ(::write(printer, reply, sizeof reply), 6);
    EXPECT_EQ(port.ReadUsbReply(), 1);
    EXPECT_EQ(notified, 1);
    // The ESC at the end of the block waits for its partner.
    const uint8_t tail[] = {0x30};
    ASSERT_EQ(::write(printer, tail, 1), 1);
    uint8_t got[8] = {};
    int taken = 0;
    while (taken < 4) {
        const int n = port.Read(std::span(got + taken, 8 - taken), 1000);
        ASSERT_GT(n, 0);
        taken += n;
    }
    EXPECT_EQ(Bytes(got, got + 4), (Bytes{0x00, 0x1B, 0x41, 0x00}));
    ::close(printer);
}

TEST(PortsKinds, UsbReplyRespectsTheFreeSpaceOfTheQueue) {
    FakeUsbPrinter fake;
    LogCapture log;
    std::vector<std::string> shown;
    auto previous = korva::base::SetMessageHandler(
        [&](const std::string& text, const std::string&, korva::base::MsgStyle) {
            shown.push_back(text);
            return korva::base::MsgAnswer::Ok;
        });
    CPorts port(log.Log(), fake.roots);
    port.m_PortName = "USB";
    port.m_DeviceType = 1;
    ASSERT_TRUE(port.Open());
    const Bytes held(4000, 0x55);
    ASSERT_TRUE(port.m_QueueRead.PutChunk(held));
    const int printer = ::open(fake.Node().c_str(), O_WRONLY | O_NONBLOCK);
    const Bytes reply(100, 0x66);
    ASSERT_EQ(::write(printer, reply.data(), reply.size()), 100);
    EXPECT_EQ(port.ReadUsbReply(), 1);
    EXPECT_EQ(shown, std::vector<std::string>{"m_QueueRead FULL!"});
    EXPECT_EQ(port.m_QueueRead.Count(), 4000u);  // the unread replies are intact
    ::close(printer);
    port.Close();
    EXPECT_EQ(port.ReadUsbReply(), 0);  // not open: the device path is shown
    EXPECT_EQ(shown.back(), fake.Node());
    korva::base::SetMessageHandler(previous);
}

TEST(PortsKinds, UsbOfTheOtherSeriesIsNotOpened) {
    FakeUsbPrinter fake("0101");
    LogCapture log;
    CPorts port(log.Log(), fake.roots);
    port.m_PortName = "USB";
    port.m_DeviceType = 3;
    EXPECT_FALSE(port.Open());
    EXPECT_EQ(log.Text(), LogCapture::Line("[Error] SetupDiEnumDeviceInterfaces(259)\r\n"));
}
