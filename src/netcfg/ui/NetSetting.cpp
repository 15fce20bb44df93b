#include "netcfg/ui/NetSetting.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QTableWidget>
#include <QVBoxLayout>
#include <filesystem>

#include "base/EventLoopClock.h"
#include "profile/FileLocations.h"
#include "ui/Language.h"
#include "ui/StepDriver.h"
#include "base/MessageBox.h"
#include "netcfg/NetChangeCheck.h"
#include "netcfg/NetSearch.h"
#include "netcfg/NetSettingChange.h"
#include "netcfg/NetText.h"
#include "ui/IpField.h"

namespace korva::netcfg::ui {
namespace {

enum Column { kIpColumn, kPortColumn, kSubnetColumn, kGatewayColumn, kMacColumn };
constexpr int kFixedColumnsWidth = 450;  // IP 130 + Port 60 + Subnet 130 + Gateway 130

std::function<Qt::KeyboardModifiers()>& ModifierQuery() {
    static std::function<Qt::KeyboardModifiers()> query;
    return query;
}

QString Text(const std::string& text) { return QString::fromStdString(text); }

QLabel* BuddyLabel(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

ChangeInput FieldsOf(const QLineEdit* ip, const QLineEdit* mask, const QLineEdit* gateway,
                     const QLineEdit* port, const QCheckBox* dhcp) {
    // As typed: an incomplete address is refused by name, never filled with zeros.
    return {ip->text().toStdString(), mask->text().toStdString(), gateway->text().toStdString(),
            port->text().toLong(), dhcp->isChecked()};
}

}  // namespace

void CNetSetting::SetModifierQuery(std::function<Qt::KeyboardModifiers()> query) {
    ModifierQuery() = std::move(query);
}

CNetSetting::CNetSetting(NetEndpoints endpoints, QWidget* parent)
    : QDialog(parent), m_Endpoints(std::move(endpoints)) {
    setWindowTitle(QStringLiteral("KORVA Ethernet-II Network Setting"));
    BuildControls();
    LayOut();
    connect(m_SearchButton, &QPushButton::clicked, this, &CNetSetting::OnSearch);
    connect(m_ChangeButton, &QPushButton::clicked, this, &CNetSetting::OnChange);
    connect(m_ManualButton, &QPushButton::clicked, this, &CNetSetting::OnManualChange);
    connect(m_ExitButton, &QPushButton::clicked, this, &CNetSetting::reject);
    connect(m_List, &QTableWidget::cellClicked, this, [this](int row, int) { PickRow(row); });
    // Moving through the rows with the keyboard picks them as a click does.
    connect(m_List, &QTableWidget::currentCellChanged, this,
            [this](int row, int, int previous, int) {
                if (!m_Filling && row != previous) PickRow(row);
            });
    m_List->viewport()->installEventFilter(this);
}

void CNetSetting::BuildControls() {
    const bool korean = korva::ui::UseKoreanLabels();
    m_List = new QTableWidget(0, 5, this);
    m_List->setHorizontalHeaderLabels({QStringLiteral("IP"), QStringLiteral("Port"),
                                       QStringLiteral("Subnet"), QStringLiteral("Gateway"),
                                       QStringLiteral("Mac Address")});
    m_List->setColumnWidth(kIpColumn, 130);
    m_List->setColumnWidth(kPortColumn, 60);
    m_List->setColumnWidth(kSubnetColumn, 130);
    m_List->setColumnWidth(kGatewayColumn, 130);
    m_List->horizontalHeader()->setStretchLastSection(true);
    m_List->verticalHeader()->hide();
    m_List->setShowGrid(true);
    m_List->setWordWrap(false);  // one line per printer; long texts are elided
    m_List->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_List->setSelectionMode(QAbstractItemView::SingleSelection);
    m_List->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_List->setTabKeyNavigation(false);
    m_List->setAccessibleName(QStringLiteral("Printers"));
    m_List->setMinimumWidth(kFixedColumnsWidth + 150 + 4);

    m_IpEdit = korva::ui::MakeIpField(this);
    m_SubnetEdit = korva::ui::MakeIpField(this);
    m_GatewayEdit = korva::ui::MakeIpField(this);
    m_PortEdit = new QLineEdit(QStringLiteral("0"), this);
    m_PortEdit->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("[0-9]{0,5}")), m_PortEdit));
    m_DhcpCheck = new QCheckBox(QStringLiteral("&DHCP"), this);
    m_IpEdit->setAccessibleName(QStringLiteral("IP"));
    m_SubnetEdit->setAccessibleName(QStringLiteral("Subnet"));
    m_GatewayEdit->setAccessibleName(QStringLiteral("Gateway"));
    m_PortEdit->setAccessibleName(QStringLiteral("PORT"));

    m_SearchButton = new QPushButton(
        korean ? QStringLiteral("프린터 검색") : QStringLiteral("Search Printer"), this);
    m_ChangeButton = new QPushButton(
        korean ? QStringLiteral("설정 변경") : QStringLiteral("Change Setting"), this);
    m_ExitButton = new QPushButton(korean ? QStringLiteral("닫기") : QStringLiteral("EXIT"), this);
    m_SearchButton->setDefault(true);
    m_ChangeButton->setEnabled(false);

    m_ManualGroup = new QWidget(this);
    for (size_t i = 0; i < m_ManualMac.size(); ++i) {
        m_ManualMac[i] = korva::ui::MakeHexPairField(m_ManualGroup);
        m_ManualMac[i]->setAccessibleName(QStringLiteral("MAC(Low 3byte): %1").arg(i + 1));
    }
    m_ManualButton = new QPushButton(QStringLiteral("Manually change"), m_ManualGroup);
    m_ManualGroup->hide();
}

