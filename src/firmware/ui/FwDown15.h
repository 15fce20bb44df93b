#pragma once
#include <QDialog>
#include <functional>
#include <string>

#include "firmware/OldDownload.h"
#include "firmware/ui/FirmwareToolContext.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace korva::firmware::ui {

/// "KorvaTool : KORVA10 Firmware Download": pick a raw image file and an
/// area; OK erases the area and writes it block by block, paced by the
/// printer's answers (on a parallel port 50 ms apart). The caption tells the
/// stage; CANCEL stops at any time and closes the window.
class CFwDown15 : public QDialog {
    Q_OBJECT
public:
    explicit CFwDown15(FirmwareToolContext& context, QWidget* parent = nullptr);
    ~CFwDown15() override;

    void OnOpen();
    void OnOk();

    QLineEdit* PathEdit() const { return m_PathEdit; }
    QLineEdit* FileNameEdit() const { return m_FileNameEdit; }
    QPushButton* OpenButton() const { return m_OpenButton; }
    QPushButton* OkButton() const { return m_OkButton; }
    QPushButton* CancelButton() const { return m_CancelButton; }
    QRadioButton* AreaButton(OldArea area) const;
    QProgressBar* ProgressBar() const { return m_Progress; }
    OldArea SelectedArea() const;
    bool IsBusy() const { return m_Engine != nullptr; }
    OldFirmwareDownload::Outcome LastOutcome() const { return m_LastOutcome; }
    /// Called after every engine step (tests watch the caption, or cancel).
    void SetStepHook(std::function<void()> hook) { m_StepHook = std::move(hook); }

public slots:
    void reject() override;

private:
    void ApplyLabels();

    FirmwareToolContext& m_Ctx;
    std::string m_Path;
    std::string m_FileName;
    OldFirmwareDownload* m_Engine = nullptr;  ///< the run under way
    bool m_CloseAfterRun = false;
    OldFirmwareDownload::Outcome m_LastOutcome = OldFirmwareDownload::Outcome::None;
    std::function<void()> m_StepHook;

    QLineEdit* m_PathEdit;
    QLineEdit* m_FileNameEdit;
    QPushButton* m_OpenButton;
    QGroupBox* m_AreaBox;
    QButtonGroup* m_Areas;
    QGroupBox* m_DeviceBox;
    QLabel* m_DeviceLabel;
    QProgressBar* m_Progress;
    QPushButton* m_OkButton;
    QPushButton* m_CancelButton;
};

}  // namespace korva::firmware::ui
