#include "app/TypedPort.h"

#include <sys/stat.h>

#include <cerrno>

#include "port/Connection.h"
#include "port/PortPath.h"

namespace korva::app {

std::string TypedPortRefusal(std::string_view name, bool parallel, const std::string& sysRoot) {
    const port::PortKind wanted = parallel ? port::PortKind::Parallel : port::PortKind::Serial;
    port::PortClass found;
    if (!name.empty()) {
        const std::string path = port::DevicePathFor(port::NormalizePortName(name));
        // COMn and LPTn are kept only when their node is there and is the device.
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0) {
            if (errno == ENOENT)
                return "'" + std::string(name) + "' does not exist: check the spelling, or plug the printer in "
                       "and switch it on.";
        } else if (S_ISCHR(info.st_mode)) {
            found = port::ClassifyPortName(path, sysRoot);
        }
        if (found.kind == wanted) return {};
    }
    std::string text = "'" + std::string(name) + "' is not a " + (parallel ? "parallel" : "serial") + " device";
    if (!found.reason.empty()) text += " (it is " + found.reason + ")";
    return text + ".";
}

}  // namespace korva::app
