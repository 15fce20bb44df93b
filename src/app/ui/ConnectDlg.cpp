#include "app/ui/ConnectDlg.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>

#include "profile/AppProfile.h"
#include "base/MessageBox.h"
#include "base/Messages.h"
#include "app/PortAccess.h"
#include "app/TypedPort.h"
#include "profile/Version.h"
#include "ui/Language.h"
#include "ui/ListAccessibility.h"
#include "port/DeviceType.h"

namespace korva::app::ui {

using namespace korva::profile;
using namespace korva::ui;
namespace {


// A long device path ("/dev/serial/by-id/usb-...") shows its start, not its
// end; the tooltip has all of it.
void ShowTextStart(QComboBox* list) {
    if (QLineEdit* edit = list->lineEdit()) edit->setCursorPosition(0);
    list->setToolTip(list->currentText());
}

void Refill(QComboBox* list, const QStringList& entries, int select) {
    const QSignalBlocker quiet(list);
    list->clear();
    list->addItems(entries);
    list->setCurrentIndex(select);
}

}  // namespace

CConnectDlg::CConnectDlg(port::ConnectionSettings& settings, PortDiscovery& discovery, QWidget* parent)
    : QDialog(parent), m_Settings(settings), m_Discovery(discovery) {
    InstallListAccessibility();
    setWindowTitle(QStringLiteral("KorvaTool"));
    auto* grid = new QGridLayout;
    auto addRow = [&](const QString& english, const QString& korean) {
        QComboBox* list = AddList(english, korean);
        const int row = grid->rowCount();
        grid->addWidget(m_Labels.back().first, row, 0);
        grid->addWidget(list, row, 1);
        return list;
    };
    m_ModelList = addRow(QStringLiteral("&DEVICE"), QStringLiteral("프린터종류"));
    // A model name from the profile may be long: the list keeps a model's width.
    m_ModelList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_ModelList->setMinimumContentsLength(16);
    m_PortList = addRow(QStringLiteral("&PORT"), QStringLiteral("포트"));
    m_BaudList = addRow(QStringLiteral("&Baudrate"), QStringLiteral("통신속도"));
    m_ParityList = addRow(QStringLiteral("P&arity"), QStringLiteral("패리티"));
    m_DataLengthList = addRow(QStringLiteral("Data &Length"), QStringLiteral("테이터 길이"));
    m_FlowList = addRow(QStringLiteral("&Flow control"), QStringLiteral("플로우 컨트롤"));
    m_StopBitList = addRow(QStringLiteral("&Stop Bit"), QStringLiteral("스톱 비트"));

    m_OkButton = new QPushButton(QStringLiteral("OK"), this);
    m_OkButton->setDefault(true);
    m_CancelButton = new QPushButton(UseKoreanLabels() ? QStringLiteral("취소") : QStringLiteral("Cancel"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_OkButton);
    buttons->addWidget(m_CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addStretch(1);  // rows a port kind hides leave room below, not gaps between
    layout->addLayout(buttons);

    m_NetAddress = new CNetAddress(this);
    SetMainNetAddress(m_NetAddress);
    m_UsbTimer.setSingleShot(true);
    connect(&m_UsbTimer, &QTimer::timeout, this, &CConnectDlg::UsbSearchStep);
    connect(m_OkButton, &QPushButton::clicked, this, &CConnectDlg::accept);
    connect(m_CancelButton, &QPushButton::clicked, this, &CConnectDlg::reject);

    setWindowTitle(QString::fromStdString(ConnectWindowTitle()));
    FillInitialLists();
    connect(m_ModelList, &QComboBox::currentIndexChanged, this, &CConnectDlg::OnModelChanged);
    connect(m_DataLengthList, &QComboBox::currentIndexChanged, this, &CConnectDlg::OnDataLengthChanged);
    // Fires for typing and for choosing alike, once the port list is editable.
    connect(m_PortList, &QComboBox::editTextChanged, this, &CConnectDlg::UpdateOk);
    connect(m_PortList, &QComboBox::currentIndexChanged, this, [this] { ShowTextStart(m_PortList); });
    // A typed path's tooltip follows the typing.
    connect(m_PortList, &QComboBox::currentTextChanged, m_PortList, &QWidget::setToolTip);
    m_PortList->installEventFilter(this);
}

void CConnectDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ShowTextStart(m_PortList);
}

bool CConnectDlg::eventFilter(QObject* watched, QEvent* event) {
    // The list hands its focus events to its edit field directly, so both are watched.
    const bool portField = watched == m_PortList || (watched != nullptr && watched == m_PortList->lineEdit());
    if (event->type() == QEvent::FocusOut && portField) ShowTextStart(m_PortList);
    return QDialog::eventFilter(watched, event);
}

CConnectDlg::~CConnectDlg() {
    if (MainNetAddress() == m_NetAddress) SetMainNetAddress(nullptr);
}

QComboBox* CConnectDlg::AddList(const QString& english, const QString& korean) {
    auto* list = new QComboBox(this);
    list->setEditable(false);  // choices only; serial and parallel models open the port list
    list->setMinimumWidth(160);
    list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    const QString text = UseKoreanLabels() ? KoreanMnemonic(english.toUtf8().constData(), korean) : english;
    auto* label = new QLabel(text, this);
    label->setBuddy(list);
    list->setAccessibleName(StripMnemonic(text));
    m_Labels.emplace_back(label, list);
    return list;
}

void CConnectDlg::FillInitialLists() {
    QStringList models;
    for (const std::string& model : profile::ModelList(AppProfile())) models << QString::fromStdString(model);
    Refill(m_ModelList, models, -1);

    QStringList bauds;
    for (int rate : InitialBaudRates()) bauds << QString::number(rate);
    Refill(m_BaudList, bauds, 0);
    Refill(m_ParityList, {"NONE", "ODD", "EVEN"}, 0);
    Refill(m_DataLengthList, {"8 Bits", "7 Bits", "6 Bits", "5 Bits"}, 0);
    Refill(m_FlowList, {"H/W", "S/W", "NONE"}, 0);
    Refill(m_StopBitList, {"1", "2"}, 0);
    m_PortList->setEnabled(false);
    SetLineListsEnabled(false);
    m_OkButton->setEnabled(false);
}

void CConnectDlg::SetLineListsEnabled(bool enabled) {
    for (QComboBox* list : {m_BaudList, m_ParityList, m_DataLengthList, m_FlowList, m_StopBitList})
        list->setEnabled(enabled);
}

// What the chosen kind does not use is hidden, not left greyed with values
// that mean nothing for it; before a choice everything shows, greyed.
void CConnectDlg::ShowRowsFor(int kind) {
    const bool chosen = kind != kConnectNone;
    const bool port = !chosen || kind == kConnectSerial || kind == kConnectSerialUI || kind == kConnectParallel;
    const bool line = !chosen || kind == kConnectSerial || kind == kConnectSerialUI;
    for (const auto& [label, list] : m_Labels) {
        if (list == m_ModelList) continue;
        const bool shown = list == m_PortList ? port : line;
        label->setVisible(shown);
        list->setVisible(shown);
    }
}

void CConnectDlg::OnModelChanged(int index) {
    if (index < 0) return;
    StopUsbSearch();
    const std::string model = m_ModelList->currentText().toStdString();
    m_DeviceKind = port::ModelClassForModel(model);
    if (m_DeviceKind == 0) {
        // An unknown name must not be confirmed with the previous model's OK.
        m_OkButton->setEnabled(false);
        base::ShowMessage(base::Message(base::kMsgInvalidDevice));
        return;
    }
    const ConnectPortKind kind = PortKindForModel(model, m_DeviceKind);
    // A port chosen or typed for the last model stays when the new one uses the same kind.
    const auto family = [](int k) { return k == kConnectSerialUI ? int(kConnectSerial) : k; };
    const QString keptPort = family(kind) == family(m_PortKind) ? PortText() : QString();
    SetPortListEditable(kind == kConnectSerial || kind == kConnectSerialUI || kind == kConnectParallel);
    ShowRowsFor(kind);
    switch (kind) {
        case kConnectEthernet:
            m_PortKind = kConnectEthernet;
            m_PortList->setEnabled(false);
            SetLineListsEnabled(false);
            m_OkButton->setEnabled(true);
            return;
        case kConnectUsb:
            StartUsbSearch();
            return;
        case kConnectParallel:
            m_PortKind = kConnectParallel;
            // With no port found the list stays open for a typed device path.
            ChoosePort(m_Discovery.ParallelPorts(), base::kMsgNoLptPort, keptPort);
            m_PortList->setEnabled(true);
            SetLineListsEnabled(false);
            break;
        case kConnectSerial:
        case kConnectSerialUI: {
            m_PortKind = kind;
            std::vector<std::string> ports = m_Discovery.SerialPorts();
            ports.insert(ports.end(), m_ExtraSerialPorts.begin(), m_ExtraSerialPorts.end());
            ChoosePort(std::move(ports), base::kMsgNoComPort, keptPort);
            m_PortList->setEnabled(true);
            SetLineListsEnabled(true);
            QStringList bauds;
            for (int rate : BaudRatesForClass(m_DeviceKind)) bauds << QString::number(rate);
            Refill(m_BaudList, bauds, 0);
            break;
        }
        case kConnectNone:
            m_PortKind = kConnectNone;
            break;
    }
    UpdateOk();
}

void CConnectDlg::SetPortListEditable(bool editable) {
    if (m_PortList->isEditable() == editable) return;
    const QSignalBlocker quiet(m_PortList);
    m_PortList->setEditable(editable);
    if (!editable) return;
    // Typed text is taken as it is and never joins the sorted list; without a
    // completer a typed "/dev/tty" is not turned into the listed "/dev/ttyS0".
    m_PortList->setInsertPolicy(QComboBox::NoInsert);
    m_PortList->setCompleter(nullptr);
    m_PortList->lineEdit()->setAccessibleName(m_PortList->accessibleName());
    m_PortList->lineEdit()->installEventFilter(this);
    ShowTextStart(m_PortList);
}

bool CConnectDlg::PortKindTakesTypedPath() const {
    return m_PortKind == kConnectSerial || m_PortKind == kConnectSerialUI || m_PortKind == kConnectParallel;
}

QString CConnectDlg::PortText() const { return m_PortList->currentText().trimmed(); }

void CConnectDlg::UpdateOk() {
    if (m_UsbSearching || m_ModelList->currentIndex() < 0) return;
    const bool portReady = !PortKindTakesTypedPath() || !PortText().isEmpty();
    m_OkButton->setEnabled(m_DeviceKind != 0 && m_PortKind != kConnectNone && portReady);
}

bool CConnectDlg::CheckTypedPort(const QString& text) {
    if (m_PortList->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0) return true;
    const std::string refusal = TypedPortRefusal(text.toStdString(), m_PortKind == kConnectParallel);
    if (refusal.empty()) return true;
    base::ShowMessage(refusal);
    return false;
}

void CConnectDlg::ChoosePort(std::vector<std::string> ports, int noPortMessage, const QString& keep) {
    // Sorted as text, so COM10 comes before COM2.
    std::sort(ports.begin(), ports.end());
    ports.erase(std::unique(ports.begin(), ports.end()), ports.end());
    QStringList entries;
    for (const std::string& port : ports)
        if (!port.empty()) entries << QString::fromStdString(port);
    Refill(m_PortList, entries, entries.isEmpty() ? -1 : 0);
    if (!keep.isEmpty()) {
        const int listed = static_cast<int>(entries.indexOf(keep));
        if (listed >= 0) m_PortList->setCurrentIndex(listed);
        else if (m_PortList->isEditable()) m_PortList->setEditText(keep);  // a typed path, checked at OK
    }
    ShowTextStart(m_PortList);
    if (entries.isEmpty() && keep.isEmpty()) {
        // Without a port there is nothing OK could store.
        m_OkButton->setEnabled(false);
        base::ShowMessage(base::Message(noPortMessage));
    }
}

void CConnectDlg::OnDataLengthChanged(int) {
    const QString remembered = m_StopBitList->currentText();
    if (m_DataLengthList->currentText() == QLatin1String("5 Bits")) {
        Refill(m_StopBitList, {"1"}, 0);
    } else {
        const QStringList entries = {"1", "2"};
        Refill(m_StopBitList, entries, remembered.isEmpty() ? -1 : static_cast<int>(entries.indexOf(remembered)));
    }
}

void CConnectDlg::StartUsbSearch() {
    m_UsbClass = m_DeviceKind;
    m_UsbSearching = true;
    m_UsbAttempts = 0;
    m_OkButton->setEnabled(false);
    m_SavedTitle = windowTitle();
    setWindowTitle(QStringLiteral("Searching for the printer"));
    UsbSearchStep();
}

// One attempt per timer tick: the window keeps painting and answering while
// the printer is being switched on.
void CConnectDlg::UsbSearchStep() {
    if (m_UsbAttempts >= kUsbSearchAttempts) {
        FinishUsbSearch(0);
        return;
    }
    ++m_UsbAttempts;
    const int count = m_Discovery.CountUsbPrinters(UsbHardwareIdPrefix(m_UsbClass));
    if (count != 0) {
        FinishUsbSearch(count);
        return;
    }
    setWindowTitle(windowTitle() + QLatin1Char('.'));
    m_UsbTimer.start(m_UsbIntervalMs);
}

void CConnectDlg::FinishUsbSearch(int count) {
    m_UsbTimer.stop();
    m_UsbSearching = false;
    setWindowTitle(m_SavedTitle);
    if (count == 1) {
        m_PortKind = kConnectUsb;
        m_PortList->setEnabled(false);
        SetLineListsEnabled(false);
        m_OkButton->setEnabled(true);
    } else {
        m_OkButton->setEnabled(false);
        {
            const QSignalBlocker quietPorts(m_PortList);
            const QSignalBlocker quietModels(m_ModelList);
            m_PortList->setCurrentIndex(-1);
            m_ModelList->setCurrentIndex(-1);
        }
        base::ShowMessage(base::Message(count > 1 ? base::kMsgTooManyDevices : base::kMsgTurnOnUsbPrinter));
    }
    emit usbSearchFinished(count);
}

void CConnectDlg::StopUsbSearch() {
    if (!m_UsbSearching) return;
    m_UsbTimer.stop();
    m_UsbSearching = false;
    setWindowTitle(m_SavedTitle);
}

bool CConnectDlg::TakeSerialParameters(port::ConnectionSettings& out) {
    auto refuse = [](int message) {
        base::ShowMessage(base::Message(message));
        return false;
    };
    if (m_BaudList->currentIndex() < 0) return refuse(base::kMsgBaudNotSelected);
    out.baudRate = LeadingNumber(m_BaudList->currentText().toStdString());
    if (m_DataLengthList->currentIndex() < 0) return refuse(base::kMsgDataLengthNotSelected);
    out.dataBits = LeadingNumber(m_DataLengthList->currentText().toStdString());
    if (m_ParityList->currentIndex() < 0) return refuse(base::kMsgParityNotSelected);
    out.parity = m_ParityList->currentIndex();
    if (m_StopBitList->currentText().isEmpty()) return refuse(base::kMsgStopBitNotSelected);
    out.stopBits = StopBitsFromText(m_StopBitList->currentText().toStdString());
    if (m_FlowList->currentIndex() < 0) return refuse(base::kMsgFlowNotSelected);
    out.flowControl = m_FlowList->currentIndex() + 1;
    return true;
}

void CConnectDlg::accept() {
    if (m_UsbSearching || !m_OkButton->isEnabled()) return;
    const std::string model = m_ModelList->currentText().toStdString();
    const int deviceType = port::DeviceTypeForModel(model);

    if ((m_DeviceKind == 1 || m_DeviceKind == 3) && m_PortKind == kConnectUsb) {
        m_Settings.portName = "USB";
        m_Settings.deviceType = deviceType;
        RunMenu();
        return;
    }
    if (m_PortKind == kConnectEthernet) {
        const int result = m_NetAddressRunner ? m_NetAddressRunner(this) : m_NetAddress->exec();
        m_Settings.portName = "ETHERNET_II";
        m_Settings.deviceType = deviceType;
        if (result != QDialog::Accepted) return;
        m_Settings.ipAddress = m_NetAddress->CheckedAddress();
        m_Settings.tcpPort = m_NetAddress->TcpPortCopy();
        RunMenu();
        return;
    }
    // Serial values are only taken once all of them are there: a refused OK
    // leaves the stored connection as it was.
    const QString portText = PortText();
    if (!CheckTypedPort(portText)) return;
    // Said here, where the port can still be changed, not later by a tool.
    if (const std::string problem = PortAccessProblem(portText.toStdString(), m_PortKind == kConnectParallel);
        !problem.empty()) {
        base::ShowMessage(problem);
        return;
    }
    port::ConnectionSettings chosen = m_Settings;
    chosen.portName = port::NormalizePortName(portText.toStdString());  // a typed "com3" is COM3
    chosen.deviceType = deviceType;
    if (m_PortKind != kConnectParallel && !TakeSerialParameters(chosen)) return;
    m_Settings = chosen;
    RunMenu();
}

void CConnectDlg::RunMenu() {
    if (m_MenuRunner) m_MenuRunner(this);
}

void CConnectDlg::reject() {
    StopUsbSearch();
    QDialog::reject();
}

}  // namespace korva::app::ui
