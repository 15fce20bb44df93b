#include "logo/ui/Page3Upload.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "logo/LogoList.h"
#include "logo/LogoListServices.h"
#include "logo/LogoOptions.h"
#include "logo/UploadConverter.h"
#include "logo/ui/LogoListCtrl.h"
#include "logo/ui/MyProperty.h"
#include "logo/ui/UploadRun.h"
#include "port/Ports.h"
#include "printer/Series.h"

namespace korva::logo::ui {

CPage3Upload::CPage3Upload(LogoToolContext& context, QWidget* parent)
    : ListPage(context, LabelPage::Upload, false, parent),
      m_Upload(new QPushButton(this)),
      m_PrinterName(new QLineEdit(this)),
      m_PortName(new korva::ui::ElidedLineEdit(this)) {
    SetLabel(m_Upload, LabelPage::Upload, "&Upload");
    m_PrinterName->setReadOnly(true);

    auto* details = new QGroupBox(this);
    SetLabel(details, LabelPage::Upload, "Printer Details");
    auto* printerLabel = new QLabel(details);
    auto* portLabel = new QLabel(details);
    SetLabel(printerLabel, LabelPage::Upload, "Printer Name", m_PrinterName);
    SetLabel(portLabel, LabelPage::Upload, "Port Name", m_PortName);
    auto* detailsLayout = new QFormLayout(details);
    detailsLayout->addRow(printerLabel, m_PrinterName);
    detailsLayout->addRow(portLabel, m_PortName);

    auto* right = new QVBoxLayout;
    right->addWidget(details);
    right->addStretch();
    right->addWidget(m_Upload, 0, Qt::AlignRight);
    auto* listColumn = new QVBoxLayout;
    listColumn->addWidget(m_ListLabel);
    listColumn->addWidget(m_List, 1);
    auto* top = new QHBoxLayout;
    top->addLayout(listColumn, 3);
    top->addLayout(right, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addLayout(TextsLayout());

    setTabOrder(m_List, m_Upload);
    connect(m_Upload, &QPushButton::clicked, this, &CPage3Upload::OnUpload);
    connect(m_List, &QTreeWidget::itemSelectionChanged, this, &CPage3Upload::OnSelectionChanged);
}

void CPage3Upload::OnSetActive() {
    FirstDisplay();
    Refill();
    ShowTexts();
    SelectRememberedRow();
    ShowPrinterDetails();
    m_Ctx.pageMarker = kMarkerUpload;
}

bool CPage3Upload::OnKillActive() {
    m_Ctx.pageMarker = kMarkerUpload;
    return true;
}

void CPage3Upload::OnSelectionChanged() {
    if (m_Ctx.pageMarker != kMarkerUpload) return;
    for (int row : m_List->SelectedRows()) m_Ctx.list.selectedRow = row;
}

void CPage3Upload::ShowPrinterDetails() {
    const port::PortKind kind = m_Ctx.Kind();
    if (kind == port::PortKind::File || kind == port::PortKind::OutputFile) {
        m_PrinterName->setText(QStringLiteral("To File"));
        m_PortName->SetFullText(QStringLiteral("To File"));
        return;
    }
    m_PrinterName->setText(QString::fromLatin1(printer::FamilyName(m_Ctx.ports.m_DeviceType)));
    m_PortName->SetFullText(QString::fromStdString(m_Ctx.ports.m_PortName));
}

void CPage3Upload::OnUpload() {
    LogoList& list = m_Ctx.list;
    std::vector<UploadEntry> entries;
    entries.reserve(list.entries.size());
    for (const LogoEntry& entry : list.entries)
        entries.push_back({entry.NumberValue(), entry.name, entry.path, entry.SizeValue(), entry.centerAlign});

    NvUploadSettings settings;
    settings.starEmulation = m_Ctx.options.starEmulation;
    settings.grayPrinting = m_Ctx.options.grayPrinting;
    settings.askConfirmation = true;
    settings.confirmationNote = WideLogoNote(list, m_Ctx.options.maxPrintableWidth);
    settings.profile = &m_Ctx.profile;
    settings.savedKeyCount = list.savedKeyCount;

    NvUpload engine(m_Ctx.Stream(), m_Ctx.clock, m_Ctx.log, std::move(entries),
                    MakeBitmapConverter(m_Ctx.options), settings);
    const BusySheet busy(Sheet());
    const bool hadFocus = m_Upload->hasFocus();
    m_Upload->setEnabled(false);
    m_LastOutcome = RunUpload(engine, this, m_ProgressHook);
    m_Upload->setEnabled(true);
    // Disabling the button handed its focus on, to a field that then shows its text selected.
    if (hadFocus) m_Upload->setFocus(Qt::OtherFocusReason);
    list.savedKeyCount = engine.SavedKeyCount();
}

}  // namespace korva::logo::ui
