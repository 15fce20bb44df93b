#include "netcfg/ui/NetSettingTool.h"

#include "app/ui/ToolRegistry.h"
#include "netcfg/ui/NetSetting.h"

namespace korva::netcfg::ui {

void RunNetSetting(QWidget* parent) {
    CNetSetting dialog(NetEndpoints{}, parent);  // the limited broadcast, UDP 2918
    dialog.exec();
}

namespace {
const app::ui::ToolRegistration kNetSettingTool(app::ui::Tool::NetworkSetting, &RunNetSetting);
}

}  // namespace korva::netcfg::ui
