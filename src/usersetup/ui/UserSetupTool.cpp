// Opens the user setup from the tool menu, over the connection the
// connection dialog chose.
#include "usersetup/ui/UserSetupTool.h"

#include <QWidget>

#include "profile/AppProfile.h"
#include "profile/ConnectionLabel.h"
#include "base/ErrorLog.h"
#include "profile/Globals.h"
#include "base/MessageBox.h"
#include "base/Messages.h"
#include "ui/NetAddress.h"
#include "ui/ToolRegistry.h"
#include "port/ParPortCtl.h"
#include "port/PortPath.h"
#include "port/Ports.h"
#include "usersetup/UserProfile.h"
#include "usersetup/ui/UserSetupDlg.h"

namespace korva::usersetup::ui {

void RunUserSetup(QWidget* parent) {
    port::CPorts& ports = profile::Ports();
    port::ParPortCtl parallel(base::ErrorLog(), ports.Roots().dev);
    UserSetupContext context;
    SetupEndpoints& ep = context.endpoints;
    ep.kind = port::ClassifyPortPath(ports.m_PortName, ports.Roots().sys);
    ep.ports = &ports;
    ep.parallel = &parallel;
    ep.portName = ports.m_PortName;
    ep.log = &base::ErrorLog();
    if (ep.kind == port::PortKind::Ethernet) {
        korva::ui::CNetAddress* address = korva::ui::MainNetAddress();
        if (address == nullptr) {
            base::ShowMessage(base::Message(base::kMsgPrinterCheck));
            return;
        }
        ep.socket = &address->Socket();
        ep.ipAddress = address->IpAddress().toStdString();
        ep.tcpPort = address->TcpPortCopy();
    }
    context.lists = LoadSetupLists(profile::AppProfile());
    context.modelText = profile::ConnectionLabel();
    CUserSetup dialog(std::move(context), parent);
    if (!dialog.Connect()) return;
    dialog.exec();
}

namespace {
const korva::ui::ToolRegistration kUserSetupTool(korva::ui::Tool::UserSetup, &RunUserSetup);
}

}  // namespace korva::usersetup::ui
