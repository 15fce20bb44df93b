#include "firmware/ui/FwDown15.h"

#include <QButtonGroup>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "base/MessageBox.h"
#include "base/Messages.h"
#include "base/Profile.h"
#include "ui/Language.h"
#include "ui/StepDriver.h"
#include "firmware/FirmwareTexts.h"
#include "firmware/RefusalText.h"
#include "port/Ports.h"

namespace korva::firmware::ui {

namespace {

const QString kFilter = QStringLiteral("BINARY(*.bin);;ALL FILE(*)");

constexpr const char* kKoreanAreaLabels[kOldAreaCount] = {"&1.프로그램", "&2.확장 폰트", "&3.부트",
                                                           "&4.폰트"};

}  // namespace

CFwDown15::CFwDown15(FirmwareToolContext& context, QWidget* parent)
    : QDialog(parent),
      m_Ctx(context),
      m_PathEdit(new QLineEdit(this)),
      m_FileNameEdit(new QLineEdit(this)),
      m_OpenButton(new QPushButton(this)),
      m_AreaBox(new QGroupBox(this)),
      m_Areas(new QButtonGroup(this)),
      m_DeviceBox(new QGroupBox(this)),
      m_DeviceLabel(new QLabel(m_DeviceBox)),
      m_Progress(new QProgressBar(this)),
      m_OkButton(new QPushButton(this)),
      m_CancelButton(new QPushButton(this)) {
    setWindowTitle(QString::fromUtf8(base::Title(base::kTitleKorva10Firmware)));
    m_PathEdit->setReadOnly(true);
    m_PathEdit->setMinimumWidth(360);
    m_PathEdit->setAccessibleName(QStringLiteral("Firmware file path"));
    m_FileNameEdit->setReadOnly(true);
    m_FileNameEdit->setAccessibleName(QStringLiteral("Firmware file name"));
    m_DeviceLabel->setText(QString::fromStdString(m_Ctx.connectionLabel).remove(QLatin1Char('\r')));
    m_Progress->setAccessibleName(QStringLiteral("Progress"));
    m_Progress->setTextVisible(false);
    m_Progress->setRange(0, 1);
    m_Progress->setValue(0);

    auto* areaLayout = new QVBoxLayout(m_AreaBox);
    for (int i = 0; i < kOldAreaCount; ++i) {
        auto* button = new QRadioButton(m_AreaBox);
        m_Areas->addButton(button, i);
        areaLayout->addWidget(button);
    }
    AreaButton(OldArea::Program)->setChecked(true);
    AreaButton(OldArea::ExtFont)->setEnabled(false);
    ApplyLabels();

    auto* deviceLayout = new QVBoxLayout(m_DeviceBox);
    deviceLayout->addWidget(m_DeviceLabel);
    deviceLayout->addStretch();

    auto* fileColumn = new QVBoxLayout;
    fileColumn->addWidget(m_PathEdit);
    fileColumn->addWidget(m_FileNameEdit);
    auto* fileRow = new QHBoxLayout;
    fileRow->addLayout(fileColumn, 1);
    fileRow->addWidget(m_OpenButton, 0, Qt::AlignTop);
    auto* middle = new QHBoxLayout;
    middle->addWidget(m_AreaBox);
    middle->addWidget(m_DeviceBox, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_OkButton);
    buttons->addWidget(m_CancelButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fileRow);
    layout->addLayout(middle);
    layout->addWidget(m_Progress);
    layout->addLayout(buttons);

    for (QPushButton* button : {m_OpenButton, m_OkButton, m_CancelButton}) button->setAutoDefault(false);
    m_OkButton->setDefault(true);
    setTabOrder(m_OpenButton, AreaButton(OldArea::Program));
    setTabOrder(AreaButton(OldArea::Program), m_OkButton);
    setTabOrder(m_OkButton, m_CancelButton);
    m_OpenButton->setFocus();

    m_Path = m_Ctx.profile.GetString(kSectionOldSeries, kKeyFolder);
    m_FileName = m_Ctx.profile.GetString(kSectionOldSeries, kKeyFile);
    m_PathEdit->setText(QString::fromStdString(m_Path));
    m_FileNameEdit->setText(QString::fromStdString(m_FileName));

    connect(m_OpenButton, &QPushButton::clicked, this, &CFwDown15::OnOpen);
    connect(m_OkButton, &QPushButton::clicked, this, &CFwDown15::OnOk);
    connect(m_CancelButton, &QPushButton::clicked, this, &CFwDown15::reject);
}

CFwDown15::~CFwDown15() {
    // No notification may reach a window that is gone.
    m_Ctx.ports.SetNotifyWnd({});
}

void CFwDown15::ApplyLabels() {
    const bool korean = korva::ui::UseKoreanLabels();
    for (int i = 0; i < kOldAreaCount; ++i) {
        const OldAreaInfo& info = OldAreaOf(static_cast<OldArea>(i));
        m_Areas->button(i)->setText(QString::fromUtf8(korean ? kKoreanAreaLabels[i] : info.label));
    }
    m_AreaBox->setTitle(korean ? QStringLiteral("영역 선택") : QStringLiteral("SELECT AREA"));
    m_DeviceBox->setTitle(korean ? QStringLiteral("프린터 종류") : QStringLiteral("DEVICE"));
    m_OpenButton->setText(korean ? QStringLiteral("열기(&O)") : QStringLiteral("&Open"));
    m_OkButton->setText(korean ? QStringLiteral("확인") : QStringLiteral("OK"));
    m_CancelButton->setText(korean ? QStringLiteral("취소") : QStringLiteral("CANCEL"));
    m_DeviceLabel->setAccessibleName(m_DeviceBox->title());
}

QRadioButton* CFwDown15::AreaButton(OldArea area) const {
    return qobject_cast<QRadioButton*>(m_Areas->button(static_cast<int>(area)));
}

OldArea CFwDown15::SelectedArea() const {
    const int id = m_Areas->checkedId();
    return id >= 0 ? static_cast<OldArea>(id) : OldArea::Program;
}

void CFwDown15::OnOpen() {
    const std::string picked = korva::ui::PickOneFile(m_Ctx.pickFile, this, {kFilter, m_Path, false, QString()});
    if (picked.empty()) return;
    m_Path = picked;
    m_FileName = QFileInfo(QString::fromStdString(picked)).fileName().toStdString();
    m_PathEdit->setText(QString::fromStdString(m_Path));
    m_FileNameEdit->setText(QString::fromStdString(m_FileName));
}

void CFwDown15::OnOk() {
    if (m_Engine) return;
    // The loader's line runs without flow control; the setting stays so for
    // later tools until the connection is confirmed again.
    m_Ctx.ports.m_FlowControl = port::kFlowNone;
    OldDownloadSettings settings;
    settings.path = m_Path;
    settings.fileName = m_FileName;
    settings.area = SelectedArea();
    settings.profile = &m_Ctx.profile;
    OldFirmwareDownload engine(m_Ctx.Stream(), m_Ctx.clock, m_Ctx.log, settings);
    m_Engine = &engine;
    m_CloseAfterRun = false;
    m_OkButton->setEnabled(false);
    m_OpenButton->setEnabled(false);
    const QString baseCaption = windowTitle();
    std::string shownCaption;
    korva::ui::StepDriver driver([&engine] { return engine.Step(); },
                               [&] {
                                   const OldDownloadProgress& p = engine.Progress();
                                   if (!p.caption.empty() && p.caption != shownCaption) {
                                       shownCaption = p.caption;
                                       setWindowTitle(QString::fromStdString(p.caption));
                                   }
                                   m_Progress->setRange(static_cast<int>(p.start), static_cast<int>(p.end));
                                   m_Progress->setValue(static_cast<int>(p.position));
                                   if (m_StepHook) m_StepHook();
                               });
    driver.Run();
    m_Engine = nullptr;
    m_LastOutcome = engine.GetOutcome();
    m_OkButton->setEnabled(true);
    m_OpenButton->setEnabled(true);
    if (m_LastOutcome == OldFirmwareDownload::Outcome::Completed) {
        accept();
        return;
    }
    if (m_CloseAfterRun) {
        // Past the erase the printer holds no working program: that must be said.
        if (engine.Erase() != OldErase::NotSent)
            base::ShowMessage("Cancelled: " + OldStopText(OldAreaName(settings.area), engine.Erase()) +
                              ".\r\nRun the download again and let it complete before switching the printer off.");
        QDialog::reject();
        return;
    }
    setWindowTitle(baseCaption);
}

// CANCEL leaves any stage: a run stops at its next step, then the window closes.
void CFwDown15::reject() {
    if (m_Engine) {
        m_Engine->Cancel();
        m_CloseAfterRun = true;
        return;
    }
    if (m_Ctx.ports.IsOpen()) m_Ctx.ports.Close();
    QDialog::reject();
}

}  // namespace korva::firmware::ui
