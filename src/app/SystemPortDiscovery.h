#pragma once
#include "app/PortDiscovery.h"

namespace korva::app {

/// Discovery on this machine, through the port layer.
class SystemPortDiscovery final : public PortDiscovery {
public:
    std::vector<std::string> SerialPorts() override;
    std::vector<std::string> ParallelPorts() override;
    int CountUsbPrinters(std::string_view idPrefix) override;
};

}  // namespace korva::app
