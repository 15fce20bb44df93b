#pragma once
class QWidget;

namespace korva::netcfg::ui {

/// Opens "KORVA Ethernet-II Network Setting" modally over `parent`; it is
/// registered as the network setting tool that the Ethernet address dialog opens.
void RunNetSetting(QWidget* parent);

}  // namespace korva::netcfg::ui
