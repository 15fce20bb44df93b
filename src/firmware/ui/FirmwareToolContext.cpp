#include "firmware/ui/FirmwareToolContext.h"

#include "port/PortPath.h"
#include "port/Ports.h"

namespace korva::firmware::ui {

port::ByteStream& FirmwareToolContext::Stream() const {
    if (port::ClassifyPortPath(ports.m_PortName, ports.Roots().sys) == port::PortKind::Ethernet && ethernet) return *ethernet;
    return ports;
}

}  // namespace korva::firmware::ui
