#include "app/SystemPortDiscovery.h"

namespace korva::app {

// The port layer's enumeration is wired in here once it is part of the build;
// until then the machine offers no discoverable ports (a simulated printer's
// pty is still offered through KORVA_SIM_PORT).
std::vector<std::string> SystemPortDiscovery::SerialPorts() { return {}; }
std::vector<std::string> SystemPortDiscovery::ParallelPorts() { return {}; }
int SystemPortDiscovery::CountUsbPrinters(std::string_view) { return 0; }

}  // namespace korva::app
