#pragma once
// Character device numbers the kernel fixes (Documentation/admin-guide/devices.txt)
// and where sysfs describes a device by its numbers.
#include <filesystem>
#include <string>
#include <sys/sysmacros.h>
#include <sys/types.h>

namespace korva::port {

inline constexpr unsigned kMajorTty = 4;          // 0..63 virtual consoles, 64.. ttyS
inline constexpr unsigned kMajorTtyAux = 5;       // 0 /dev/tty, 1 /dev/console, 2 /dev/ptmx
inline constexpr unsigned kMajorLp = 6;
inline constexpr unsigned kMajorPpdev = 99;
inline constexpr unsigned kMajorPtsFirst = 136;   // Unix98 pty slaves, 136..143
inline constexpr unsigned kMajorPtsLast = 143;
inline constexpr unsigned kMajorUsbAcm = 166;
inline constexpr unsigned kMajorUsbMisc = 180;    // 0..15 usblp
inline constexpr unsigned kMajorUsbSerial = 188;
inline constexpr unsigned kMajorAmba = 204;       // 64.. ttyAMA
inline constexpr unsigned kMajorRfcomm = 216;

/// `<sysRoot>/dev/char/M:m`: the sysfs entry of a character device while it exists.
inline std::filesystem::path SysCharEntry(const std::string& sysRoot, dev_t device) {
    return std::filesystem::path(sysRoot) / "dev/char" /
           (std::to_string(::major(device)) + ":" + std::to_string(::minor(device)));
}

}  // namespace korva::port
