#include "firmware/ui/FirmwareToolHook.h"

#include <memory>

#include "profile/AppProfile.h"
#include "base/Clock.h"
#include "profile/ConnectionLabel.h"
#include "base/ErrorLog.h"
#include "profile/Globals.h"
#include "ui/NetAddress.h"
#include "ui/ToolRegistry.h"
#include "firmware/ui/FirmwareToolContext.h"
#include "firmware/ui/FwDown15.h"
#include "firmware/ui/FwDown20.h"
#include "port/Ports.h"
#include "port/TcpStream.h"

namespace korva::firmware::ui {

namespace {

template <class Dialog>
void RunDialog(QWidget* parent) {
    std::unique_ptr<port::TcpStream> ethernet;
    if (korva::ui::CNetAddress* address = korva::ui::MainNetAddress()) {
        ethernet = std::make_unique<port::TcpStream>(address->Socket(), address->IpAddress().toStdString(),
                                                     address->TcpPortCopy());
    }
    FirmwareToolContext context{profile::Ports(), ethernet.get(), profile::AppProfile(), base::ErrorLog(),
                                base::DefaultClock(), profile::ConnectionLabel()};
    Dialog dialog(context, parent);
    dialog.exec();
}

}  // namespace

void RunFirmwareNewer(QWidget* parent) { RunDialog<CFwDown20>(parent); }
void RunFirmwareOlder(QWidget* parent) { RunDialog<CFwDown15>(parent); }

namespace {
const korva::ui::ToolRegistration kNewerTool(korva::ui::Tool::FirmwareNewer, &RunFirmwareNewer);
const korva::ui::ToolRegistration kOlderTool(korva::ui::Tool::FirmwareOlder, &RunFirmwareOlder);
}  // namespace

}  // namespace korva::firmware::ui
