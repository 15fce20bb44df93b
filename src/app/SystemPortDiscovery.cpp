#include "app/SystemPortDiscovery.h"

#include "base/ErrorLog.h"
#include "port/Discovery.h"

namespace korva::app {

std::vector<std::string> SystemPortDiscovery::SerialPorts() {
    std::vector<std::string> ports;
    port::EnumPorts(false, ports);
    return ports;
}

std::vector<std::string> SystemPortDiscovery::ParallelPorts() {
    std::vector<std::string> ports;
    port::EnumPorts(true, ports);
    return ports;
}

int SystemPortDiscovery::CountUsbPrinters(std::string_view idPrefix) {
    // The port layer answers -1 for "none" as well as for a failed search;
    // either way the connection dialog keeps trying until its attempts run out.
    const int count = port::FindUsbPrinter(idPrefix, base::ErrorLog());
    return count < 0 ? 0 : count;
}

}  // namespace korva::app
