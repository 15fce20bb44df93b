#pragma once
#include <QDialog>
#include <QString>

#include "app/TcpConnectCheck.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace korva::app::ui {

/// "Ethernet-II Network": the Ethernet printer's IP address and TCP port,
/// kept for the whole run. OK checks that the printer accepts a connection.
class CNetAddress : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kDefaultIp = "192.168.0.254";
    static constexpr int kDefaultPort = 6001;

    explicit CNetAddress(QWidget* parent = nullptr);

    /// Shows the stored values (each time the dialog opens).
    void showEvent(QShowEvent* event) override;

    const QString& IpAddress() const { return m_IpAddress; }
    int TcpPort() const { return m_TcpPort; }
    /// The port the tools use: taken by the last OK that passed the range check.
    int TcpPortCopy() const { return m_TcpPortCopy; }

    QLineEdit* IpEdit() const { return m_IpEdit; }
    QLineEdit* PortEdit() const { return m_PortEdit; }
    QPushButton* OkButton() const { return m_OkButton; }
    QPushButton* NetworkSettingButton() const { return m_NetworkButton; }
    bool IsChecking() const { return m_Check.IsRunning(); }

public slots:
    void accept() override;
    void reject() override;

signals:
    /// Emitted when a connection check has ended (tests wait for it).
    void checkFinished(bool connected);

private:
    void OnCheckFinished(bool connected);
    void OnNetworkSetting();
    void SetBusy(bool busy);

    QString m_IpAddress = kDefaultIp;
    int m_TcpPort = kDefaultPort;
    int m_TcpPortCopy = kDefaultPort;

    QLineEdit* m_IpEdit;
    QLineEdit* m_PortEdit;
    QPushButton* m_OkButton;
    QPushButton* m_CancelButton;
    QPushButton* m_NetworkButton;
    TcpConnectCheck m_Check;
};

/// The printer's last octet must address a host: 1..254. True for a dotted
/// quad of four numbers 0..255 whose last number is in that range.
bool IsPrinterIpAddress(const QString& text);

}  // namespace korva::app::ui
