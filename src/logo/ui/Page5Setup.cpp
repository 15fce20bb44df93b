#include "logo/ui/Page5Setup.h"

#include <QApplication>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <array>

#include "base/Clock.h"
#include "base/MessageBox.h"
#include "base/Messages.h"
#include "logo/LogoGeometry.h"
#include "logo/LogoList.h"
#include "logo/LogoOptions.h"
#include "base/StepEngine.h"
#include "logo/ui/LogoLabels.h"
#include "logo/ui/MyProperty.h"
#include "ui/StepDriver.h"
#include "port/DeviceType.h"
#include "port/ModelIdQuery.h"
#include "port/Ports.h"
#include "printer/PrinterFacts.h"

namespace korva::logo::ui {

namespace {

constexpr int kReplyWaitMs = 1000;  // the printer answers GS I 1 within this
constexpr const char* kFilePortName = "FILE";

// The range message for numbers typed out of range.
void RangeMessage(int low, int high) {
    base::ShowMessage("Please enter an integer between " + std::to_string(low) + " and " +
                         std::to_string(high) + ".",
                     base::MsgStyle::OkExclamation);
}

bool ParseNumber(const QString& text, int low, int high, int& value) {
    bool ok = false;
    const int number = text.trimmed().toInt(&ok);
    if (!ok || number < low || number > high) return false;
    value = number;
    return true;
}

// Selects the whole text when the box gets the focus, so typing replaces it.
class SelectAllEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void focusInEvent(QFocusEvent* event) override {
        QLineEdit::focusInEvent(event);
        QMetaObject::invokeMethod(this, &QLineEdit::selectAll, Qt::QueuedConnection);
    }
};

}  // namespace

CPage5Setup::CPage5Setup(LogoToolContext& context, QWidget* parent) : LogoPage(parent), m_Ctx(context) {
    BuildControls();
}

void CPage5Setup::BuildControls() {
    const auto* digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,4}")), this);
    m_PrintToFile = new QCheckBox(this);
    m_OptionGroup = new QGroupBox(this);
    m_MaxAreaLabel = new QLabel(m_OptionGroup);
    m_MaxArea = new SelectAllEdit(m_OptionGroup);
    m_MaxArea->setValidator(digits);
    m_MaxAreaNote = new QLabel(QStringLiteral("dots(1~512)"), m_OptionGroup);
    m_ThresholdLabel = new QLabel(m_OptionGroup);
    m_Slider = new QSlider(Qt::Horizontal, m_OptionGroup);
    m_Slider->setRange(0, 255);
    m_Slider->setPageStep(16);
    m_Threshold = new QLineEdit(m_OptionGroup);
    m_Threshold->setValidator(digits);
    m_Threshold->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 12);
    m_Gray = new QCheckBox(m_OptionGroup);
    m_Star = new QCheckBox(m_OptionGroup);
    m_DeviceGroup = new QGroupBox(this);
    m_Device = new korva::ui::ElidedLabel(m_DeviceGroup);
    m_Device->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_AboutGroup = new QGroupBox(this);
    m_AboutText = new QLabel(m_AboutGroup);
    m_Brand = new QLabel(m_AboutGroup);
    m_Company = new QLabel(m_AboutGroup);

    auto* options = new QGridLayout(m_OptionGroup);
    options->addWidget(m_MaxAreaLabel, 0, 0);
    options->addWidget(m_MaxArea, 0, 1);
    options->addWidget(m_MaxAreaNote, 0, 2);
    options->addWidget(m_ThresholdLabel, 1, 0, 1, 3);
    auto* threshold = new QHBoxLayout;
    threshold->addWidget(m_Slider, 1);
    threshold->addWidget(m_Threshold);
    options->addLayout(threshold, 2, 0, 1, 3);
    options->addWidget(m_Gray, 3, 0, 1, 3);
    options->addWidget(m_Star, 4, 0, 1, 3);
    options->setColumnStretch(2, 1);

    auto* device = new QVBoxLayout(m_DeviceGroup);
    device->addWidget(m_Device);
    auto* about = new QVBoxLayout(m_AboutGroup);
    about->addWidget(m_AboutText);
    about->addWidget(m_Brand);
    about->addWidget(m_Company);

    // The device line spans the page: a port path shows whole where it fits.
    auto* right = new QVBoxLayout;
    right->addWidget(m_AboutGroup);
    right->addStretch();
    auto* left = new QVBoxLayout;
    left->addWidget(m_PrintToFile);
    left->addWidget(m_OptionGroup);
    left->addStretch();
    auto* columns = new QHBoxLayout;
    columns->addLayout(left, 3);
    columns->addLayout(right, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_DeviceGroup);
    layout->addLayout(columns, 1);

    setTabOrder(m_PrintToFile, m_MaxArea);
    setTabOrder(m_MaxArea, m_Slider);
    setTabOrder(m_Slider, m_Threshold);
    setTabOrder(m_Threshold, m_Gray);
    setTabOrder(m_Gray, m_Star);

    ApplyLabels();
    m_Slider->setAccessibleName(StripMnemonic(m_ThresholdLabel->text()));
    m_Device->setAccessibleName(StripMnemonic(m_DeviceGroup->title()));

    connect(m_PrintToFile, &QCheckBox::clicked, this, &CPage5Setup::OnPrintToFile);
    connect(m_Gray, &QCheckBox::clicked, this, &CPage5Setup::OnGrayPrinting);
    connect(m_Slider, &QSlider::valueChanged, this, &CPage5Setup::OnSliderMoved);
    connect(m_Threshold, &QLineEdit::textEdited, this, &CPage5Setup::OnThresholdEdited);
}

