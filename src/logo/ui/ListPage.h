#pragma once
#include "logo/ui/LogoLabels.h"
#include "logo/ui/LogoPage.h"
#include "logo/ui/LogoToolContext.h"

class QGridLayout;
class QLabel;
class QLineEdit;

namespace korva::logo::ui {

class CLogoListCtrl;

/// What the selection, preview and upload pages share: the logo list shown
/// in a CLogoListCtrl under "&Bitmap List", the count and size texts, the
/// column sorting and the remembered row.
class ListPage : public LogoPage {
    Q_OBJECT
public:
    /// Which list page is active; the preview takes a selection as the user's
    /// only while it is the active page.
    enum Marker { kMarkerSelection = 0, kMarkerPreview = 1, kMarkerUpload = 2 };

    CLogoListCtrl* List() const { return m_List; }
    QLineEdit* CountEdit() const { return m_Count; }
    QLineEdit* SizeEdit() const { return m_Size; }

protected:
    ListPage(LogoToolContext& context, LabelPage page, bool withCentreBoxes, QWidget* parent);

    /// Rows from the list in stored order (centre boxes from the entries),
    /// then sorted by the box column ascending, which keeps that order.
    void Refill();
    /// Copies the list's count and size texts.
    void ShowTexts();
    /// The first display of a list page: an unfilled list shows zero texts.
    void FirstDisplay();
    /// Selects the remembered row again, if any.
    void SelectRememberedRow();
    /// A header click: refill, forget the row, sort as the header says.
    virtual void OnColumnClicked(int column);

    /// Count and size texts with their labels, laid out for the page.
    QGridLayout* TextsLayout();

    LogoToolContext& m_Ctx;
    LabelPage m_LabelPage;
    bool m_FirstShown = false;
    QLabel* m_ListLabel;
    CLogoListCtrl* m_List;
    QLabel* m_CountLabel;
    QLineEdit* m_Count;
    QLabel* m_SizeLabel;
    QLineEdit* m_Size;
};

}  // namespace korva::logo::ui
