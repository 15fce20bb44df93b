// The network setting dialog under the offscreen platform, searching and
// changing korva-sim over loopback UDP; message boxes are recorded.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QCheckBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QNetworkDatagram>
#include <QUdpSocket>

#include "NetSimSupport.h"
#include "NetcfgData.h"
#include "base/Messages.h"
#include "support/QtTestSupport.h"
#include "ui/Language.h"
#include "ui/NetAddress.h"
#include "ui/ToolRegistry.h"
#include "netcfg/ui/NetSetting.h"
#include "netcfg/ui/NetSettingTool.h"
#include "support/RecordedMessages.h"

using namespace korva;
using namespace korva::netcfg;
using namespace korva::netcfg::ui;
using namespace korva::test;

namespace {

const std::string kFinished = base::Message(base::kMsgSearchFinished);
const std::string kAsk = base::Message(base::kMsgConfirmNetworkChange);
const std::string kDone = base::Message(base::kMsgUpdateComplete2);

// A press and release of the left button at `at`, as a real click arrives.
void Click(QWidget* widget, QPoint at) {
    const QPointF local(at);
    const QPointF global(widget->mapToGlobal(at));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton, {});
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, {}, {});
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
}

// Types `text` key by key.
void Type(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, {}, QString(c));
        QApplication::sendEvent(widget, &press);
    }
}

class NetSettingDlg : public ::testing::Test {
  protected:
    NetSettingDlg() { TestApp(); }
    ~NetSettingDlg() override {
        CNetSetting::SetModifierQuery({});
        korva::ui::SetKoreanLabelsOverride(std::nullopt);
    }
    void StartPrinter(const QStringList& options) {
        ASSERT_TRUE(printer.Start(options)) << printer.sim.Error().toStdString();
    }
    // Clicks a row's first cell as the mouse does.
    static void ClickRow(CNetSetting& dlg, int row) {
        QTableWidget* list = dlg.List();
        const QRect cell = list->visualRect(list->model()->index(row, 0));
        Click(list->viewport(), cell.center());
    }
    // Sends a reply from "another printer" while the dialog's search listens.
    void ReplyDuringSearch(std::vector<uint8_t> reply) {
        QTimer::singleShot(200, [this, reply] { SendLoopback(printer.listenPort, reply); });
    }
    LoopbackPrinter printer;
};

TEST_F(NetSettingDlg, OpensWithColumnsNoPrinterChosenAndTheManualGroupLockedUnlessCtrlIsHeld) {
    CNetSetting dlg;
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), "KORVA Ethernet-II Network Setting");
    QTableWidget* list = dlg.List();
    const QStringList headers{"IP", "Port", "Subnet", "Gateway", "Mac Address"};
    for (int c = 0; c < 5; ++c) EXPECT_EQ(list->horizontalHeaderItem(c)->text(), headers[c]);
    EXPECT_EQ(list->columnWidth(0), 130);
    EXPECT_EQ(list->columnWidth(1), 60);
    EXPECT_EQ(list->columnWidth(2), 130);
    EXPECT_EQ(list->columnWidth(3), 130);
    EXPECT_TRUE(list->showGrid());
    EXPECT_FALSE(dlg.ChangeButton()->isEnabled());
    EXPECT_EQ(dlg.PortEdit()->text(), "0");
    EXPECT_FALSE(dlg.ManualGroup()->isVisible());

    CNetSetting::SetModifierQuery([] { return Qt::KeyboardModifiers(Qt::ControlModifier); });
    CNetSetting unlocked;
    unlocked.show();
    EXPECT_TRUE(unlocked.ManualGroup()->isVisible());
    EXPECT_EQ(unlocked.ManualButton()->text(), "Manually change");
}

TEST_F(NetSettingDlg, KoreanLocaleRelabelsTheButtons) {
    korva::ui::SetKoreanLabelsOverride(true);
    CNetSetting dlg;
    EXPECT_EQ(dlg.SearchButton()->text(), QStringLiteral("프린터 검색"));
    EXPECT_EQ(dlg.ChangeButton()->text(), QStringLiteral("설정 변경"));
    EXPECT_EQ(dlg.ExitButton()->text(), QStringLiteral("닫기"));
    korva::ui::SetKoreanLabelsOverride(false);
    CNetSetting english;
    EXPECT_EQ(english.SearchButton()->text(), "Search Printer");
    EXPECT_EQ(english.ChangeButton()->text(), "Change Setting");
    EXPECT_EQ(english.ExitButton()->text(), "EXIT");
}

