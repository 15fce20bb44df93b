#pragma once
#include <functional>

#include "logo/NvUpload.h"
#include "ui/ElidedLineEdit.h"
#include "logo/ui/ListPage.h"

class QPushButton;

namespace korva::logo::ui {

class CProgress;

/// The upload page: the list as it will be stored, the printer it goes to,
/// and Upload, which stores every listed logo in the printer's NV memory (or
/// erases them all when the list is empty).
class CPage3Upload : public ListPage {
    Q_OBJECT
public:
    explicit CPage3Upload(LogoToolContext& context, QWidget* parent = nullptr);

    QString Caption() const override { return QStringLiteral("Upload"); }
    QString HelpTopic() const override { return QStringLiteral("Upload"); }
    void OnSetActive() override;
    bool OnKillActive() override;

    QPushButton* UploadButton() const { return m_Upload; }
    QLineEdit* PrinterNameEdit() const { return m_PrinterName; }
    korva::ui::ElidedLineEdit* PortNameEdit() const { return m_PortName; }
    /// How the last Upload ended.
    NvUpload::Outcome LastOutcome() const { return m_LastOutcome; }

    void OnUpload();
    /// Lets a test act on the "Uploading" window once it is up.
    void SetProgressHook(std::function<void(CProgress&)> hook) { m_ProgressHook = std::move(hook); }

private:
    void OnSelectionChanged();
    void ShowPrinterDetails();

    QPushButton* m_Upload;
    QLineEdit* m_PrinterName;
    korva::ui::ElidedLineEdit* m_PortName;
    NvUpload::Outcome m_LastOutcome = NvUpload::Outcome::None;
    std::function<void(CProgress&)> m_ProgressHook;
};

}  // namespace korva::logo::ui
