#include "ui/NetAddress.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

#include "netcfg/NetText.h"
#include "ui/IpField.h"

#include "base/MessageBox.h"
#include "base/Messages.h"
#include "netcfg/HostAddress.h"
#include "port/PortFailures.h"
#include "ui/Language.h"
#include "ui/ToolRegistry.h"

namespace korva::ui {

bool IsPrinterIpAddress(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4) return false;
    for (const QString& part : parts) {
        bool ok = false;
        const int number = part.toInt(&ok);
        if (!ok || part.isEmpty() || part.size() > 3 || number < 0 || number > 255) return false;
    }
    // Any last number: in a subnet wider than /24, x.y.1.255 and x.y.2.0 are hosts.
    return true;
}

namespace {
CNetAddress* g_MainNetAddress = nullptr;
}  // namespace

CNetAddress* MainNetAddress() { return g_MainNetAddress; }
void SetMainNetAddress(CNetAddress* dialog) { g_MainNetAddress = dialog; }

CNetAddress::CNetAddress(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Ethernet-II Network"));

    // Every keystroke kept; what cannot be an address is marked with its cause.
    m_IpEdit = korva::ui::MakeIpField(this);
    m_PortEdit = new QLineEdit(this);
    m_PortEdit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,5}")), m_PortEdit));

    auto* ipLabel = new QLabel(QStringLiteral("&IP :"), this);
    ipLabel->setBuddy(m_IpEdit);
    m_IpEdit->setAccessibleName(QStringLiteral("IP"));
    auto* portLabel = new QLabel(QStringLiteral("&PORT :"), this);
    portLabel->setBuddy(m_PortEdit);
    m_PortEdit->setAccessibleName(QStringLiteral("PORT"));

    m_OkButton = new QPushButton(QStringLiteral("OK"), this);
    m_OkButton->setDefault(true);
    m_CancelButton = new QPushButton(UseKoreanLabels() ? QStringLiteral("취소") : QStringLiteral("Cancel"), this);
    m_NetworkButton = new QPushButton(
        UseKoreanLabels() ? QStringLiteral("네트워크 설정") : QStringLiteral("Network Setting"), this);
    // The network setting dialog plugs itself in when it is part of the build.
    m_NetworkButton->setEnabled(static_cast<bool>(FindTool(Tool::NetworkSetting)));

    auto* grid = new QGridLayout;
    grid->addWidget(ipLabel, 0, 0);
    grid->addWidget(m_IpEdit, 0, 1);
    grid->addWidget(portLabel, 1, 0);
    grid->addWidget(m_PortEdit, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_NetworkButton);
    buttons->addStretch();
    buttons->addWidget(m_OkButton);
    buttons->addWidget(m_CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    connect(m_OkButton, &QPushButton::clicked, this, &CNetAddress::accept);
    connect(m_CancelButton, &QPushButton::clicked, this, &CNetAddress::reject);
    connect(m_NetworkButton, &QPushButton::clicked, this, &CNetAddress::OnNetworkSetting);
}

void CNetAddress::showEvent(QShowEvent* event) {
    m_IpEdit->setText(m_IpAddress);
    m_PortEdit->setText(QString::number(m_TcpPort));
    QDialog::showEvent(event);
}

void CNetAddress::accept() {
    if (m_Checking) return;
    // Taken before the checks: the next opening shows what was typed last.
    m_IpAddress = m_IpEdit->text().trimmed();
    bool numeric = false;
    const int port = m_PortEdit->text().toInt(&numeric);
    m_TcpPort = numeric ? port : 0;
    if (m_TcpPort < 1024 || m_TcpPort > 65534) {
        base::ShowMessage(base::Message(base::kMsgPortRange));
        return;
    }
    // A text that is no address names the 0 ~ 255 rule; 1 ~ 254 is the host rule.
    if (const std::string problem = netcfg::AddressProblem(m_IpAddress.toStdString());
        !problem.empty()) {
        base::ShowMessage("IP: " + problem);
        return;
    }
    if (!IsPrinterIpAddress(m_IpAddress)) {
        base::ShowMessage(base::Message(base::kMsgIpRange));
        return;
    }
    m_TcpPortCopy = m_TcpPort;
    // "127.0.1.010" is 127.0.1.10 here as in korva, never octal.
    const netcfg::HostAddress resolved = netcfg::ResolveHostAddress(m_IpAddress.toStdString());
    if (!resolved.error.empty()) {
        base::ShowMessage("IP: " + resolved.error);
        return;
    }
    m_CheckedAddress = resolved.address;

    // The check only proves the printer answers; the tools connect again.
    SetBusy(true);
    const bool connected = m_Socket.ConnectWithRetry(m_CheckedAddress, m_TcpPortCopy, 10);
    m_Socket.Close();
    SetBusy(false);
    if (!connected) {
        // Why the last probe failed (refused, no route, no answer, reset) and what to check.
        std::string text = base::Message(base::kMsgPrinterCheck);
        if (const std::string cause = port::OpenFailureDetail(m_Socket.LastErrorCode(), false); !cause.empty())
            text += "\r\n" + cause;
        base::ShowMessage(text);
        return;
    }
    QDialog::accept();
}

void CNetAddress::reject() {
    if (m_Checking) return;
    QDialog::reject();
}

void CNetAddress::closeEvent(QCloseEvent* event) {
    if (m_Checking) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void CNetAddress::OnNetworkSetting() {
    if (const ToolLauncher launcher = FindTool(Tool::NetworkSetting)) launcher(this);
}

void CNetAddress::SetBusy(bool busy) {
    m_Checking = busy;
    m_OkButton->setEnabled(!busy);
    m_CancelButton->setEnabled(!busy);
    m_IpEdit->setEnabled(!busy);
    m_PortEdit->setEnabled(!busy);
    m_NetworkButton->setEnabled(!busy && static_cast<bool>(FindTool(Tool::NetworkSetting)));
    if (busy) setCursor(Qt::BusyCursor);
    else unsetCursor();
}

}  // namespace korva::ui