TEST_F(NetSettingDlg, EveryFieldIsReachableByItsLabel) {
    CNetSetting::SetModifierQuery([] { return Qt::KeyboardModifiers(Qt::ControlModifier); });
    CNetSetting dlg;
    dlg.show();
    std::map<QString, QWidget*> byLabel;
    for (QLabel* label : dlg.findChildren<QLabel*>())
        if (label->buddy()) byLabel[label->text().remove('&')] = label->buddy();
    EXPECT_EQ(byLabel["IP"], dlg.IpEdit());
    EXPECT_EQ(byLabel["Subnet"], dlg.SubnetEdit());
    EXPECT_EQ(byLabel["Gateway"], dlg.GatewayEdit());
    EXPECT_EQ(byLabel["PORT"], dlg.PortEdit());
    EXPECT_EQ(byLabel["MAC(Low 3byte):"], dlg.ManualMacEdit(0));
    for (QWidget* w : dlg.findChildren<QWidget*>()) {
        if (!w->isVisible() || w->focusPolicy() == Qt::NoFocus || qobject_cast<QLabel*>(w))
            continue;
        if (w->parentWidget() != &dlg && w->parentWidget() != dlg.ManualGroup()) continue;
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        ASSERT_TRUE(a);
        EXPECT_FALSE(a->text(QAccessible::Name).isEmpty()) << w->metaObject()->className();
    }
    // Tab walks from the list through the fields to the buttons (Change
    // Setting is skipped while it is disabled).
    std::vector<QWidget*> tabOrder;
    for (QWidget* w = dlg.List()->nextInFocusChain(); w != dlg.List(); w = w->nextInFocusChain()) {
        if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) &&
            w->window() == &dlg)
            tabOrder.push_back(w);
    }
    const std::vector<QWidget*> expected{
        dlg.IpEdit(),       dlg.SubnetEdit(),     dlg.GatewayEdit(),    dlg.PortEdit(),
        dlg.DhcpCheck(),    dlg.ManualMacEdit(0), dlg.ManualMacEdit(1), dlg.ManualMacEdit(2),
        dlg.ManualButton(), dlg.SearchButton(),   dlg.ExitButton()};
    EXPECT_EQ(tabOrder, expected);
}

TEST_F(NetSettingDlg, SearchListsPrintersAndAClickFillsTheFields) {
    StartPrinter(
        {"--ip", "10.0.0.5", "--dhcp", "--net-port", "9100", "--mac", "00:1A:2B:3C:4D:5E"});
    RecordedMessages messages;
    CNetSetting dlg(printer.Endpoints());
    dlg.show();
    std::vector<uint8_t> other = NetcfgDatagram("reply-192.168.0.10-dhcp.hex");
    other[21] = 0;  // a fixed-address printer
    ReplyDuringSearch(other);
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
    ticker.start(50);
    dlg.SearchButton()->click();
    ticker.stop();

    EXPECT_GT(ticks, 10) << "the window kept running its event loop while it listened";
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{kFinished});
    ASSERT_EQ(dlg.List()->rowCount(), 2);
    const QStringList first{"10.0.0.5 (DHCP)", "9100", "255.255.255.0", "192.168.0.1",
                            "00:1A:2B:3C:4D:5E"};
    for (int c = 0; c < 5; ++c) EXPECT_EQ(dlg.List()->item(0, c)->text(), first[c]);
    EXPECT_EQ(dlg.List()->item(1, 0)->text(), "192.168.0.10");
    EXPECT_FALSE(dlg.ChangeButton()->isEnabled()) << "a search chooses no printer";

    ClickRow(dlg, 0);
    EXPECT_EQ(dlg.IpEdit()->text(), "10.0.0.5");
    EXPECT_TRUE(dlg.DhcpCheck()->isChecked());
    EXPECT_EQ(dlg.PortEdit()->text(), "9100");
    EXPECT_EQ(dlg.SubnetEdit()->text(), "255.255.255.0");
    EXPECT_EQ(dlg.GatewayEdit()->text(), "192.168.0.1");
    EXPECT_EQ(dlg.PickedMac(), "00:1A:2B:3C:4D:5E");
    EXPECT_TRUE(dlg.ChangeButton()->isEnabled());

    ClickRow(dlg, 1);
    EXPECT_FALSE(dlg.DhcpCheck()->isChecked());
    EXPECT_EQ(dlg.PickedMac(), "00:2B:9E:12:34:56");

    // Below the last row: no printer chosen, the remembered MAC stays.
    const QPoint below(10, dlg.List()->viewport()->height() - 2);
    Click(dlg.List()->viewport(), below);
    EXPECT_FALSE(dlg.ChangeButton()->isEnabled());
    EXPECT_EQ(dlg.PickedMac(), "00:2B:9E:12:34:56");

    // A new search keeps the state as it was.
    ClickRow(dlg, 0);
    dlg.SearchButton()->click();
    EXPECT_TRUE(dlg.ChangeButton()->isEnabled());
    EXPECT_EQ(dlg.PickedMac(), "00:1A:2B:3C:4D:5E");
}

