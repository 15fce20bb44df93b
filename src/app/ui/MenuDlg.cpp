#include "app/ui/MenuDlg.h"

#include <QPushButton>
#include <QVBoxLayout>

#include "app/ConnectionLabel.h"
#include "app/MessageBox.h"
#include "app/ui/Language.h"
#include "port/PortPath.h"

namespace korva::app::ui {

CMenuDlg::CMenuDlg(const port::ConnectionSettings& settings, MenuPortHooks hooks, QWidget* parent)
    : QDialog(parent), m_Settings(settings), m_Hooks(std::move(hooks)) {
    setWindowTitle(QStringLiteral("KorvaTool"));
    const bool korean = UseKoreanLabels();
    m_LogoButton = new QPushButton(korean ? QStringLiteral("로고 전송") : QStringLiteral("&Logo Download"), this);
    m_UserSetupButton = new QPushButton(korean ? QStringLiteral("사용자 설정") : QStringLiteral("&User Setup"), this);
    m_FirmwareButton =
        new QPushButton(korean ? QStringLiteral("펌웨어 전송") : QStringLiteral("&Firmware Download"), this);
    m_BackButton = new QPushButton(korean ? QStringLiteral("<< 뒤로") : QStringLiteral("<< &Back  "), this);

    auto* layout = new QVBoxLayout(this);
    for (QPushButton* button : {m_LogoButton, m_UserSetupButton, m_FirmwareButton, m_BackButton}) {
        button->setAutoDefault(false);
        button->setMinimumWidth(200);
        layout->addWidget(button);
    }
    m_LogoButton->setDefault(true);

    SetConnectionLabel(ComposeConnectionLabel(m_Settings, port::ClassifyPortPath(m_Settings.portName)));
    // The KORVA10 models have no user setup.
    m_UserSetupButton->setEnabled(m_Settings.deviceType != 2);

    connect(m_LogoButton, &QPushButton::clicked, this, &CMenuDlg::OnLogoDownload);
    connect(m_UserSetupButton, &QPushButton::clicked, this, &CMenuDlg::OnUserSetup);
    connect(m_FirmwareButton, &QPushButton::clicked, this, &CMenuDlg::OnFirmwareDownload);
    connect(m_BackButton, &QPushButton::clicked, this, &CMenuDlg::reject);
}

void CMenuDlg::OnLogoDownload() {
    // The logo tool marks itself only after its sheet has closed.
    if (Launch(Tool::Logo)) MarkTool(port::kToolLogo);
}

void CMenuDlg::OnUserSetup() {
    if (m_Settings.deviceType == 2) return;
    MarkTool(port::kToolUserSetup);
    Launch(Tool::UserSetup);
}

void CMenuDlg::OnFirmwareDownload() {
    MarkTool(port::kToolFirmware);
    Launch(m_Settings.deviceType == 2 ? Tool::FirmwareOlder : Tool::FirmwareNewer);
    // A firmware dialog may leave the port open; the menu closes it.
    if (m_Hooks.closePortIfConnected) m_Hooks.closePortIfConnected();
}

bool CMenuDlg::Launch(Tool tool) {
    const ToolLauncher launcher = FindTool(tool);
    if (!launcher) {
        ShowMessage(std::string(ToolDisplayName(tool)) + " is not available in this build.");
        return false;
    }
    launcher(this);
    return true;
}

void CMenuDlg::MarkTool(int tool) {
    if (m_Hooks.setCurrentTool) m_Hooks.setCurrentTool(tool);
}

}  // namespace korva::app::ui
