#include "port/Discovery.h"

#include <gtest/gtest.h>

#include <cerrno>

#include <filesystem>
#include <fstream>

#include "port/PortTestSupport.h"

using namespace korva::port;
using korva::test::LogCapture;
using korva::test::TestDir;
namespace fs = std::filesystem;

namespace {

/// A fake /sys + /dev with USB printers added one by one.
class FakeSystem {
public:
    FakeSystem() { fs::create_directories(m_Dir / "dev/usb"); }
    DeviceRoots Roots() const { return {(m_Dir / "sys").string(), (m_Dir / "dev").string()}; }
    std::string Dev(const std::string& name) const { return (m_Dir / "dev" / name).string(); }

    /// lpN on a USB device with these ids; `node` false leaves /dev/usb/lpN unopenable.
    void AddPrinter(int n, const std::string& vendor, const std::string& product,
                    const std::string& revision, bool node = true) {
        const fs::path device = m_Dir / "sys/devices/usb1" / ("1-" + std::to_string(n));
        fs::create_directories(device / "1.0");
        std::ofstream(device / "idVendor") << vendor << "\n";
        std::ofstream(device / "idProduct") << product << "\n";
        std::ofstream(device / "bcdDevice") << revision << "\n";
        const fs::path entry = m_Dir / "sys/class/usbmisc" / ("lp" + std::to_string(n));
        fs::create_directories(entry);
        fs::create_symlink(device / "1.0", entry / "device");
        const fs::path nodePath = m_Dir / "dev/usb" / ("lp" + std::to_string(n));
        if (node) {
            std::ofstream(nodePath).put('\0');
        } else {
            fs::create_directories(nodePath);  // a directory cannot be opened for writing
        }
    }
    void AddTty(const std::string& name, bool device, const char* uartType = nullptr) {
        const fs::path entry = m_Dir / "sys/class/tty" / name;
        fs::create_directories(entry);
        if (device) fs::create_directories(entry / "device");
        if (uartType) std::ofstream(entry / "type") << uartType << "\n";
    }
    void AddDevNode(const std::string& name) { std::ofstream(m_Dir / "dev" / name).put('\0'); }
    /// A usbmisc entry of any name, with no USB device behind it.
    void AddUsbmiscEntry(const std::string& name) { fs::create_directories(m_Dir / "sys/class/usbmisc" / name); }

private:
    TestDir m_Dir;
};

}  // namespace

TEST(Discovery, SerialPortsAreTheTtysWithHardwareSortedAsText) {
    FakeSystem sys;
    sys.AddTty("ttyUSB0", true);
    sys.AddTty("ttyS1", true, "0");  // an 8250 slot with no UART
    sys.AddTty("ttyS0", true, "4");
    sys.AddTty("tty0", false);       // a virtual console
    sys.AddTty("ttyACM0", true);
    sys.AddTty("ttyS10", true, "4");
    std::vector<std::string> list = {"kept"};
    EXPECT_EQ(EnumPorts(false, list, sys.Roots()), 4);
    EXPECT_EQ(list, (std::vector<std::string>{"kept", sys.Dev("ttyACM0"), sys.Dev("ttyS0"),
                                              sys.Dev("ttyS10"), sys.Dev("ttyUSB0")}));
}

TEST(Discovery, ParallelPortsAndNoneAtAll) {
    FakeSystem sys;
    std::vector<std::string> list;
    EXPECT_EQ(EnumPorts(false, list, sys.Roots()), 0);
    EXPECT_EQ(EnumPorts(true, list, sys.Roots()), 0);
    sys.AddDevNode("parport1");
    sys.AddDevNode("parport0");
    sys.AddDevNode("lp0");
    EXPECT_EQ(EnumPorts(true, list, sys.Roots()), 2);
    EXPECT_EQ(list, (std::vector<std::string>{sys.Dev("parport0"), sys.Dev("parport1")}));
}

