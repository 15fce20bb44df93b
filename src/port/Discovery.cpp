#include "port/Discovery.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sys/ioctl.h>
#include <unistd.h>

#include "base/ErrorLog.h"
#include "port/DeviceId.h"
#include "port/PortKind.h"

namespace korva::port {

namespace fs = std::filesystem;

namespace {

/// First line of a small sysfs attribute, trimmed; nullopt when unreadable.
std::optional<std::string> ReadAttribute(const std::string& path) {
    std::ifstream in(path);
    std::string line;
    if (!in || !std::getline(in, line)) return std::nullopt;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ')) {
        line.pop_back();
    }
    return line;
}

/// Names in `dir` beginning with `prefix`, sorted as text.
std::vector<std::string> EntriesWithPrefix(const fs::path& dir, std::string_view prefix) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(dir, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.starts_with(prefix)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

/// An 8250 slot with no UART behind it reports the port type 0 (unknown).
bool IsUnusedUartSlot(const std::string& ttyDir) {
    const auto type = ReadAttribute(ttyDir + "/type");
    return type && *type == "0";
}

/// lpN in number order (lp10 after lp9); -1 for no number, or one beyond
/// any minor number the kernel hands out.
int LpNumber(const std::string& name) {
    constexpr int kLargest = 1 << 20;
    const std::string_view digits = std::string_view(name).substr(2);
    if (digits.empty()) return -1;
    int number = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return -1;
        number = number * 10 + (c - '0');
        if (number > kLargest) return -1;
    }
    return number;
}

bool MatchesPrefix(const UsbPrinterEntry& printer, std::string_view prefix) {
    return AsciiUpper(printer.hardwareId).starts_with(AsciiUpper(prefix));
}

}  // namespace

const char* UsbIdPrefixForDeviceType(int deviceType) {
    return printer::UsbIdPrefix(printer::NewerSeries(deviceType)).data();
}

int EnumPorts(bool parallel, std::vector<std::string>& list, const DeviceRoots& roots) {
    std::vector<std::string> found;
    if (parallel) {
        for (const std::string& name : EntriesWithPrefix(roots.dev, "parport")) {
            found.push_back(roots.dev + "/" + name);
        }
    } else {
        const std::string classDir = roots.sys + "/class/tty";
        for (const std::string& name : EntriesWithPrefix(classDir, "")) {
            const std::string ttyDir = classDir + "/" + name;
            std::error_code error;
            if (!fs::exists(ttyDir + "/device", error) || IsUnusedUartSlot(ttyDir)) continue;
            found.push_back(roots.dev + "/" + name);
        }
    }
    list.insert(list.end(), found.begin(), found.end());
    return static_cast<int>(found.size());
}

std::vector<UsbPrinterEntry> ListUsbPrinters(const DeviceRoots& roots) {
    const std::string classDir = roots.sys + "/class/usbmisc";
    std::vector<std::string> names = EntriesWithPrefix(classDir, "lp");
    std::erase_if(names, [](const std::string& name) { return LpNumber(name) < 0; });
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return LpNumber(a) < LpNumber(b);
    });
    std::vector<UsbPrinterEntry> printers;
    for (const std::string& name : names) {
        // device is the printer interface; the USB device with its ids is its parent.
        const std::string usbDevice = classDir + "/" + name + "/device/..";
        const auto vendor = ReadAttribute(usbDevice + "/idVendor");
        const auto product = ReadAttribute(usbDevice + "/idProduct");
        const auto revision = ReadAttribute(usbDevice + "/bcdDevice");
        UsbPrinterEntry entry;
        entry.devicePath = roots.dev + "/usb/" + name;
        entry.idsReadable = vendor && product && revision;
        if (entry.idsReadable) {
            entry.hardwareId = "USB\\VID_" + *vendor + "&PID_" + *product + "&REV_" + *revision;
        }
        printers.push_back(std::move(entry));
    }
    return printers;
}

std::vector<uint8_t> ReadUsbDeviceId(const std::string& devicePath, int& error) {
    // usblp's own request number 1 of type 'P', read direction, buffer size in the code.
    constexpr unsigned long kGetDeviceId = _IOC(_IOC_READ, 'P', 1, kDeviceIdMax);
    error = 0;
    const int fd = ::open(devicePath.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return {};
    }
    std::vector<uint8_t> id(kDeviceIdMax, 0);
    if (::ioctl(fd, kGetDeviceId, id.data()) != 0) {
        error = errno;
        id.clear();
    }
    ::close(fd);
    return id;
}

int FindUsbPrinter(std::string_view prefix, base::CErrorLog& log, const DeviceRoots& roots) {
    int count = 0;
    for (const UsbPrinterEntry& printer : ListUsbPrinters(roots)) {
        if (!printer.idsReadable) {
            log.Log("[Error]SetupDiGetDeviceRegistryProperty");
            return -1;
        }
        if (!MatchesPrefix(printer, prefix)) continue;
        ++count;
        const int fd = ::open(printer.devicePath.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            log.Log("Create File error\r\n");
            break;
        }
        ::close(fd);
    }
    return count >= 1 ? count : -1;
}

int OpenUsbPrinter(std::string_view prefix, std::string& path, base::CErrorLog& log,
                   const DeviceRoots& roots, int* openError) {
    int unused = 0;
    int& failure = openError ? *openError : unused;
    failure = ENODEV;
    std::error_code error;
    if (!fs::is_directory(roots.sys + "/class/usbmisc", error)) {
        log.Log("[Error] SetupDiGetClassDevs");
        return -1;
    }
    for (const UsbPrinterEntry& printer : ListUsbPrinters(roots)) {
        path = printer.devicePath;
        if (!printer.idsReadable) {
            log.Log("[Error] SetupDiGetDeviceRegistryProperty");
            return -1;
        }
        if (!MatchesPrefix(printer, prefix)) continue;
        const int fd = ::open(printer.devicePath.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            failure = errno;
            log.Log("CreateFile Fail [%d]", failure);
            return -1;
        }
        log.Log("CreateFile Success [%X]", static_cast<unsigned>(fd));
        return fd;
    }
    // 259: "no more items", the list was simply exhausted.
    log.Log("[Error] SetupDiEnumDeviceInterfaces(%d)\r\n", 259);
    return -1;
}

}  // namespace korva::port