void CPage5Setup::ApplyLabels() {
    SetLabel(m_PrintToFile, LabelPage::Setup, "Print To File");
    SetLabel(m_OptionGroup, LabelPage::Setup, "Option Setting");
    SetLabel(m_MaxAreaLabel, LabelPage::Setup, "Max Printable Area :", m_MaxArea);
    SetLabel(m_ThresholdLabel, LabelPage::Setup, "Black / White diverging point (0~255)", m_Threshold);
    SetLabel(m_Gray, LabelPage::Setup, "Use Gray Printing");
    SetLabel(m_Star, LabelPage::Setup, "Use Star Emulation");
    SetLabel(m_DeviceGroup, LabelPage::Setup, "Device");
    SetLabel(m_AboutGroup, LabelPage::Setup, "About");
    m_AboutText->setText(PageLabel(LabelPage::Setup, "Bitmap Image downloader "));
}

void CPage5Setup::OnSetActive() {
    // The brand and company lines are set on every activation.
    m_Brand->setText(QStringLiteral("Quelm"));
    m_Company->setText(QStringLiteral("Halvorn CO., LTD."));
    if (m_Shown) return;
    m_Shown = true;

    if (CMyProperty* sheet = Sheet()) sheet->SetupButtons();
    m_Ctx.list.nvCapacityKB = kNvCapacityKB;
    m_SavedPortName = m_Ctx.connectionPortName.empty() ? m_Ctx.ports.m_PortName : m_Ctx.connectionPortName;

    const bool korva10 = m_Ctx.ports.m_DeviceType == port::kDeviceTypeKorva10;
    const int maxArea = korva10 ? kMaxAreaKorva10 : kMaxAreaDefault;
    m_MaxArea->setText(QString::number(maxArea));
    m_Ctx.options.maxPrintableWidth = maxArea;
    m_Slider->setValue(128);
    m_Threshold->setText(QStringLiteral("128"));
    m_Star->setChecked(false);

    // The KORVA10 models print no gray: a gray mode left on by another
    // printer's session is switched off, as the box cannot be used here.
    if (korva10 && m_Ctx.options.grayPrinting) OnGrayPrinting(false);
    m_Gray->setEnabled(!korva10);
    // The boxes show what is in force: gray printing survives the sheet, and so
    // does the file output, so a new sheet starts from them, not from "off".
    m_Gray->setChecked(m_Ctx.options.grayPrinting);
    m_PrintToFile->setChecked(port::ClassifyPseudoName(m_Ctx.ports.m_PortName) == port::PortKind::File);
    ShowDevice();
}

