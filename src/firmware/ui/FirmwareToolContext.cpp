#include "firmware/ui/FirmwareToolContext.h"

#include "port/Ports.h"

namespace korva::firmware::ui {

port::ByteStream& FirmwareToolContext::Stream() const {
    if (port::ClassifyPort(ports.m_PortName) == port::PortKind::Ethernet && ethernet) return *ethernet;
    return ports;
}

}  // namespace korva::firmware::ui
