#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace korva::app {

/// What the connection dialog asks the system about ports. The program uses
/// the port layer's discovery; tests hand in their own ports and printers.
class PortDiscovery {
public:
    virtual ~PortDiscovery() = default;
    /// Serial port paths, sorted as text.
    virtual std::vector<std::string> SerialPorts() = 0;
    /// Parallel port paths, sorted as text.
    virtual std::vector<std::string> ParallelPorts() = 0;
    /// Present USB printers whose hardware id begins with `idPrefix`;
    /// -1 when the search itself failed.
    virtual int CountUsbPrinters(std::string_view idPrefix) = 0;
};

}  // namespace korva::app
