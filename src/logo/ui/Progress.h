#pragma once
#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

namespace korva::logo::ui {

/// The small progress window of a long logo operation ("Uploading",
/// "Printing"): a status line, a progress bar and Cancel. It only shows what
/// the running operation reports; Cancel asks the operation to stop, and the
/// window closes when the operation says it has finished.
class CProgress : public QDialog {
    Q_OBJECT
public:
    CProgress(const QString& title, const QString& status, QWidget* parent = nullptr);

    void SetStatus(const QString& status);
    void SetRange(int maximum);
    void SetPosition(int position);

    QString Status() const;
    int Position() const;
    int Maximum() const;
    bool CancelRequested() const { return m_CancelRequested; }
    QPushButton* CancelButton() const { return m_Cancel; }

    /// Cancel, Escape and the close box: ask once, keep showing progress
    /// until the operation ends between two of its steps.
    void reject() override;

signals:
    void cancelRequested();

private:
    QLabel* m_Status;
    QProgressBar* m_Bar;
    QPushButton* m_Cancel;
    bool m_CancelRequested = false;
};

}  // namespace korva::logo::ui
