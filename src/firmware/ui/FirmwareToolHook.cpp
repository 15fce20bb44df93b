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
    if (app::ui::CNetAddress* address = app::ui::MainNetAddress()) {
        ethernet = std::make_unique<port::TcpStream>(address->Socket(), address->IpAddress().toStdString(),
                                                     address->TcpPortCopy());
    }
    FirmwareToolContext context{app::Ports(), ethernet.get(), app::AppProfile(), base::ErrorLog(),
                                base::DefaultClock(), app::ConnectionLabel()};
    Dialog dialog(context, parent);
    dialog.exec();
}

}  // namespace

void RunFirmwareNewer(QWidget* parent) { RunDialog<CFwDown20>(parent); }
void RunFirmwareOlder(QWidget* parent) { RunDialog<CFwDown15>(parent); }

namespace {
const app::ui::ToolRegistration kNewerTool(app::ui::Tool::FirmwareNewer, &RunFirmwareNewer);
const app::ui::ToolRegistration kOlderTool(app::ui::Tool::FirmwareOlder, &RunFirmwareOlder);
}  // namespace

}  // namespace korva::firmware::ui