void CNetSetting::LayOut() {
    auto* fields = new QGridLayout;
    fields->addWidget(BuddyLabel(QStringLiteral("&IP"), m_IpEdit, this), 0, 0);
    fields->addWidget(BuddyLabel(QStringLiteral("&Subnet"), m_SubnetEdit, this), 0, 1);
    fields->addWidget(BuddyLabel(QStringLiteral("&Gateway"), m_GatewayEdit, this), 0, 2);
    fields->addWidget(BuddyLabel(QStringLiteral("&PORT"), m_PortEdit, this), 0, 3);
    fields->addWidget(m_IpEdit, 1, 0);
    fields->addWidget(m_SubnetEdit, 1, 1);
    fields->addWidget(m_GatewayEdit, 1, 2);
    fields->addWidget(m_PortEdit, 1, 3);
    fields->addWidget(m_DhcpCheck, 1, 4);

    auto* manual = new QHBoxLayout(m_ManualGroup);
    manual->setContentsMargins(0, 0, 0, 0);
    manual->addWidget(
        BuddyLabel(QStringLiteral("&MAC(Low 3byte):"), m_ManualMac[0], m_ManualGroup));
    for (size_t i = 0; i < m_ManualMac.size(); ++i) {
        if (i > 0) manual->addWidget(new QLabel(QStringLiteral(":"), m_ManualGroup));
        manual->addWidget(m_ManualMac[i]);
    }
    manual->addWidget(m_ManualButton);
    manual->addStretch();

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_SearchButton);
    buttons->addWidget(m_ChangeButton);
    buttons->addStretch();
    buttons->addWidget(m_ExitButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_List, 1);
    layout->addLayout(fields);
    layout->addWidget(m_ManualGroup);
    layout->addLayout(buttons);

    // Tab goes from the list through the fields to the buttons, in reading order.
    QWidget* order[] = {m_List,         m_IpEdit,       m_SubnetEdit,   m_GatewayEdit,
                        m_PortEdit,     m_DhcpCheck,    m_ManualMac[0], m_ManualMac[1],
                        m_ManualMac[2], m_ManualButton, m_SearchButton, m_ChangeButton,
                        m_ExitButton};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
}

void CNetSetting::showEvent(QShowEvent* event) {
    if (!m_Opened) {
        // The manual MAC group is unlocked by holding Ctrl while the dialog opens.
        const Qt::KeyboardModifiers held =
            ModifierQuery() ? ModifierQuery()() : QGuiApplication::queryKeyboardModifiers();
        m_ManualGroup->setVisible(held.testFlag(Qt::ControlModifier));
        // The layout was sized before this event: size it again with the group.
        layout()->invalidate();
        layout()->activate();
        m_Opened = true;
    }
    QDialog::showEvent(event);
}

void CNetSetting::OnSearch() {
    if (m_Busy) return;
    SetBusy(true);
    m_Filling = true;
    m_List->setRowCount(0);
    base::EventLoopClock clock;
    NetSearch search(clock, m_Endpoints);
    size_t shown = 0;
    auto showNewRows = [this, &search, &shown] {
        const std::vector<NetSettings>& printers = search.Printers();
        for (; shown < printers.size(); ++shown) {
            // A printer answering twice (two interfaces) is listed twice, as it answered.
            const int at = m_List->rowCount();
            m_List->insertRow(at);
            SetRow(at, printers[shown]);
        }
    };
    // Datagrams never block: the search runs on the window's thread with its socket.
    korva::ui::StepDriver driver([&search] { return search.Step(); }, showNewRows, nullptr,
                               korva::ui::StepDriver::Where::WindowThread);
    driver.Run();
    m_List->setCurrentCell(-1, -1);
    m_Filling = false;
    SetBusy(false);
}

void CNetSetting::PickRow(int row) {
    if (m_Busy) return;  // rows are still arriving; pick once the search is over
    if (row < 0 || row >= m_List->rowCount()) {
        m_ChangeButton->setEnabled(false);
        return;
    }
    const QString ip = m_List->item(row, kIpColumn)->text();
    m_IpEdit->setText(Text(RowIpAddress(ip.toStdString())));
    m_DhcpCheck->setChecked(RowIpMeansDhcp(ip.toStdString()));
    m_PortEdit->setText(m_List->item(row, kPortColumn)->text());
    m_SubnetEdit->setText(m_List->item(row, kSubnetColumn)->text());
    m_GatewayEdit->setText(m_List->item(row, kGatewayColumn)->text());
    m_PickedMac = m_List->item(row, kMacColumn)->text();
    m_ChangeButton->setEnabled(true);
}