TEST(Discovery, CountsPrintersOfOneSeriesOnly) {
    FakeSystem sys;
    LogCapture log;
    EXPECT_EQ(FindUsbPrinter(kUsbIdKorva20, log.Log(), sys.Roots()), -1);
    sys.AddPrinter(0, "7F3D", "0101", "0100");
    sys.AddPrinter(1, "7f3d", "0102", "0200");  // the other series
    sys.AddPrinter(2, "7f3d", "0101", "0105");  // lower-case id, revision suffix
    sys.AddPrinter(3, "1234", "0101", "0100");  // another vendor
    EXPECT_EQ(FindUsbPrinter(kUsbIdKorva20, log.Log(), sys.Roots()), 2);
    EXPECT_EQ(FindUsbPrinter(kUsbIdKorva20II, log.Log(), sys.Roots()), 1);
    EXPECT_EQ(FindUsbPrinter("usb\\vid_7f3d&pid_0101&rev_0105", log.Log(), sys.Roots()), 1);
    EXPECT_EQ(log.Text(), "");
    const auto printers = ListUsbPrinters(sys.Roots());
    ASSERT_EQ(printers.size(), 4u);
    EXPECT_EQ(printers[2].hardwareId, "USB\\VID_7f3d&PID_0101&REV_0105");
    EXPECT_EQ(printers[2].devicePath, sys.Dev("usb/lp2"));
}

// The kernel numbers usblp nodes lp0, lp1, ...: a name whose number is beyond
// any minor number (once an overflow) or has none is no printer.
TEST(Discovery, PrintersInNumberOrderAndNoOverflowingNames) {
    FakeSystem sys;
    sys.AddPrinter(10, "7f3d", "0101", "0100");
    sys.AddPrinter(9, "7f3d", "0101", "0100");
    for (const char* name : {"lp99999999999", "lp4294967296", "lp2147483648", "lp", "lpx"})
        sys.AddUsbmiscEntry(name);
    const auto printers = ListUsbPrinters(sys.Roots());
    ASSERT_EQ(printers.size(), 2u);
    EXPECT_EQ(printers[0].devicePath, sys.Dev("usb/lp9"));
    EXPECT_EQ(printers[1].devicePath, sys.Dev("usb/lp10"));
}

TEST(Discovery, UnopenablePrinterIsCountedLoggedAndEndsTheSearch) {
    FakeSystem sys;
    LogCapture log;
    sys.AddPrinter(0, "7f3d", "0101", "0100", false);
    sys.AddPrinter(1, "7f3d", "0101", "0100");
    EXPECT_EQ(FindUsbPrinter(kUsbIdKorva20, log.Log(), sys.Roots()), 1);
    EXPECT_EQ(log.Text(), LogCapture::Line("Create File error\r\n"));
}

TEST(Discovery, OpenUsbPrinterLogsEachOutcome) {
    LogCapture log;
    {
        FakeSystem sys;  // no usbmisc class at all
        std::string path;
        EXPECT_EQ(OpenUsbPrinter(kUsbIdKorva20, path, log.Log(), sys.Roots()), -1);
    }
    FakeSystem sys;
    sys.AddPrinter(0, "7f3d", "0102", "0100");
    sys.AddPrinter(1, "7f3d", "0101", "0100", false);
    std::string path;
    EXPECT_EQ(OpenUsbPrinter("USB\\VID_7F3D&PID_0199", path, log.Log(), sys.Roots()), -1);
    EXPECT_EQ(path, sys.Dev("usb/lp1"));  // the last printer examined
    int openError = 0;
    EXPECT_EQ(OpenUsbPrinter(kUsbIdKorva20, path, log.Log(), sys.Roots(), &openError), -1);
    EXPECT_EQ(openError, EISDIR);  // the open's own error, not "no such device"
    const int fd = OpenUsbPrinter(kUsbIdKorva20II, path, log.Log(), sys.Roots());
    ASSERT_GE(fd, 0);
    EXPECT_EQ(path, sys.Dev("usb/lp0"));
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X", fd);
    ::close(fd);
    EXPECT_EQ(log.Text(), LogCapture::Line("[Error] SetupDiGetClassDevs") +
                              LogCapture::Line("[Error] SetupDiEnumDeviceInterfaces(259)\r\n") +
                              LogCapture::Line("CreateFile Fail [21]") +
                              LogCapture::Line(std::string("CreateFile Success [") + hex + "]"));
}
