#include "logo/ui/Page4Print.h"

#include <QButtonGroup>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "logo/LogoOptions.h"
#include "logo/LogoPrint.h"
#include "logo/ui/LogoLabels.h"
#include "logo/ui/MyProperty.h"
#include "logo/ui/PrintRun.h"
#include "port/PortPath.h"
#include "port/Ports.h"
#include "printer/Series.h"

namespace korva::logo::ui {

namespace {
// Print size buttons in the order of the size byte m of FS p.
constexpr const char* kSizeLabels[4] = {"&Normal", "Double &Width", "Double &Height", "&Quadraple"};
}  // namespace

CPage4Print::CPage4Print(LogoToolContext& context, QWidget* parent) : LogoPage(parent), m_Ctx(context) {
    m_RangeGroup = new QGroupBox(this);
    m_All = new QRadioButton(m_RangeGroup);
    m_Selection = new QRadioButton(m_RangeGroup);
    m_SelectionText = new QLineEdit(m_RangeGroup);
    auto* range = new QVBoxLayout(m_RangeGroup);
    range->addWidget(m_All);
    range->addWidget(m_Selection);
    range->addWidget(m_SelectionText);

    m_SizeGroup = new QGroupBox(this);
    m_Sizes = new QButtonGroup(this);
    auto* sizes = new QGridLayout(m_SizeGroup);
    for (int size = 0; size < 4; ++size) {
        m_SizeButtons[size] = new QRadioButton(m_SizeGroup);
        m_Sizes->addButton(m_SizeButtons[size], size);
        sizes->addWidget(m_SizeButtons[size], size / 2, size % 2);
    }

    m_HeaderGroup = new QGroupBox(this);
    m_NoHeader = new QRadioButton(m_HeaderGroup);
    m_AddHeader = new QRadioButton(m_HeaderGroup);
    auto* header = new QHBoxLayout(m_HeaderGroup);
    header->addWidget(m_NoHeader);
    header->addWidget(m_AddHeader);

    m_DetailsGroup = new QGroupBox(this);
    m_PrinterNameLabel = new QLabel(m_DetailsGroup);
    m_PrinterName = new QLineEdit(m_DetailsGroup);
    m_PrinterName->setReadOnly(true);
    m_PortNameLabel = new QLabel(m_DetailsGroup);
    m_PortName = new korva::ui::ElidedLineEdit(m_DetailsGroup);
    auto* details = new QFormLayout(m_DetailsGroup);
    details->addRow(m_PrinterNameLabel, m_PrinterName);
    details->addRow(m_PortNameLabel, m_PortName);

    m_Print = new QPushButton(this);

    auto* left = new QVBoxLayout;
    left->addWidget(m_RangeGroup);
    left->addWidget(m_SizeGroup);
    left->addWidget(m_HeaderGroup);
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(m_DetailsGroup);
    right->addStretch();
    right->addWidget(m_Print, 0, Qt::AlignRight);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(right, 1);

    SetLabel(m_RangeGroup, LabelPage::Print, "Printing &Range");
    SetLabel(m_All, LabelPage::Print, "All");
    SetLabel(m_Selection, LabelPage::Print, "Selection");
    m_SelectionText->setAccessibleName(StripMnemonic(m_Selection->text()));
    SetLabel(m_SizeGroup, LabelPage::Print, "Q&uality");
    for (int size = 0; size < 4; ++size) SetLabel(m_SizeButtons[size], LabelPage::Print, kSizeLabels[size]);
    SetLabel(m_HeaderGroup, LabelPage::Print, "Hea&der");
    SetLabel(m_NoHeader, LabelPage::Print, "No Header");
    SetLabel(m_AddHeader, LabelPage::Print, "Add Header");
    SetLabel(m_Print, LabelPage::Print, "&Print");
    SetLabel(m_DetailsGroup, LabelPage::Print, "Printer Details");
    SetLabel(m_PrinterNameLabel, LabelPage::Print, "Printer Name", m_PrinterName);
    SetLabel(m_PortNameLabel, LabelPage::Print, "Port Name", m_PortName);

    setTabOrder(m_All, m_Selection);
    setTabOrder(m_Selection, m_SelectionText);
    setTabOrder(m_SelectionText, m_SizeButtons[0]);

    // Clicking "Selection" moves to its text; entering the text picks "Selection".
    connect(m_Selection, &QRadioButton::clicked, m_SelectionText, [this] { m_SelectionText->setFocus(); });
    m_SelectionText->installEventFilter(this);
    connect(m_Print, &QPushButton::clicked, this, &CPage4Print::OnPrint);
}

QRadioButton* CPage4Print::SizeButton(int size) const { return m_SizeButtons[size & 3]; }

bool CPage4Print::CanPrintTo(const std::string& portName, const std::string& sysRoot) {
    switch (port::ClassifyPortPath(portName, sysRoot)) {
        case port::PortKind::Serial:
        case port::PortKind::Parallel:
        case port::PortKind::Usb:
        case port::PortKind::Ethernet:
            return true;
        case port::PortKind::File:
        case port::PortKind::OutputFile:
        case port::PortKind::NotAPort:
            return false;
    }
    return false;
}

bool CPage4Print::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_SelectionText && event->type() == QEvent::FocusIn) m_Selection->setChecked(true);
    return LogoPage::eventFilter(watched, event);
}

void CPage4Print::OnSetActive() {
    if (!m_Shown) {
        m_Shown = true;
        m_All->setChecked(true);
        m_SizeButtons[0]->setChecked(true);
        m_NoHeader->setChecked(true);
    }
    m_PrinterName->setText(QString::fromLatin1(printer::FamilyName(m_Ctx.ports.m_DeviceType)));
    m_PortName->SetFullText(QString::fromStdString(m_Ctx.ports.m_PortName));
    m_Print->setEnabled(CanPrintTo(m_Ctx.ports.m_PortName, m_Ctx.ports.Roots().sys));
}

void CPage4Print::OnPrint() {
    if (!CanPrintTo(m_Ctx.ports.m_PortName, m_Ctx.ports.Roots().sys)) return;
    LogoPrintSettings settings;
    settings.all = m_All->isChecked();
    settings.selection = m_SelectionText->text().toStdString();
    settings.size = static_cast<PrintSize>(std::max(0, m_Sizes->checkedId()));
    settings.header = m_AddHeader->isChecked();
    settings.starEmulation = m_Ctx.options.starEmulation;

    LogoPrint engine(m_Ctx.Stream(), m_Ctx.clock, m_Ctx.log, settings);
    const BusySheet busy(Sheet());
    const bool hadFocus = m_Print->hasFocus();
    m_Print->setEnabled(false);
    RunLogoPrint(engine, this, m_ProgressHook);
    m_Print->setEnabled(CanPrintTo(m_Ctx.ports.m_PortName, m_Ctx.ports.Roots().sys));
    // Disabling the button handed its focus on, to a field that then shows its text selected.
    if (hadFocus && m_Print->isEnabled()) m_Print->setFocus(Qt::OtherFocusReason);
}

}  // namespace korva::logo::ui