TEST_F(NetSettingDlg, ChangeSendsWhatTheBoxesHoldToThePickedPrinter) {
    StartPrinter({"--mac", "00:1A:2B:3C:4D:5E"});
    RecordedMessages messages(base::MsgAnswer::Yes);
    CNetSetting dlg(printer.Endpoints());
    dlg.show();
    dlg.SearchButton()->click();
    ClickRow(dlg, 0);
    dlg.IpEdit()->setText("192.168.1.50");
    dlg.SubnetEdit()->setText("255.255.0.0");
    dlg.GatewayEdit()->setText("192.168.1.1");
    dlg.PortEdit()->setText("6001");
    dlg.DhcpCheck()->setChecked(false);
    dlg.ChangeButton()->click();

    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{kFinished, kAsk, kDone}));
    EXPECT_FALSE(dlg.ChangeButton()->isEnabled());
    const std::vector<std::string> events = printer.Events(4);
    ASSERT_GE(events.size(), 4u);  // search, change, apply, the search that found it changed
    EXPECT_NE(events[1].find(SimHex(NetcfgDatagram("change-192.168.1.50.hex"))), std::string::npos)
        << events[1];
    EXPECT_NE(events[2].find(SimHex(NetcfgDatagram("apply-192.168.1.50.hex"))), std::string::npos)
        << events[2];
    EXPECT_NE(events[3].find(SimHex(NetcfgDatagram("search-request.hex"))), std::string::npos) << events[3];
    // The printer answered with its new values: its row shows them.
    ASSERT_EQ(dlg.List()->rowCount(), 1);
    const QStringList changed{"192.168.1.50", "6001", "255.255.0.0", "192.168.1.1", "00:1A:2B:3C:4D:5E"};
    for (int c = 0; c < 5; ++c) EXPECT_EQ(dlg.List()->item(0, c)->text(), changed[c]);
}

// A change is done only when the restarted printer answers with the new
// values. One that keeps its old values (the apply lost on the way), or that
// never answers again, is no change done, and the window says which.
TEST_F(NetSettingDlg, AChangeThePrinterDoesNotShowIsNoChangeDone) {
    const struct {
        const char* what;
        bool silentAfterApply;
        std::string said;
    } rows[] = {
        {"old values", false,
         "The printer still answers with other settings (IP 192.168.0.10, port 6001, subnet 255.255.255.0, "
         "gateway 192.168.0.1): the change did not take.\r\nSearch again, pick the printer and change it once more."},
        {"silent", true,
         "The change and its apply were sent, but the printer has not answered since (searched for 1 s): "
         "applied, not confirmed.\r\nSearch again once it has started; if it does not answer, its new address "
         "may lie outside this network."},
    };
    for (const auto& row : rows) {
        std::vector<uint8_t> reply = NetcfgDatagram("reply-192.168.0.10-dhcp.hex");
        reply[21] = 0;  // fixed address
        const uint16_t listenPort = FreeLoopbackUdpPort();
        QUdpSocket fake;  // answers searches and the change; the apply changes nothing
        ASSERT_TRUE(fake.bind(QHostAddress::LocalHost, 0));
        int applies = 0;
        QObject::connect(&fake, &QUdpSocket::readyRead, [&] {
            while (fake.hasPendingDatagrams()) {
                const QNetworkDatagram d = fake.receiveDatagram();
                if (d.data().size() < 3) continue;
                if (d.data()[2] == 0x04) ++applies;
                else if (applies == 0 || !row.silentAfterApply) SendLoopback(listenPort, reply);
            }
        });
        RecordedMessages messages(base::MsgAnswer::Yes);
        CNetSetting dlg({"127.0.0.1", fake.localPort(), "127.0.0.1", listenPort});
        dlg.SetChangeCheckLimitMs(1500);
        dlg.show();
        dlg.SearchButton()->click();
        ASSERT_EQ(dlg.List()->rowCount(), 1) << row.what;
        ClickRow(dlg, 0);
        dlg.IpEdit()->setText("192.168.0.20");
        dlg.ChangeButton()->click();

        EXPECT_EQ(applies, 1) << row.what;
        ASSERT_EQ(messages.Texts().size(), 4u) << row.what;
        EXPECT_EQ(messages.Texts()[2], kDone);
        EXPECT_EQ(messages.Texts()[3], row.said);
        EXPECT_EQ(dlg.List()->item(0, 0)->text(), "192.168.0.10") << "the list shows what the printer holds";
    }
}

