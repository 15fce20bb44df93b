#include "app/SessionBus.h"

#include <sys/stat.h>

#include <cstdlib>
#include <string>

namespace korva::app {

void UseExistingSessionBus() {
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS"); address != nullptr && *address != '\0')
        return;
    std::string address = kNoSessionBus;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime != nullptr && *runtime != '\0') {
        const std::string bus = std::string(runtime) + "/bus";
        struct stat info {};
        if (::stat(bus.c_str(), &info) == 0 && S_ISSOCK(info.st_mode)) address = "unix:path=" + bus;
    }
    ::setenv("DBUS_SESSION_BUS_ADDRESS", address.c_str(), 1);
}

}  // namespace korva::app
