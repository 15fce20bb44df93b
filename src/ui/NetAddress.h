#pragma once
#include <string>
#include <QDialog>
#include <QString>

#include "port/PrinterSocket.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace korva::ui {

/// "Ethernet-II Network": the Ethernet printer's IP address and TCP port,
/// kept for the whole run, and the TCP link to it. OK checks that the printer
/// accepts a connection (the window keeps painting meanwhile; OK, Cancel and
/// the close box wait for the check, which ends within about a second).
class CNetAddress : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kDefaultIp = "192.168.0.254";
    static constexpr int kDefaultPort = 6001;

    explicit CNetAddress(QWidget* parent = nullptr);

    /// Shows the stored values (each time the dialog opens).
    void showEvent(QShowEvent* event) override;

    /// The TCP link every tool uses for an Ethernet printer.
    port::CPrinterSocket& Socket() { return m_Socket; }

    const QString& IpAddress() const { return m_IpAddress; }
    /// The address the last OK checked, in the spelling `korva --ip` gives
    /// it (numbers read as decimal): what the tools connect to.
    std::string CheckedAddress() const {
        return m_CheckedAddress.empty() ? m_IpAddress.toStdString() : m_CheckedAddress;
    }
    int TcpPort() const { return m_TcpPort; }
    /// The port the tools use: taken by the last OK that passed the range check.
    int TcpPortCopy() const { return m_TcpPortCopy; }

    QLineEdit* IpEdit() const { return m_IpEdit; }
    QLineEdit* PortEdit() const { return m_PortEdit; }
    QPushButton* OkButton() const { return m_OkButton; }
    QPushButton* NetworkSettingButton() const { return m_NetworkButton; }
    bool IsChecking() const { return m_Checking; }

public slots:
    void accept() override;
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void OnNetworkSetting();
    void SetBusy(bool busy);

    QString m_IpAddress = kDefaultIp;
    std::string m_CheckedAddress;
    int m_TcpPort = kDefaultPort;
    int m_TcpPortCopy = kDefaultPort;

    QLineEdit* m_IpEdit;
    QLineEdit* m_PortEdit;
    QPushButton* m_OkButton;
    QPushButton* m_CancelButton;
    QPushButton* m_NetworkButton;
    port::CPrinterSocket m_Socket;
    bool m_Checking = false;
};

/// The Ethernet address dialog of the main window, where the tools find the
/// printer's address and the TCP link; nullptr while no connection dialog exists.
CNetAddress* MainNetAddress();
/// Set by the connection dialog for its own Ethernet address dialog.
void SetMainNetAddress(CNetAddress* dialog);

/// True for a dotted quad of four numbers 0..255, whatever its last number
/// (the subnet, which decides what is a host, is not known here).
bool IsPrinterIpAddress(const QString& text);

}  // namespace korva::ui
