#pragma once
#include <QDialog>
#include <vector>

class QDialogButtonBox;
class QPushButton;
class QTabWidget;

namespace korva::logo::ui {

class LogoPage;

/// The logo tool: a modal sheet of pages (selection, preview, upload,
/// printing, setup) with Close, Cancel, Apply and Help below them.
class CMyProperty : public QDialog {
    Q_OBJECT
public:
    explicit CMyProperty(QWidget* parent = nullptr);

    /// Appends a page; the sheet takes ownership.
    void AddPage(LogoPage* page);
    /// The page shown when the sheet opens.
    void SetStartPage(int index) { m_StartPage = index; }

    int PageCount() const { return static_cast<int>(m_Pages.size()); }
    LogoPage* Page(int index) const { return m_Pages.at(static_cast<size_t>(index)); }
    int ActiveIndex() const { return m_Active; }
    LogoPage* ActivePage() const { return m_Active < 0 ? nullptr : Page(m_Active); }
    /// Switches pages as a tab click does: the current page may refuse.
    bool SetActivePage(int index);

    QTabWidget* Tabs() const { return m_Tabs; }
    QPushButton* CloseButton() const { return m_Close; }
    QPushButton* CancelButton() const { return m_Cancel; }
    QPushButton* ApplyButton() const { return m_Apply; }
    QPushButton* HelpButton() const { return m_Help; }

    /// What the setup page does when first shown: "Close", a disabled
    /// "Cancel", an enabled "Apply", no Help button, the program's icon.
    void SetupButtons();

    /// While a page talks to the printer the other pages, the sheet's buttons
    /// and closing are held off; the page itself stays live.
    void SetBusy(bool busy);
    bool IsBusy() const { return m_Busy; }

    /// Close (and the close box or Escape): the current page is left first;
    /// when it refuses the sheet stays open.
    void reject() override;
    void accept() override;

signals:
    /// F1 or Help: the topic of the page that is shown.
    void helpRequested(const QString& topic);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnTabChanged(int index);
    void OnApplyClicked();
    void RequestHelp();

    QTabWidget* m_Tabs;
    QDialogButtonBox* m_Buttons;
    QPushButton* m_Close;
    QPushButton* m_Cancel;
    QPushButton* m_Apply;
    QPushButton* m_Help;
    std::vector<LogoPage*> m_Pages;
    std::vector<bool> m_Activated;  // pages that have been shown; only they take Apply
    int m_StartPage = 0;
    int m_Active = -1;
    bool m_Switching = false;
    bool m_Closing = false;
    bool m_Busy = false;
};

/// Marks the sheet busy for the lifetime of the object (nothing without a sheet).
class BusySheet {
public:
    explicit BusySheet(CMyProperty* sheet) : m_Sheet(sheet) {
        if (m_Sheet) m_Sheet->SetBusy(true);
    }
    ~BusySheet() {
        if (m_Sheet) m_Sheet->SetBusy(false);
    }
    BusySheet(const BusySheet&) = delete;
    BusySheet& operator=(const BusySheet&) = delete;

private:
    CMyProperty* m_Sheet;
};

}  // namespace korva::logo::ui