TEST_F(NetSettingDlg, ASearchNobodyAnswersSaysSoOverTheEmptyList) {
    const uint16_t nobody = FreeLoopbackUdpPort();
    RecordedMessages messages;
    CNetSetting dlg({"127.0.0.1", nobody, "127.0.0.1", FreeLoopbackUdpPort()});
    dlg.show();
    dlg.SearchButton()->click();
    EXPECT_EQ(dlg.List()->rowCount(), 0);
    ASSERT_EQ(messages.Texts().size(), 1u);
    EXPECT_EQ(messages.Texts()[0].rfind(kFinished + "\r\nNo printer answered the search (sent to 127.0.0.1 port " +
                                            std::to_string(nobody) + ").\r\nA search reaches only printers on",
                                        0),
              0u)
        << messages.Texts()[0];
}

TEST_F(NetSettingDlg, RefusalsKeepThePrinterChosenAndNoDisablesTheChange) {
    StartPrinter({"--mac", "00:1A:2B:3C:4D:5E"});
    RecordedMessages messages(base::MsgAnswer::No);
    CNetSetting dlg(printer.Endpoints());
    dlg.show();
    dlg.SearchButton()->click();
    ClickRow(dlg, 0);
    dlg.IpEdit()->setText("192.168.0.255");
    dlg.ChangeButton()->click();
    dlg.IpEdit()->setText("192.168.0.20");
    dlg.PortEdit()->setText("1023");
    dlg.ChangeButton()->click();
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{kFinished, base::Message(base::kMsgIpRange),
                                                          base::Message(base::kMsgPortRange)}));
    EXPECT_TRUE(dlg.ChangeButton()->isEnabled()) << "nothing was asked yet";

    // A number above 255 stays as typed, marked, and the change names the field.
    dlg.PortEdit()->setText("1024");
    dlg.SubnetEdit()->clear();
    Type(dlg.SubnetEdit(), "300.1.2.3");
    EXPECT_EQ(dlg.SubnetEdit()->text(), "300.1.2.3");
    EXPECT_FALSE(dlg.SubnetEdit()->styleSheet().isEmpty());
    EXPECT_FALSE(dlg.SubnetEdit()->toolTip().isEmpty());
    dlg.ChangeButton()->click();
    EXPECT_EQ(messages.Texts().back(), "Subnet: each of the four numbers must be between 0 ~ 255.");
    dlg.SubnetEdit()->setText("255.255.255.0");
    EXPECT_TRUE(dlg.SubnetEdit()->styleSheet().isEmpty());
    // No keystroke is dropped: what cannot be an address stays, marked with its cause.
    const struct {
        const char* typed;
        const char* cue;
    } kept[] = {{"1234", "each of the four numbers must be between 0 ~ 255."},
                {"1.2.3.4.5", "an address has four numbers, not more."},
                {"1.2.x", "only digits and dots make an address."}};
    for (const auto& row : kept) {
        dlg.GatewayEdit()->clear();
        Type(dlg.GatewayEdit(), row.typed);
        EXPECT_EQ(dlg.GatewayEdit()->text(), row.typed);
        EXPECT_EQ(dlg.GatewayEdit()->toolTip(), row.cue);
    }
    // An incomplete address is refused by name, not filled with zeros.
    dlg.GatewayEdit()->setText("192.168");
    dlg.ChangeButton()->click();
    EXPECT_EQ(messages.Texts().back(),
              "Gateway: the address is incomplete: enter four numbers, each 0 ~ 255.");
    dlg.GatewayEdit()->setText("192.168.0.1");

    dlg.ChangeButton()->click();
    EXPECT_EQ(messages.Texts().back(), kAsk);
    EXPECT_FALSE(dlg.ChangeButton()->isEnabled());
    EXPECT_EQ(printer.Events(1).size(), 1u) << "only the search reached the printer";
}

