#include "port/PortPath.h"

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include "port/CharDevices.h"

namespace korva::port {

namespace fs = std::filesystem;

namespace {

/// First line of a small sysfs attribute; empty when unreadable.
std::string ReadAttribute(const fs::path& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    return line;
}

/// What sysfs says about a character device: its class and kernel name.
struct SysDevice {
    std::string subsystem;  ///< "tty", "ppdev", "printer", "usbmisc" ... ; empty when unknown
    std::string name;       ///< "ttyUSB0", "parport0", "lp0" ...
    bool hardware = false;  ///< a device link: something physical behind it
    std::string uartType;   ///< the 8250 "type" attribute where there is one
};

SysDevice LookUp(const std::string& sysRoot, dev_t number) {
    SysDevice out;
    const fs::path entry = SysCharEntry(sysRoot, number);
    std::error_code error;
    const fs::path subsystem = fs::canonical(entry / "subsystem", error);
    if (!error) out.subsystem = subsystem.filename().string();
    const fs::path device = fs::canonical(entry, error);
    if (!error) out.name = device.filename().string();
    out.hardware = fs::exists(entry / "device", error);
    out.uartType = ReadAttribute(entry / "type");
    return out;
}

PortClass Refuse(std::string reason = {}) { return {PortKind::NotAPort, std::move(reason)}; }
PortClass Serial() { return {PortKind::Serial, {}}; }
PortClass Parallel() { return {PortKind::Parallel, {}}; }
PortClass UsbPrinter() { return {PortKind::Usb, {}}; }

PortClass ClassifyTty(const SysDevice& sys) {
    // An 8250 slot with no UART behind it reports the port type 0 (unknown).
    if (sys.uartType == "0") return Refuse("a serial port slot with no UART behind it");
    if (sys.hardware || sys.name.starts_with("rfcomm")) return Serial();
    return Refuse("a virtual terminal");
}

PortClass ClassifyCharDevice(dev_t device, const std::string& sysRoot) {
    const unsigned major = ::major(device);
    const unsigned minor = ::minor(device);
    if (major >= kMajorPtsFirst && major <= kMajorPtsLast) return Serial();
    if (major == kMajorTtyAux) {
        if (minor == 0) return Refuse("the controlling terminal of the program");
        if (minor == 1) return Refuse("the system console");
        if (minor == 2) return Refuse("the pseudo-terminal multiplexer; a pty is reached at its /dev/pts/N end");
        return Refuse("a system terminal");
    }
    if (major == kMajorTty && minor < 64) return Refuse("a virtual console");

    const SysDevice sys = LookUp(sysRoot, device);
    if (sys.subsystem == "tty") return ClassifyTty(sys);
    if (sys.subsystem == "ppdev" || sys.subsystem == "printer") return Parallel();
    if (sys.subsystem == "usbmisc" && sys.name.starts_with("lp")) return UsbPrinter();
    if (!sys.subsystem.empty()) return Refuse();

    // No sysfs entry to ask (a container, a trimmed /sys): the fixed numbers.
    switch (major) {
    case kMajorTty:
    case kMajorUsbAcm:
    case kMajorUsbSerial:
    case kMajorRfcomm: return Serial();
    case kMajorAmba:
        if (minor >= 64) return Serial();
        break;
    case kMajorLp:
    case kMajorPpdev: return Parallel();
    case kMajorUsbMisc:
        if (minor < 16) return UsbPrinter();
        break;
    default: break;
    }
    return Refuse();
}

/// A device path that is not there (an adapter unplugged since it was chosen)
/// cannot be looked at: its name is all there is, and opening it then reports
/// the missing device instead of taking the name for an output file.
PortKind MissingDeviceKind(std::string_view path) {
    if (!path.starts_with("/dev/")) return PortKind::OutputFile;
    if (path.starts_with("/dev/usb/lp")) return PortKind::Usb;
    const std::string_view name = path.substr(path.rfind('/') + 1);
    // A pty slave that is gone (/dev/pts/N) was a serial line.
    if (path.starts_with("/dev/serial/") || path.starts_with("/dev/pts/") || name.starts_with("tty") ||
        name.starts_with("rfcomm"))
        return PortKind::Serial;
    if (name.starts_with("parport") || name.starts_with("lp")) return PortKind::Parallel;
    return PortKind::OutputFile;
}

}  // namespace

PortClass ClassifyPortName(std::string_view name, const std::string& sysRoot) {
    const PortKind pseudo = ClassifyPseudoName(name);
    if (pseudo != PortKind::OutputFile || name.empty()) return {pseudo, {}};
    // stat follows symbolic links: a udev link or /dev/serial/by-id/... is what it points at.
    struct stat info {};
    if (::stat(std::string(name).c_str(), &info) != 0) return {MissingDeviceKind(name), {}};
    if (!S_ISCHR(info.st_mode)) return {PortKind::OutputFile, {}};
    return ClassifyCharDevice(info.st_rdev, sysRoot);
}

std::string NotAPortText(std::string_view name, const PortClass& found) {
    std::string text = std::string(name) + " is not a printer port";
    if (!found.reason.empty()) text += " (it is " + found.reason + ")";
    return text;
}

PortKind ClassifyPortPath(std::string_view name, const std::string& sysRoot) {
    return ClassifyPortName(name, sysRoot).kind;
}

std::string DevicePathFor(std::string_view name, const std::string& devRoot) {
    if (const int com = PseudoPortNumber(name, "COM"); com > 0) {
        return devRoot + "/ttyS" + std::to_string(com - 1);
    }
    if (const int lpt = PseudoPortNumber(name, "LPT"); lpt > 0) {
        return devRoot + "/parport" + std::to_string(lpt - 1);
    }
    return std::string(name);
}

}  // namespace korva::port
