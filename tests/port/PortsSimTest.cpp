// The port object and the TCP link against the simulated printer: the printer
// check (GS I 1) answered over a pty reached through a symlink, and over TCP.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "port/PortTestSupport.h"
#include "port/Ports.h"
#include "port/PrinterSocket.h"
#include "port/TcpStream.h"
#include "support/SimHarness.h"

using namespace korva::port;
using korva::test::LogCapture;
using korva::test::SimHarness;

namespace {

const std::vector<uint8_t> kPrinterCheck = {0x1D, 0x49, 0x01};  // GS I 1: printer model ID

void EnsureApp() {
    static int argc = 1;
    static char name[] = "test_port";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr) new QCoreApplication(argc, argv);
}

/// The first reply byte within `timeoutMs`, or -1.
int FirstReplyByte(ByteStream& stream, int timeoutMs) {
    uint8_t byte = 0;
    return stream.Read(std::span(&byte, 1), timeoutMs) == 1 ? byte : -1;
}

}  // namespace

TEST(PortsWithSimulator, PrinterCheckOverASerialLinkSymlink) {
    EnsureApp();
    korva::test::TestDir dir;
    const std::string link = (dir / "korva-printer").string();
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--series", "3", "--serial-link", QString::fromStdString(link)}))
        << sim.Error().toStdString();
    LogCapture log;
    CPorts port(log.Log());
    ConnectionSettings line;
    line.portName = link;
    line.baudRate = 115200;
    line.dataBits = 8;
    line.parity = kParityNone;
    line.stopBits = kStopBits1;
    line.flowControl = kFlowNone;
    line.deviceType = 3;
    port.SetConnection(line);
    for (uint8_t tool : {kToolLogo, kToolUserSetup}) {  // read directly, then through the watch thread
        port.m_CurrentTool = tool;
        port.Close();
        ASSERT_TRUE(port.Open()) << int(tool);
        EXPECT_EQ(port.Kind(), PortKind::Serial);
        ASSERT_EQ(port.Write(kPrinterCheck), 3u);
        EXPECT_EQ(FirstReplyByte(port, 2000), 0x22) << int(tool);  // the KORVA20II model id
        port.Close();
    }
}

TEST(PortsWithSimulator, PrinterCheckOverTcp) {
    EnsureApp();
    SimHarness sim;
    ASSERT_TRUE(sim.Start({"--series", "1", "--tcp", "127.0.0.1:0"})) << sim.Error().toStdString();
    CPrinterSocket link;
    TcpStream stream(link, "127.0.0.1", sim.TcpPort());
    ASSERT_TRUE(stream.Open());
    ASSERT_EQ(stream.Write(kPrinterCheck), 3u);
    EXPECT_EQ(FirstReplyByte(stream, 2000), 0x20);
    stream.Close();
    EXPECT_FALSE(stream.IsOpen());
}
