#include "firmware/ui/FwDown20.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "base/Messages.h"
#include "base/Profile.h"
#include "ui/Language.h"
#include "ui/StepDriver.h"
#include "firmware/FirmwareTexts.h"
#include "port/Ports.h"

namespace korva::firmware::ui {

namespace {

const QString kFilter = QStringLiteral("Firmware file(*.K20);;ALL FILE(*)");

struct AreaLabel {
    const char* english;
    const char* korean;
};
constexpr AreaLabel kAreaLabels[kNewAreaCount] = {
    {"Program area", "프로그램 영역"},
    {"Boot Area", "부트 영역"},
    {"DOWNLOAD", "다운로드 영역"},
    {"Ext. Font", "확장 폰트 영역"},
};

QString captionBase() { return QString::fromUtf8(base::Title(base::kTitleFirmware)); }

}  // namespace

CFwDown20::CFwDown20(FirmwareToolContext& context, QWidget* parent)
    : QDialog(parent),
      m_Ctx(context),
      m_PathEdit(new QLineEdit(this)),
      m_FileOpenButton(new QPushButton(QStringLiteral("File Open"), this)),
      m_DeviceBox(new QGroupBox(this)),
      m_DeviceLabel(new QLabel(m_DeviceBox)),
      m_AreaBox(new QGroupBox(this)),
      m_Areas(new QButtonGroup(this)),
      m_InfoBox(new QGroupBox(QStringLiteral("Information"), this)),
      m_LayoutLabel(new QLabel(QStringLiteral("(* Header[4] + FileSize[4] + data[n] + CS[2] )"), m_InfoBox)),
      m_ChecksumLabel(new QLabel(m_InfoBox)),
      m_ChecksumEdit(new QLineEdit(m_InfoBox)),
      m_FileSizeLabel(new QLabel(m_InfoBox)),
      m_FileSizeEdit(new QLineEdit(m_InfoBox)),
      m_BytesLabel(new QLabel(m_InfoBox)),
      m_Progress(new QProgressBar(this)),
      m_DownloadButton(new QPushButton(this)),
      m_ExitButton(new QPushButton(QStringLiteral("EXIT"), this)) {
    setWindowTitle(captionBase());
    m_PathEdit->setReadOnly(true);
    m_PathEdit->setAccessibleName(QStringLiteral("Firmware file"));
    m_PathEdit->setMinimumWidth(360);
    m_ChecksumEdit->setReadOnly(true);
    m_FileSizeEdit->setReadOnly(true);
    m_FileSizeEdit->setText(QStringLiteral("0"));
    m_ChecksumLabel->setBuddy(m_ChecksumEdit);
    m_FileSizeLabel->setBuddy(m_FileSizeEdit);
    m_DeviceLabel->setText(QString::fromStdString(m_Ctx.connectionLabel).remove(QLatin1Char('\r')));
    m_DeviceLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_AreaBox->setAccessibleName(QStringLiteral("Area"));
    m_Progress->setAccessibleName(QStringLiteral("Progress"));
    m_Progress->setTextVisible(false);
    m_Progress->setRange(0, 1);
    m_Progress->setValue(0);

    auto* areaLayout = new QVBoxLayout(m_AreaBox);
    for (int i = 0; i < kNewAreaCount; ++i) {
        auto* button = new QRadioButton(m_AreaBox);
        m_Areas->addButton(button, i);
        areaLayout->addWidget(button);
    }
    AreaButton(NewArea::Program)->setChecked(true);
    // The extended font is not offered here: it needs a 2 MiB image and a
    // printer that has the memory for it.
    AreaButton(NewArea::ExtFont)->setEnabled(false);
    ApplyLabels();

    auto* deviceLayout = new QVBoxLayout(m_DeviceBox);
    deviceLayout->addWidget(m_DeviceLabel);
    deviceLayout->addStretch();

    auto* infoLayout = new QGridLayout(m_InfoBox);
    infoLayout->addWidget(m_LayoutLabel, 0, 0, 1, 3);
    infoLayout->addWidget(m_ChecksumLabel, 1, 0);
    infoLayout->addWidget(m_ChecksumEdit, 1, 1);
    infoLayout->addWidget(m_FileSizeLabel, 2, 0);
    infoLayout->addWidget(m_FileSizeEdit, 2, 1);
    infoLayout->addWidget(m_BytesLabel, 2, 2);

    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_PathEdit, 1);
    fileRow->addWidget(m_FileOpenButton);
    auto* middle = new QHBoxLayout;
    middle->addWidget(m_DeviceBox, 1);
    middle->addWidget(m_AreaBox);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_DownloadButton);
    buttons->addWidget(m_ExitButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fileRow);
    layout->addLayout(middle);
    layout->addWidget(m_InfoBox);
    layout->addWidget(m_Progress);
    layout->addLayout(buttons);

    for (QPushButton* button : {m_FileOpenButton, m_DownloadButton, m_ExitButton}) button->setAutoDefault(false);
    m_DownloadButton->setDefault(true);
    setTabOrder(m_FileOpenButton, AreaButton(NewArea::Program));
    setTabOrder(AreaButton(NewArea::Program), m_DownloadButton);
    setTabOrder(m_DownloadButton, m_ExitButton);
    m_FileOpenButton->setFocus();

    m_Path = m_Ctx.profile.GetString(kSectionNewSeries, kKeyFolder);
    m_FileName = m_Ctx.profile.GetString(kSectionNewSeries, kKeyFile);
    m_PathEdit->setText(QString::fromStdString(m_Path));

    connect(m_FileOpenButton, &QPushButton::clicked, this, &CFwDown20::OnFileOpen);
    connect(m_DownloadButton, &QPushButton::clicked, this, &CFwDown20::OnDownload);
    connect(m_ExitButton, &QPushButton::clicked, this, &CFwDown20::reject);
}

