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

    /// Shows the status; a file name after the first "..." that does not fit
    /// the line is shortened in its middle (the full text is the tooltip).
    void SetStatus(const QString& status);
    void SetRange(int maximum);
    void SetPosition(int position);

    QString Status() const { return m_FullStatus; }
    /// The status as the line shows it now.
    QString ShownStatus() const;
    int Position() const;
    int Maximum() const;
    bool CancelRequested() const { return m_CancelRequested; }
    QPushButton* CancelButton() const { return m_Cancel; }

    /// Cancel, Escape and the close box: ask once, show "Cancelling..." and
    /// keep the window until the operation ends between two of its steps.
    void reject() override;

signals:
    void cancelRequested();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void ShowStatus();

    QString m_FullStatus;
    QLabel* m_Status;
    QProgressBar* m_Bar;
    QPushButton* m_Cancel;
    bool m_CancelRequested = false;
};

}  // namespace korva::logo::ui
