#include "logo/ui/LogoToolHook.h"

#include <memory>
#include <string>

#include "profile/AppProfile.h"
#include "base/Clock.h"
#include "profile/ConnectionLabel.h"
#include "base/ErrorLog.h"
#include "profile/Globals.h"
#include "ui/NetAddress.h"
#include "ui/ToolRegistry.h"
#include "logo/LogoList.h"
#include "logo/LogoOptions.h"
#include "logo/ui/LogoSheet.h"
#include "logo/ui/LogoToolContext.h"
#include "logo/ui/PrintToFileDlg.h"
#include "port/PortPath.h"
#include "port/Ports.h"
#include "port/TcpStream.h"

namespace korva::logo::ui {

LogoList& ProgramLogoList() {
    static LogoList list;
    return list;
}

LogoOptions& ProgramLogoOptions() {
    static LogoOptions options;
    return options;
}

namespace {

// The connection's own port, remembered across sheets: a sheet closed with
// "Print To File" on leaves the port object on "FILE", and switching the file
// output off in a later sheet must still return to this port.
std::string& ConnectionPort() {
    static std::string name;
    return name;
}

}  // namespace

void RunLogoDownload(QWidget* parent) {
    port::CPorts& ports = profile::Ports();
    if (port::ClassifyPseudoName(ports.m_PortName) != port::PortKind::File) ConnectionPort() = ports.m_PortName;
    // Opening "FILE" asks for the output name, in this tool and any later one.
    ports.SetFileNameChooser([] { return AskOutputFileName(); });

    std::unique_ptr<port::TcpStream> ethernet;
    if (korva::ui::CNetAddress* address = korva::ui::MainNetAddress()) {
        ethernet = std::make_unique<port::TcpStream>(address->Socket(), address->IpAddress().toStdString(),
                                                     address->TcpPortCopy());
    }
    LogoToolContext context{ProgramLogoList(), ProgramLogoOptions(), ports,
                            ethernet.get(), profile::AppProfile(), base::ErrorLog(),
                            base::DefaultClock(), profile::ConnectionLabel(), ConnectionPort()};
    RunLogoTool(context, parent);
}

namespace {
const korva::ui::ToolRegistration kLogoTool(korva::ui::Tool::Logo, &RunLogoDownload);
}

}  // namespace korva::logo::ui
