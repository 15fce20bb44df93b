#include "app/ui/MenuDlg.h"

#include <QPushButton>
#include <QVBoxLayout>

#include "profile/ConnectionLabel.h"
#include "ui/Language.h"
#include "port/DeviceType.h"
#include "port/PortPath.h"

namespace korva::app::ui {

using namespace korva::profile;
using namespace korva::ui;

CMenuDlg::CMenuDlg(const port::ConnectionSettings& settings, MenuPortHooks hooks, QWidget* parent)
    : QDialog(parent), m_Settings(settings), m_Hooks(std::move(hooks)) {
    setWindowTitle(QStringLiteral("KorvaTool"));
    const bool korean = UseKoreanLabels();
    // Korean labels take the English mnemonics in the Korean way: "로고 전송(&L)".
    auto label = [korean](const char* english, const char* koreanText) {
        return korean ? KoreanMnemonic(english, QString::fromUtf8(koreanText)) : QString::fromUtf8(english);
    };
    m_LogoButton = new QPushButton(label("&Logo Download", "로고 전송"), this);
    m_UserSetupButton = new QPushButton(label("&User Setup", "사용자 설정"), this);
    m_FirmwareButton = new QPushButton(label("&Firmware Download", "펌웨어 전송"), this);
    m_BackButton = new QPushButton(label("<< &Back  ", "<< 뒤로"), this);

    auto* layout = new QVBoxLayout(this);
    for (QPushButton* button : {m_LogoButton, m_UserSetupButton, m_FirmwareButton, m_BackButton}) {
        button->setAutoDefault(false);
        button->setMinimumWidth(200);
        layout->addWidget(button);
    }
    m_LogoButton->setDefault(true);

    SetConnectionLabel(ComposeConnectionLabel(m_Settings, port::ClassifyPortPath(m_Settings.portName)));
    // A tool this build does not have yet cannot be chosen; the KORVA10 models
    // have no user setup at all.
    m_LogoButton->setEnabled(static_cast<bool>(FindTool(Tool::Logo)));
    m_UserSetupButton->setEnabled(m_Settings.deviceType != port::kDeviceTypeKorva10 && FindTool(Tool::UserSetup));
    m_FirmwareButton->setEnabled(static_cast<bool>(FindTool(FirmwareTool())));

    connect(m_LogoButton, &QPushButton::clicked, this, &CMenuDlg::OnLogoDownload);
    connect(m_UserSetupButton, &QPushButton::clicked, this, &CMenuDlg::OnUserSetup);
    connect(m_FirmwareButton, &QPushButton::clicked, this, &CMenuDlg::OnFirmwareDownload);
    connect(m_BackButton, &QPushButton::clicked, this, &CMenuDlg::reject);
}

Tool CMenuDlg::FirmwareTool() const {
    return m_Settings.deviceType == port::kDeviceTypeKorva10 ? Tool::FirmwareOlder : Tool::FirmwareNewer;
}

void CMenuDlg::OnLogoDownload() {
    const ToolLauncher launcher = FindTool(Tool::Logo);
    if (!launcher) return;
    launcher(this);
    // The logo tool marks itself only after its sheet has closed.
    MarkTool(port::kToolLogo);
}

void CMenuDlg::OnUserSetup() {
    const ToolLauncher launcher = FindTool(Tool::UserSetup);
    if (m_Settings.deviceType == port::kDeviceTypeKorva10 || !launcher) return;
    MarkTool(port::kToolUserSetup);
    launcher(this);
}

void CMenuDlg::OnFirmwareDownload() {
    const ToolLauncher launcher = FindTool(FirmwareTool());
    if (!launcher) return;
    MarkTool(port::kToolFirmware);
    launcher(this);
    // A firmware dialog may leave the port open; the menu closes it.
    if (m_Hooks.closePortIfConnected) m_Hooks.closePortIfConnected();
}

void CMenuDlg::MarkTool(int tool) {
    if (m_Hooks.setCurrentTool) m_Hooks.setCurrentTool(tool);
}

}  // namespace korva::app::ui