void CFwDown20::ApplyLabels() {
    const bool korean = korva::ui::UseKoreanLabels();
    for (int i = 0; i < kNewAreaCount; ++i)
        m_Areas->button(i)->setText(QString::fromUtf8(korean ? kAreaLabels[i].korean : kAreaLabels[i].english));
    m_DeviceBox->setTitle(korean ? QStringLiteral("프린터 종류") : QStringLiteral("DEVICE"));
    m_ChecksumLabel->setText(korean ? QStringLiteral("체크섬") : QStringLiteral("CHECKSUM :"));
    m_FileSizeLabel->setText(korean ? QStringLiteral("파일크기") : QStringLiteral("FileSize :"));
    m_BytesLabel->setText(korean ? QStringLiteral("바이트") : QStringLiteral("bytes"));
    m_DownloadButton->setText(korean ? QStringLiteral("다운로드") : QStringLiteral("DOWNLOAD"));
    m_DeviceLabel->setAccessibleName(m_DeviceBox->title());
}

QRadioButton* CFwDown20::AreaButton(NewArea area) const {
    return qobject_cast<QRadioButton*>(m_Areas->button(static_cast<int>(area)));
}

NewArea CFwDown20::SelectedArea() const {
    const int id = m_Areas->checkedId();
    return id >= 0 ? static_cast<NewArea>(id) : NewArea::Program;
}

void CFwDown20::OnFileOpen() {
    const std::string picked = korva::ui::PickOneFile(m_Ctx.pickFile, this, {kFilter, m_Path, false, QString()});
    if (picked.empty()) return;
    m_Path = picked;
    m_FileName = QFileInfo(QString::fromStdString(picked)).fileName().toStdString();
    m_PathEdit->setText(QString::fromStdString(m_Path));
    m_DownloadButton->setEnabled(true);
}

void CFwDown20::OnDownload() {
    if (m_Busy) return;
    NewDownloadSettings settings;
    settings.path = m_Path;
    settings.fileName = m_FileName;
    settings.area = SelectedArea();
    settings.deviceType = m_Ctx.ports.m_DeviceType;
    settings.profile = &m_Ctx.profile;
    NewFirmwareDownload engine(m_Ctx.Stream(), m_Ctx.log, settings);

    m_Busy = true;
    m_ShownPosition = m_ShownRange = -1;
    m_DownloadButton->setEnabled(false);
    m_FileOpenButton->setEnabled(false);
    m_ExitButton->setEnabled(false);
    for (QAbstractButton* button : m_Areas->buttons()) button->setProperty("wasEnabled", button->isEnabled());
    for (QAbstractButton* button : m_Areas->buttons()) button->setEnabled(false);
    korva::ui::StepDriver driver([&engine] { return engine.Step(); },
                               [&] {
                                   ShowProgress(engine.Progress());
                                   if (m_StepHook) m_StepHook();
                               });
    driver.Run();
    for (QAbstractButton* button : m_Areas->buttons()) button->setEnabled(button->property("wasEnabled").toBool());
    m_Busy = false;
    AfterRun(engine.GetOutcome(), engine.Area());
}

void CFwDown20::ShowProgress(const NewDownloadProgress& progress) {
    if (!progress.checksumText.empty()) m_ChecksumEdit->setText(QString::fromStdString(progress.checksumText));
    m_FileSizeEdit->setText(QString::fromStdString(progress.sentText));
    if (progress.range <= 0) return;
    if (progress.position == m_ShownPosition && progress.range == m_ShownRange) return;
    m_ShownPosition = progress.position;
    m_ShownRange = progress.range;
    m_Progress->setRange(0, progress.range);
    m_Progress->setValue(progress.position);
    setWindowTitle(captionBase() + QStringLiteral(" - %1 %").arg(progress.percent));
}

// Which buttons a run leaves usable depends on how it ended.
void CFwDown20::AfterRun(NewFirmwareDownload::Outcome outcome, NewArea areaAfter) {
    using Outcome = NewFirmwareDownload::Outcome;
    m_LastOutcome = outcome;
    bool download = true;
    bool fileOpen = true;
    switch (outcome) {
        case Outcome::SizeWrong: download = false; break;  // until another file is opened
        case Outcome::PrinterNotReady: fileOpen = false; break;
        case Outcome::WriteFailed:
        case Outcome::PrinterCheckFailed:
            download = false;
            fileOpen = false;
            break;
        case Outcome::NoExtFont: AreaButton(areaAfter)->setChecked(true); break;
        default: break;
    }
    m_DownloadButton->setEnabled(download);
    m_FileOpenButton->setEnabled(fileOpen);
    m_ExitButton->setEnabled(true);
    if (download) m_DownloadButton->setFocus();
    else m_ExitButton->setFocus();
}

void CFwDown20::reject() {
    if (m_Busy) return;  // the packet is on its way; the window closes when it is done
    if (m_Ctx.ports.IsOpen()) m_Ctx.ports.Close();
    QDialog::reject();
}

void CFwDown20::closeEvent(QCloseEvent* event) {
    if (m_Busy) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

}  // namespace korva::firmware::ui
