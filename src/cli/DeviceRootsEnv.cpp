#include "cli/DeviceRootsEnv.h"

#include <cstdlib>

namespace korva::cli {

port::DeviceRoots DeviceRootsFromEnvironment() {
    port::DeviceRoots roots;
    if (const char* sys = std::getenv("KORVA_SYSFS_ROOT"); sys != nullptr && *sys != '\0')
        roots.sys = sys;
    if (const char* dev = std::getenv("KORVA_DEV_ROOT"); dev != nullptr && *dev != '\0')
        roots.dev = dev;
    return roots;
}

}  // namespace korva::cli
