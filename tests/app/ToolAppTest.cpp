#include "app/ui/ToolApp.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <regex>

#include "KorvaVersion.h"
#include "base/ErrorLog.h"
#include "support/TestDir.h"

using korva::app::ui::CToolApp;

TEST(ToolApp, ErrorLogStartsWithTheVersionLine) {
    korva::test::TestDir dir;
    ASSERT_TRUE(CToolApp::OpenErrorLog((dir / "error.log").string()));
    korva::base::ErrorLog().Log("second");
    korva::base::ErrorLog().Close();
    std::ifstream in(dir / "error.log", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), {});
    const std::string version = std::to_string(KORVA_VERSION_MAJOR) + "\\." + std::to_string(KORVA_VERSION_MINOR) +
                                "\\." + std::to_string(KORVA_VERSION_BUILD) + "\\." +
                                std::to_string(KORVA_VERSION_REVISION);
    const std::regex expected("\\[\\d{4}/\\d\\d/\\d\\d \\d\\d:\\d\\d:\\d\\d\\] ERROR LOG : KorvaTool - Ver " + version +
                              "\r\n\\[[^\\]]+\\] second\r\n");
    EXPECT_TRUE(std::regex_match(text, expected)) << text;
}

TEST(ToolApp, UnwritableFolderLeavesLoggingOff) {
    EXPECT_FALSE(CToolApp::OpenErrorLog("/proc/nonexistent-korva-dir/error.log"));
    EXPECT_FALSE(korva::base::ErrorLog().IsOpen());
}

TEST(ToolApp, SimulatedPrinterPortComesFromTheEnvironment) {
    ::unsetenv("KORVA_SIM_PORT");
    EXPECT_TRUE(CToolApp::SimulatedPorts().empty());
    ::setenv("KORVA_SIM_PORT", "/tmp/korva-demo/ttyKORVA", 1);
    EXPECT_EQ(CToolApp::SimulatedPorts(), std::vector<std::string>{"/tmp/korva-demo/ttyKORVA"});
    ::unsetenv("KORVA_SIM_PORT");
}

TEST(ToolApp, MenuHooksMarkTheToolAndCloseAnOpenPort) {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(::grantpt(master), 0);
    ASSERT_EQ(::unlockpt(master), 0);
    korva::base::CErrorLog log;
    korva::port::CPorts ports(log);
    korva::port::ConnectionSettings line;
    line.portName = ::ptsname(master);
    line.baudRate = 115200;
    line.dataBits = 8;
    line.parity = 0;
    line.flowControl = 3;
    ports.SetConnection(line);
    ASSERT_TRUE(ports.Open());
    ASSERT_TRUE(ports.m_bConnected);

    const korva::app::ui::MenuPortHooks hooks = CToolApp::PortHooks(ports);
    hooks.setCurrentTool(korva::port::kToolFirmware);
    EXPECT_EQ(ports.m_CurrentTool, korva::port::kToolFirmware);
    hooks.closePortIfConnected();
    EXPECT_FALSE(ports.IsOpen());
    EXPECT_FALSE(ports.m_bConnected);
    hooks.closePortIfConnected();  // nothing open: harmless
    ::close(master);
}
