// The one classification of port names: pseudo names by their spelling, every
// other name by the device behind it (real ptys, links, device nodes).
#include "port/PortKind.h"
#include "port/PortPath.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "support/PtyPair.h"
#include "support/TestDir.h"

using korva::port::ClassifyPortName;
using korva::port::NotAPortText;
using korva::port::PortKind;
namespace fs = std::filesystem;

TEST(PortKind, PseudoNamesIgnoreCase) {
    const struct {
        const char* name;
        PortKind kind;
    } rows[] = {
        {"com1", PortKind::Serial},     {"LPT2", PortKind::Parallel},        {"usb", PortKind::Usb},
        {"Ethernet_II", PortKind::Ethernet}, {"file", PortKind::File},
        // A name that only begins like one is an output file, not a port.
        {"compact.prn", PortKind::OutputFile}, {"LPTX", PortKind::OutputFile},
        {"USBX", PortKind::OutputFile}, {"temp.prn", PortKind::OutputFile},
    };
    for (const auto& row : rows) EXPECT_EQ(ClassifyPortName(row.name).kind, row.kind) << row.name;
}

TEST(PortKind, APathIsWhatItsDeviceIs) {
    korva::test::PtyPair pty;
    ASSERT_TRUE(pty.Ok());
    korva::test::TestDir dir;
    fs::create_symlink(pty.SlavePath(), dir / "ttyKORVA");
    fs::create_symlink("/dev/ptmx", dir / "ptmx-link");
    std::ofstream(dir / "ttyUSB9") << "a file, not a device";
    const std::string sys = (dir / "sys").string();  // empty: no sysfs entry to ask

    const struct {
        std::string path;
        PortKind kind;
        std::string reason;
    } rows[] = {
        {pty.SlavePath(), PortKind::Serial, ""},
        {(dir / "ttyKORVA").string(), PortKind::Serial, ""},  // a udev-style link to a pty
        {(dir / "ttyUSB9").string(), PortKind::OutputFile, ""},
        {(dir / "new.prn").string(), PortKind::OutputFile, ""},
        {"/dev/ttyUSB-unplugged", PortKind::Serial, ""},  // opening it will say it is missing
        {"/dev/ptmx", PortKind::NotAPort,
         "the pseudo-terminal multiplexer; a pty is reached at its /dev/pts/N end"},
        {(dir / "ptmx-link").string(), PortKind::NotAPort,
         "the pseudo-terminal multiplexer; a pty is reached at its /dev/pts/N end"},
        {"/dev/tty", PortKind::NotAPort, "the controlling terminal of the program"},
        {"/dev/null", PortKind::NotAPort, ""},
    };
    for (const auto& row : rows) {
        const korva::port::PortClass found = ClassifyPortName(row.path, sys);
        EXPECT_EQ(found.kind, row.kind) << row.path;
        EXPECT_EQ(found.reason, row.reason) << row.path;
    }
    EXPECT_EQ(NotAPortText("/dev/tty", ClassifyPortName("/dev/tty", sys)),
              "/dev/tty is not a printer port (it is the controlling terminal of the program)");
}

TEST(PortKind, DeviceNodesByNumberAndBySysfs) {
    korva::test::TestDir dir;
    const auto node = [&](const std::string& name, unsigned major, unsigned minor) {
        const std::string path = (dir / name).string();
        return ::mknod(path.c_str(), S_IFCHR | 0600, makedev(major, minor)) == 0 ? path : std::string();
    };
    const std::string ttyS = node("ttyS0", 4, 64);
    if (ttyS.empty()) GTEST_SKIP() << "device nodes need CAP_MKNOD";
    const std::string sys = (dir / "sys").string();
    const struct {
        std::string path;
        PortKind kind;
    } rows[] = {
        {ttyS, PortKind::Serial},
        {node("tty1", 4, 1), PortKind::NotAPort},
        {node("console", 5, 1), PortKind::NotAPort},
        {node("ttyUSB0", 188, 0), PortKind::Serial},
        {node("ttyACM0", 166, 0), PortKind::Serial},
        {node("ttyAMA0", 204, 64), PortKind::Serial},
        {node("rfcomm0", 216, 0), PortKind::Serial},
        {node("parport0", 99, 0), PortKind::Parallel},
        {node("lp0", 6, 0), PortKind::Parallel},
        {node("usblp0", 180, 0), PortKind::Usb},
        {node("hiddev0", 180, 96), PortKind::NotAPort},
    };
    for (const auto& row : rows) EXPECT_EQ(ClassifyPortName(row.path, sys).kind, row.kind) << row.path;

    // sysfs, where there is an entry, has the last word: an 8250 slot without a UART.
    const fs::path entry = dir / "sys/dev/char/4:64";
    fs::create_directories(entry / "device");
    fs::create_directories(dir / "sys/class/tty");
    fs::create_symlink(dir / "sys/class/tty", entry / "subsystem");
    std::ofstream(entry / "type") << "0\n";
    const korva::port::PortClass slot = ClassifyPortName(ttyS, sys);
    EXPECT_EQ(slot.kind, PortKind::NotAPort);
    EXPECT_EQ(slot.reason, "a serial port slot with no UART behind it");
    std::ofstream(entry / "type") << "4\n";
    EXPECT_EQ(ClassifyPortName(ttyS, sys).kind, PortKind::Serial);
}
