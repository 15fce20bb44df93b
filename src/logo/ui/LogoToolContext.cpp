#include "logo/ui/LogoToolContext.h"

#include "logo/LogoListEditor.h"
#include "logo/LogoListServices.h"
#include "port/Ports.h"

namespace korva::logo::ui {

std::unique_ptr<LogoListEditor> MakeListEditor(LogoToolContext& context) {
    return std::make_unique<LogoListEditor>(context.list, context.options, ProbeLogoFileInfo, ShowLogoNotice);
}

port::PortKind LogoToolContext::Kind() const { return port::ClassifyPort(ports.m_PortName); }

port::ByteStream& LogoToolContext::Stream() const {
    if (Kind() == port::PortKind::Ethernet && ethernet) return *ethernet;
    return ports;
}

}  // namespace korva::logo::ui