bool CNetSetting::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_List->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto* press = static_cast<QMouseEvent*>(event);
        if (!m_Busy && !m_List->indexAt(press->position().toPoint()).isValid()) {
            // A click below the rows: no printer is chosen any more.
            m_List->clearSelection();
            m_ChangeButton->setEnabled(false);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void CNetSetting::OnChange() {
    if (m_Busy) return;
    RunChange(BuildChange(FieldsOf(m_IpEdit, m_SubnetEdit, m_GatewayEdit, m_PortEdit, m_DhcpCheck),
                          m_PickedMac.toStdString()));
}

void CNetSetting::OnManualChange() {
    if (m_Busy) return;
    const std::array<std::string, 3> low{m_ManualMac[0]->text().toStdString(),
                                         m_ManualMac[1]->text().toStdString(),
                                         m_ManualMac[2]->text().toStdString()};
    RunChange(BuildManualChange(
        FieldsOf(m_IpEdit, m_SubnetEdit, m_GatewayEdit, m_PortEdit, m_DhcpCheck), low));
}

void CNetSetting::RunChange(const ChangeBuild& request) {
    SetBusy(true);
    base::EventLoopClock clock;
    NetSettingChange change(clock, m_Endpoints, request);
    // Shared with korva net set: a late answer to an earlier change is let pass.
    const std::string logPath = profile::ProgramFileLocations().logPath;
    profile::MakeFolderFor(logPath);
    LateAnswerFiles lateAnswers(std::filesystem::path(logPath).parent_path().string());
    change.UseLateAnswerLog(&lateAnswers);
    korva::ui::StepDriver driver([&change] { return change.Step(); }, {}, nullptr,
                               korva::ui::StepDriver::Where::WindowThread);
    driver.Run();
    if (change.GetOutcome() == NetSettingChange::Outcome::Applied) CheckChange(request.settings);
    SetBusy(false);
    // Whatever the answer, the printer has to be picked again for another change.
    if (change.ConfirmationAnswered()) m_ChangeButton->setEnabled(false);
}

// Done only when the restarted printer answers with the new values; its row
// then shows them.
void CNetSetting::CheckChange(const NetSettings& wanted) {
    base::EventLoopClock clock;
    NetChangeCheck check(clock, m_Endpoints, wanted, m_ChangeCheckLimitMs);
    korva::ui::StepDriver driver([&check] { return check.Step(); }, {}, nullptr,
                               korva::ui::StepDriver::Where::WindowThread);
    driver.Run();
    if (check.GetOutcome() == NetChangeCheck::Outcome::Confirmed) {
        ShowRow(*check.LastAnswer());
        return;
    }
    base::ShowMessage(ChangeCheckText(check.GetOutcome(), check.LastAnswer(), m_ChangeCheckLimitMs));
}

// The printer's row by its MAC, replaced, or added when the list lacks it.
void CNetSetting::ShowRow(const NetSettings& printer) {
    const QString mac = Text(FormatMac(printer.mac));
    int at = 0;
    while (at < m_List->rowCount() && m_List->item(at, kMacColumn)->text() != mac) ++at;
    if (at == m_List->rowCount()) m_List->insertRow(at);
    SetRow(at, printer);
}

void CNetSetting::SetRow(int at, const NetSettings& printer) {
    const PrinterRow row = FormatPrinterRow(printer);
    const std::string* texts[] = {&row.ip, &row.port, &row.subnet, &row.gateway, &row.mac};
    for (int column = 0; column < 5; ++column) {
        auto* item = new QTableWidgetItem(Text(*texts[column]));
        item->setToolTip(item->text());  // the IP column is too narrow for " (DHCP)"
        m_List->setItem(at, column, item);
    }
    m_List->scrollToItem(m_List->item(at, 0));
}

void CNetSetting::SetBusy(bool busy) {
    static const char* kWasEnabled = "korvaWasEnabled";
    m_Busy = busy;
    for (QPushButton* button : {m_SearchButton, m_ChangeButton, m_ManualButton, m_ExitButton}) {
        if (busy) {
            button->setProperty(kWasEnabled, button->isEnabled());
            button->setEnabled(false);
        } else {
            button->setEnabled(button->property(kWasEnabled).toBool());
        }
    }
    if (busy)
        setCursor(Qt::BusyCursor);
    else
        unsetCursor();
}

void CNetSetting::reject() {
    if (m_Busy) return;  // the sockets close when the search or change ends
    QDialog::reject();
}

void CNetSetting::closeEvent(QCloseEvent* event) {
    if (m_Busy) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace korva::netcfg::ui
