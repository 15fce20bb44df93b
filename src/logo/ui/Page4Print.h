#pragma once
#include "ui/ElidedLineEdit.h"
#include "logo/ui/LogoPage.h"
#include "logo/ui/LogoToolContext.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace korva::logo::ui {

class CProgress;

/// "Print Bitmap": prints logos stored in the printer, all 255 or a typed
/// selection of numbers and ranges, at one of four sizes, optionally each
/// under a header line.
class CPage4Print : public LogoPage {
    Q_OBJECT
public:
    explicit CPage4Print(LogoToolContext& context, QWidget* parent = nullptr);

    QString Caption() const override { return QStringLiteral("Print Bitmap"); }
    QString HelpTopic() const override { return QStringLiteral("Logo Printout"); }
    void OnSetActive() override;

    /// Print is offered only for a serial, parallel, USB or Ethernet port, as
    /// the device behind the name turns out to be (`sysRoot`: where sysfs is).
    static bool CanPrintTo(const std::string& portName, const std::string& sysRoot = "/sys");

    QRadioButton* AllButton() const { return m_All; }
    QRadioButton* SelectionButton() const { return m_Selection; }
    QLineEdit* SelectionEdit() const { return m_SelectionText; }
    QRadioButton* SizeButton(int size) const;
    QRadioButton* NoHeaderButton() const { return m_NoHeader; }
    QRadioButton* AddHeaderButton() const { return m_AddHeader; }
    QPushButton* PrintButton() const { return m_Print; }
    QLineEdit* PrinterNameEdit() const { return m_PrinterName; }
    korva::ui::ElidedLineEdit* PortNameEdit() const { return m_PortName; }

    /// Lets a test act on the "Printing" window once it is up.
    void SetProgressHook(std::function<void(CProgress&)> hook) { m_ProgressHook = std::move(hook); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnPrint();

    LogoToolContext& m_Ctx;
    bool m_Shown = false;
    std::function<void(CProgress&)> m_ProgressHook;

    QGroupBox* m_RangeGroup;
    QRadioButton* m_All;
    QRadioButton* m_Selection;
    QLineEdit* m_SelectionText;
    QGroupBox* m_SizeGroup;
    QButtonGroup* m_Sizes;
    QRadioButton* m_SizeButtons[4];
    QGroupBox* m_HeaderGroup;
    QRadioButton* m_NoHeader;
    QRadioButton* m_AddHeader;
    QPushButton* m_Print;
    QGroupBox* m_DetailsGroup;
    QLabel* m_PrinterNameLabel;
    QLineEdit* m_PrinterName;
    QLabel* m_PortNameLabel;
    korva::ui::ElidedLineEdit* m_PortName;
};

}  // namespace korva::logo::ui
