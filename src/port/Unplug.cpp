#include "port/Unplug.h"

#include <chrono>
#include <filesystem>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <thread>

#include "port/DeviceIo.h"

namespace korva::port {

namespace fs = std::filesystem;

namespace {
// Character majors of the devices that go when their plug is pulled.
constexpr unsigned kMajorUsbAcm = 166;
constexpr unsigned kMajorUsbMisc = 180;  // usblp
constexpr unsigned kMajorUsbSerial = 188;
constexpr int kLookEveryMs = 20;
}  // namespace

bool DeviceUnplugged(int fd, const std::string& sysRoot, int waitMs) {
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode)) return false;
    const unsigned major = ::major(info.st_rdev);
    if (major != kMajorUsbMisc && major != kMajorUsbSerial && major != kMajorUsbAcm) return false;
    const fs::path table = fs::path(sysRoot) / "dev/char";
    const fs::path entry = table / (std::to_string(major) + ":" + std::to_string(::minor(info.st_rdev)));
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
