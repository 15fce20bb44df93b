#include "port/Unplug.h"

#include <chrono>
#include <filesystem>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>

#include "port/CharDevices.h"
#include "port/DeviceIo.h"

namespace korva::port {

namespace fs = std::filesystem;

namespace {
constexpr int kLookEveryMs = 20;
}  // namespace

bool DeviceUnplugged(int fd, const std::string& sysRoot, int waitMs) {
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode)) return false;
    // Only the devices that go when their plug is pulled.
    const unsigned major = ::major(info.st_rdev);
    if (major != kMajorUsbMisc && major != kMajorUsbSerial && major != kMajorUsbAcm) return false;
    const fs::path entry = SysCharEntry(sysRoot, info.st_rdev);
    const fs::path table = entry.parent_path();
    std::error_code error;
    if (!fs::is_directory(table, error)) return false;  // no sysfs to ask
    const int64_t end = SteadyNowMs() + waitMs;
    for (;;) {
        if (!fs::exists(entry, error) && !error) return true;
        if (SteadyNowMs() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(kLookEveryMs));
    }
}

}  // namespace korva::port