bool CPage5Setup::ReadNumbers(int& maxArea, int& threshold) {
    if (!ParseNumber(m_MaxArea->text(), 1, 512, maxArea)) {
        RangeMessage(1, 512);
        m_MaxArea->setFocus();
        m_MaxArea->selectAll();
        return false;
    }
    if (!ParseNumber(m_Threshold->text(), 0, 255, threshold)) {
        RangeMessage(0, 255);
        m_Threshold->setFocus();
        m_Threshold->selectAll();
        return false;
    }
    return true;
}

bool CPage5Setup::OnKillActive() {
    int maxArea = 0;
    int threshold = 0;
    if (!ReadNumbers(maxArea, threshold)) return false;
    m_Ctx.options.maxPrintableWidth = maxArea;
    m_Ctx.options.threshold = threshold;
    m_Ctx.options.starEmulation = m_Star->isChecked();
    return true;
}

void CPage5Setup::PublishMaxArea() {
    int maxArea = 0;
    if (ParseNumber(m_MaxArea->text(), 1, 512, maxArea))
        m_Ctx.options.maxPrintableWidth = maxArea;
    else
        RangeMessage(1, 512);
}

void CPage5Setup::OnApply() {
    if (!m_Shown || m_PrintToFile->isChecked()) return;
    switch (m_Ctx.Kind()) {
        case port::PortKind::Ethernet:
        case port::PortKind::File:
        case port::PortKind::OutputFile:
            break;
        case port::PortKind::Parallel:
            // The parallel port is only opened and closed: nothing is sent.
            m_Ctx.ports.Close();
            if (m_Ctx.ports.Open())
                m_Ctx.ports.Close();
            else
                base::ShowMessage(port::WithFailureDetail(base::Message(base::kMsgPortOpen), m_Ctx.ports),
                                  base::MsgStyle::OkExclamation);
            break;
        default:
            CheckLocalPrinter();
            break;
    }
    PublishMaxArea();
}

void CPage5Setup::CheckLocalPrinter() {
    port::CPorts& port = m_Ctx.ports;
    port.Close();
    if (!port.Open()) {
        base::ShowMessage(port::WithFailureDetail(base::Message(base::kMsgPortOpen), port),
                          base::MsgStyle::OkExclamation);
        return;
    }
    // The check goes out on the step worker like any transfer, and up to a
    // second passes for the printer's ID, which is not examined; the window
    // stays live meanwhile, with Apply held off.
    const BusySheet busy(Sheet());
    port::ModelIdQuery query(port, m_Ctx.clock);
    bool sent = false;
    bool writeFailed = false;
    korva::ui::StepDriver wait(
        [&]() -> int {
            if (sent) return query.Step();
            sent = true;
            writeFailed = port.Write(printer::kInitialize) != printer::kInitialize.size() ||
                          !query.Begin(kReplyWaitMs);
            return writeFailed ? base::kStepDone : 0;
        },
        {});
    wait.Run();
    if (writeFailed) base::ShowMessage(base::Message(base::kMsgWriteToPort), base::MsgStyle::OkExclamation);
    port.Close();
}

void CPage5Setup::OnPrintToFile(bool on) {
    m_Ctx.ports.m_PortName = on ? kFilePortName : m_SavedPortName;
    ShowDevice();
}

void CPage5Setup::ShowDevice() {
    m_Device->SetFullText(m_PrintToFile->isChecked() ? QString::fromLatin1(kFilePortName)
                                                     : QString::fromStdString(m_Ctx.connectionLabel));
}

void CPage5Setup::OnGrayPrinting(bool on) {
    // Sets the option and rescales the listed sizes, which count four times
    // while gray images are sent; nothing happens when box and option agree.
    m_Ctx.list.ApplyGrayPrinting(on, m_Ctx.options);
}

void CPage5Setup::OnSliderMoved(int value) {
    const QString text = QString::number(value);
    if (m_Threshold->text() != text) m_Threshold->setText(text);
}

void CPage5Setup::OnThresholdEdited(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value > 255) return;
    const QSignalBlocker quiet(m_Slider);  // keep the text as typed ("090" stays "090")
    m_Slider->setValue(value);
}

}  // namespace korva::logo::ui
