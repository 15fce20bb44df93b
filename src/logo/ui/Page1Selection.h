#pragma once
#include <memory>

#include "logo/LogoListServices.h"

#include "logo/ui/ListPage.h"

class QPushButton;

namespace korva::logo {
class LogoListEditor;
}

namespace korva::logo::ui {

/// The bitmap selection page: adds files to the logo list (several at a
/// time), removes them, starts again from the profile, and marks the logos
/// to be centred.
class CPage1Selection : public ListPage {
    Q_OBJECT
public:
    explicit CPage1Selection(LogoToolContext& context, QWidget* parent = nullptr);
    ~CPage1Selection() override;

    QString Caption() const override { return QStringLiteral("Bitmap Selection"); }
    QString HelpTopic() const override { return QStringLiteral("Bitmap Selection"); }
    void OnSetActive() override;
    bool OnKillActive() override;

    QPushButton* OpenButton() const { return m_Open; }
    QPushButton* RemoveButton() const { return m_Remove; }
    QPushButton* ResetButton() const { return m_Reset; }

    void OnOpenFile();
    void OnRemove();
    void OnReset();

private:
    void OnSelectionChanged();
    void OnCentreToggled(int entry, bool checked);
    void ShowListAgain();

    LogoNoticeBatch m_Notices;  ///< before the editor, which tells it of refusals
    std::unique_ptr<LogoListEditor> m_Editor;
    std::vector<int> m_SelectedRows;
    QPushButton* m_Open;
    QPushButton* m_Remove;
    QPushButton* m_Reset;
};

}  // namespace korva::logo::ui
