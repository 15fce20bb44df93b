#pragma once
#include <QDialog>
#include <string>

#include "firmware/NewDownload.h"
#include "firmware/ui/FirmwareToolContext.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace korva::firmware::ui {

/// "KorvaTool : Firmware Download" for the newer series: pick an image file
/// and an area, then DOWNLOAD sends that area as one packet and waits while
/// the printer writes its flash. The window keeps painting throughout; it
/// cannot be closed while the packet is on its way (a half-written area
/// would leave the printer without a working program).
class CFwDown20 : public QDialog {
    Q_OBJECT
public:
    explicit CFwDown20(FirmwareToolContext& context, QWidget* parent = nullptr);

    void OnFileOpen();
    void OnDownload();

    QLineEdit* PathEdit() const { return m_PathEdit; }
    QLineEdit* ChecksumEdit() const { return m_ChecksumEdit; }
    QLineEdit* FileSizeEdit() const { return m_FileSizeEdit; }
    QPushButton* FileOpenButton() const { return m_FileOpenButton; }
    QPushButton* DownloadButton() const { return m_DownloadButton; }
    QPushButton* ExitButton() const { return m_ExitButton; }
    QRadioButton* AreaButton(NewArea area) const;
    QProgressBar* ProgressBar() const { return m_Progress; }
    NewArea SelectedArea() const;
    bool IsBusy() const { return m_Busy; }
    NewFirmwareDownload::Outcome LastOutcome() const { return m_LastOutcome; }
    /// Called after every engine step while a download runs (tests watch the caption).
    void SetStepHook(std::function<void()> hook) { m_StepHook = std::move(hook); }

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ApplyLabels();
    void ShowProgress(const NewDownloadProgress& progress);
    void AfterRun(NewFirmwareDownload::Outcome outcome, NewArea areaAfter);

    FirmwareToolContext& m_Ctx;
    std::string m_Path;
    std::string m_FileName;
    bool m_Busy = false;
    int m_ShownPosition = -1;
    int m_ShownRange = -1;
    NewFirmwareDownload::Outcome m_LastOutcome = NewFirmwareDownload::Outcome::None;
    std::function<void()> m_StepHook;

    QLineEdit* m_PathEdit;
    QPushButton* m_FileOpenButton;
    QGroupBox* m_DeviceBox;
    QLabel* m_DeviceLabel;
    QGroupBox* m_AreaBox;
    QButtonGroup* m_Areas;
    QGroupBox* m_InfoBox;
    QLabel* m_LayoutLabel;
    QLabel* m_ChecksumLabel;
    QLineEdit* m_ChecksumEdit;
    QLabel* m_FileSizeLabel;
    QLineEdit* m_FileSizeEdit;
    QLabel* m_BytesLabel;
    QProgressBar* m_Progress;
    QPushButton* m_DownloadButton;
    QPushButton* m_ExitButton;
};

}  // namespace korva::firmware::ui