TEST_F(NetSettingDlg, ManualChangeAddressesThe002B9EPrinterByItsLowBytes) {
    StartPrinter({"--mac", "00:2B:9E:3C:4D:5E"});
    RecordedMessages messages(base::MsgAnswer::Yes);
    CNetSetting::SetModifierQuery([] { return Qt::KeyboardModifiers(Qt::ControlModifier); });
    CNetSetting dlg(printer.Endpoints());
    dlg.show();
    dlg.IpEdit()->setText("10.232.1");  // incomplete: refused, never sent as 10.232.1.0
    dlg.SubnetEdit()->setText("255.255");
    dlg.PortEdit()->setText("9100");
    Type(dlg.ManualMacEdit(0), "3c");  // typed lower-case, taken upper-case
    Type(dlg.ManualMacEdit(1), "4D");
    Type(dlg.ManualMacEdit(2), "5e");
    dlg.ManualButton()->click();
    EXPECT_EQ(messages.Texts().back(),
              "IP: the address is incomplete: enter four numbers, each 0 ~ 255.");
    for (int i = 0; i < 3; ++i) dlg.ManualMacEdit(i)->clear();
    dlg.IpEdit()->setText("192.168.0.255");  // no range check in the manual change
    dlg.SubnetEdit()->setText("255.255.255.0");
    dlg.GatewayEdit()->setText("10.0.0.0");
    Type(dlg.ManualMacEdit(0), "3c");  // typed lower-case, taken upper-case
    Type(dlg.ManualMacEdit(1), "4");
    dlg.ManualButton()->click();  // the second field is incomplete: said, nothing sent
    Type(dlg.ManualMacEdit(1), "D");
    Type(dlg.ManualMacEdit(2), "5e");
    EXPECT_EQ(dlg.ManualMacEdit(0)->text(), "3C");
    dlg.ManualButton()->click();

    EXPECT_EQ(messages.Texts(),
              (std::vector<std::string>{
                  "IP: the address is incomplete: enter four numbers, each 0 ~ 255.",
                  "MAC(Low 3byte): field 2 is incomplete. Enter two hexadecimal digits (0-9, A-F).",
                  kAsk, kDone}));
    EXPECT_EQ(printer.Events(3).size(), 3u)
        << "the refused click sent nothing: one change, one apply, one search that found it changed";
    ASSERT_EQ(dlg.List()->rowCount(), 1);  // the changed printer, listed as it now answers
    EXPECT_EQ(dlg.List()->item(0, 0)->text(), "192.168.0.255");
    EXPECT_EQ(dlg.List()->item(0, 4)->text(), "00:2B:9E:3C:4D:5E");
    const QJsonObject state = printer.sim.WaitForState(
        [](const QJsonObject& s) { return s["network"]["ip"] == "192.168.0.255"; });
    EXPECT_EQ(state["network"]["ip"].toString(), "192.168.0.255");
    EXPECT_EQ(state["network"]["gateway"].toString(), "10.0.0.0");
    EXPECT_EQ(state["network"]["port"].toInt(), 9100);
}

TEST_F(NetSettingDlg, IsTheNetworkSettingToolOfTheEthernetAddressDialog) {
    const korva::ui::ToolLauncher launcher = korva::ui::FindTool(korva::ui::Tool::NetworkSetting);
    ASSERT_TRUE(launcher);
    const auto* target = launcher.target<void (*)(QWidget*)>();
    ASSERT_TRUE(target);
    EXPECT_EQ(*target, &RunNetSetting);
    korva::ui::CNetAddress address;
    EXPECT_TRUE(address.NetworkSettingButton()->isEnabled());
    // The button opens the dialog modally; close it as soon as it shows.
    bool opened = false;
    QTimer::singleShot(0, [&opened] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* dlg = qobject_cast<CNetSetting*>(w); dlg && dlg->isVisible()) {
                opened = dlg->windowTitle() == "KORVA Ethernet-II Network Setting";
                dlg->ExitButton()->click();
            }
        }
    });
    address.NetworkSettingButton()->click();
    EXPECT_TRUE(opened);
}

}  // namespace
