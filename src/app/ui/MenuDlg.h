#pragma once
#include <QDialog>
#include <functional>

#include "ui/ToolRegistry.h"
#include "port/Connection.h"
#include "port/Ports.h"

class QPushButton;

namespace korva::app::ui {

/// What the menu needs from the port object: where to mark the current tool
/// (port::kToolLogo, ...) and how to close a port a firmware dialog left open.
struct MenuPortHooks {
    std::function<void(int tool)> setCurrentTool;
    std::function<void()> closePortIfConnected;
};

/// The tool menu: composes the connection label, then opens one tool at a
/// time, chosen by the printer series. A tool this build does not have (not
/// in the tool registry) has its button disabled. Back returns to the
/// connection dialog.
class CMenuDlg : public QDialog {
    Q_OBJECT
public:
    CMenuDlg(const port::ConnectionSettings& settings, MenuPortHooks hooks, QWidget* parent = nullptr);

    QPushButton* LogoButton() const { return m_LogoButton; }
    QPushButton* UserSetupButton() const { return m_UserSetupButton; }
    QPushButton* FirmwareButton() const { return m_FirmwareButton; }
    QPushButton* BackButton() const { return m_BackButton; }

public slots:
    void OnLogoDownload();
    void OnUserSetup();
    void OnFirmwareDownload();

private:
    /// The firmware dialog of the printer's series.
    korva::ui::Tool FirmwareTool() const;
    void MarkTool(int tool);

    const port::ConnectionSettings m_Settings;
    MenuPortHooks m_Hooks;
    QPushButton* m_LogoButton;
    QPushButton* m_UserSetupButton;
    QPushButton* m_FirmwareButton;
    QPushButton* m_BackButton;
};

}  // namespace korva::app::ui
