#pragma once
#include <QDialog>
#include <QString>
#include <array>
#include <functional>

#include "netcfg/ChangeRequest.h"
#include "netcfg/NetChangeCheck.h"
#include "netcfg/UdpChannel.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QWidget;

namespace korva::netcfg::ui {

/// "KORVA Ethernet-II Network Setting": searches the local network for
/// printers and changes one printer's IP address, mask, gateway, TCP port and
/// DHCP use. Searches and changes run as step engines on timers, so the window
/// keeps painting while it listens; the close box waits for them.
class CNetSetting : public QDialog {
    Q_OBJECT
  public:
    explicit CNetSetting(NetEndpoints endpoints = {}, QWidget* parent = nullptr);

    /// Where the opening reads the Ctrl key that unlocks the manual MAC group;
    /// tests hold it down here. Empty: QGuiApplication::queryKeyboardModifiers.
    static void SetModifierQuery(std::function<Qt::KeyboardModifiers()> query);

    QTableWidget* List() const { return m_List; }
    QLineEdit* IpEdit() const { return m_IpEdit; }
    QLineEdit* SubnetEdit() const { return m_SubnetEdit; }
    QLineEdit* GatewayEdit() const { return m_GatewayEdit; }
    QLineEdit* PortEdit() const { return m_PortEdit; }
    QCheckBox* DhcpCheck() const { return m_DhcpCheck; }
    QPushButton* SearchButton() const { return m_SearchButton; }
    QPushButton* ChangeButton() const { return m_ChangeButton; }
    QPushButton* ExitButton() const { return m_ExitButton; }
    QWidget* ManualGroup() const { return m_ManualGroup; }
    QLineEdit* ManualMacEdit(int i) const { return m_ManualMac[static_cast<size_t>(i)]; }
    QPushButton* ManualButton() const { return m_ManualButton; }
    /// MAC text of the row last picked ("" before the first pick).
    const QString& PickedMac() const { return m_PickedMac; }
    bool IsBusy() const { return m_Busy; }
    /// How long a changed printer may take to answer again (tests shorten it).
    void SetChangeCheckLimitMs(int ms) { m_ChangeCheckLimitMs = ms; }

    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void BuildControls();
    void LayOut();
    void OnSearch();
    void OnChange();
    void OnManualChange();
    void PickRow(int row);
    void RunChange(const ChangeBuild& request);
    void CheckChange(const NetSettings& wanted);
    void ShowRow(const NetSettings& printer);
    void SetRow(int at, const NetSettings& printer);
    void SetBusy(bool busy);

    NetEndpoints m_Endpoints;
    QTableWidget* m_List = nullptr;
    QLineEdit* m_IpEdit = nullptr;
    QLineEdit* m_SubnetEdit = nullptr;
    QLineEdit* m_GatewayEdit = nullptr;
    QLineEdit* m_PortEdit = nullptr;
    QCheckBox* m_DhcpCheck = nullptr;
    QPushButton* m_SearchButton = nullptr;
    QPushButton* m_ChangeButton = nullptr;
    QPushButton* m_ExitButton = nullptr;
    QWidget* m_ManualGroup = nullptr;
    std::array<QLineEdit*, 3> m_ManualMac{};
    QPushButton* m_ManualButton = nullptr;
    QString m_PickedMac;
    bool m_Busy = false;
    bool m_Filling = false;  ///< the list is being filled by a search, not clicked
    bool m_Opened = false;
    int m_ChangeCheckLimitMs = NetChangeCheck::kRestartLimitMs;
};

}  // namespace korva::netcfg::ui
