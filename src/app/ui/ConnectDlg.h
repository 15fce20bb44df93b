#pragma once
#include <QDialog>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "profile/ModelRules.h"
#include "app/PortDiscovery.h"
#include "ui/NetAddress.h"
#include "port/Connection.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace korva::app::ui {

/// The program's main window: printer model, port and serial line settings.
/// OK stores them in the connection settings and opens the tool menu; the
/// port itself is opened by the tools. Cancel ends the program.
class CConnectDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kUsbSearchAttempts = 16;
    static constexpr int kUsbSearchIntervalMs = 250;

    /// Runs a modal dialog over the connection dialog and returns its result.
    using Runner = std::function<int(QWidget* parent)>;

    CConnectDlg(port::ConnectionSettings& settings, PortDiscovery& discovery, QWidget* parent = nullptr);
    ~CConnectDlg() override;

    /// Device paths offered with the serial ports although discovery cannot
    /// see them (a simulated printer's pty).
    void SetExtraSerialPorts(std::vector<std::string> paths) { m_ExtraSerialPorts = std::move(paths); }
    /// The tool menu; without one OK stores the settings and opens nothing.
    void SetMenuRunner(Runner runner) { m_MenuRunner = std::move(runner); }
    /// Replaces the Ethernet address dialog's modal run (tests).
    void SetNetAddressRunner(Runner runner) { m_NetAddressRunner = std::move(runner); }
    void SetUsbSearchIntervalMs(int ms) { m_UsbIntervalMs = ms; }

    int DeviceKind() const { return m_DeviceKind; }
    int ConnectKind() const { return m_PortKind; }
    bool IsSearchingUsb() const { return m_UsbSearching; }
    korva::ui::CNetAddress& NetAddress() { return *m_NetAddress; }

    QComboBox* ModelList() const { return m_ModelList; }
    QComboBox* PortList() const { return m_PortList; }
    QComboBox* BaudList() const { return m_BaudList; }
    QComboBox* ParityList() const { return m_ParityList; }
    QComboBox* DataLengthList() const { return m_DataLengthList; }
    QComboBox* FlowList() const { return m_FlowList; }
    QComboBox* StopBitList() const { return m_StopBitList; }
    QPushButton* OkButton() const { return m_OkButton; }
    QPushButton* CancelButton() const { return m_CancelButton; }

public slots:
    /// OK: stores the choice and runs the menu (or the Ethernet address
    /// dialog first); the connection dialog stays open afterwards.
    void accept() override;
    void reject() override;

protected:
    /// A port path shows its start again when the dialog comes back (after
    /// "<< Back") and when its field loses the focus.
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    /// The USB search has ended with this many printers (-1: search failed).
    void usbSearchFinished(int count);

private:
    QComboBox* AddList(const QString& english, const QString& korean);
    void FillInitialLists();
    void OnModelChanged(int index);
    void OnDataLengthChanged(int index);
    /// Fills the port list; `keep` (the last model's port) stays chosen when it still applies.
    void ChoosePort(std::vector<std::string> ports, int noPortMessage, const QString& keep = {});
    /// Shows the port and line rows only where the port kind uses them.
    void ShowRowsFor(int kind);
    /// Serial and parallel ports may also be typed as a device path.
    void SetPortListEditable(bool editable);
    bool PortKindTakesTypedPath() const;
    QString PortText() const;
    /// OK needs a model and a port kind; a serial or parallel kind also a port.
    void UpdateOk();
    /// A port not from the list must name a device of the kind; says so when not.
    bool CheckTypedPort(const QString& text);
    void SetLineListsEnabled(bool enabled);
    void StartUsbSearch();
    void UsbSearchStep();
    void FinishUsbSearch(int count);
    void StopUsbSearch();
    bool TakeSerialParameters(port::ConnectionSettings& out);
    void RunMenu();

    port::ConnectionSettings& m_Settings;
    PortDiscovery& m_Discovery;
    std::vector<std::string> m_ExtraSerialPorts;
    Runner m_MenuRunner;
    Runner m_NetAddressRunner;

    int m_DeviceKind = 0;
    int m_PortKind = profile::kConnectNone;

    QComboBox* m_ModelList = nullptr;
    QComboBox* m_PortList = nullptr;
    QComboBox* m_BaudList = nullptr;
    QComboBox* m_ParityList = nullptr;
    QComboBox* m_DataLengthList = nullptr;
    QComboBox* m_FlowList = nullptr;
    QComboBox* m_StopBitList = nullptr;
    QPushButton* m_OkButton = nullptr;
    QPushButton* m_CancelButton = nullptr;
    korva::ui::CNetAddress* m_NetAddress = nullptr;
    std::vector<std::pair<QLabel*, QComboBox*>> m_Labels;

    QTimer m_UsbTimer;
    bool m_UsbSearching = false;
    int m_UsbAttempts = 0;
    int m_UsbIntervalMs = kUsbSearchIntervalMs;
    int m_UsbClass = 0;
    QString m_SavedTitle;
};

}  // namespace korva::app::ui
