#include "app/TypedPort.h"

#include <sys/stat.h>

#include "port/Connection.h"
#include "port/PortPath.h"

namespace korva::app {

bool IsTypedPortDevice(std::string_view name, bool parallel) {
    if (name.empty()) return false;
    const std::string path = port::DevicePathFor(port::NormalizePortName(name));
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISCHR(info.st_mode)) return false;
    // A character device is not yet a port: /dev/null is one too.
    return port::ClassifyPortPath(path) ==
           (parallel ? port::PortKind::Parallel : port::PortKind::Serial);
}

std::string TypedPortRefusal(std::string_view name, bool parallel) {
    return "'" + std::string(name) + "' is not a " + (parallel ? "parallel" : "serial") +
           " device.";
}

}  // namespace korva::app
