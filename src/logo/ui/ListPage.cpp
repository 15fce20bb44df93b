#include "logo/ui/ListPage.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

#include "logo/LogoList.h"
#include "logo/ui/LogoListCtrl.h"

namespace korva::logo::ui {

ListPage::ListPage(LogoToolContext& context, LabelPage page, bool withCentreBoxes, QWidget* parent)
    : LogoPage(parent),
      m_Ctx(context),
      m_LabelPage(page),
      m_ListLabel(new QLabel(this)),
      m_List(new CLogoListCtrl(withCentreBoxes, this)),
      m_CountLabel(new QLabel(this)),
      m_Count(new QLineEdit(this)),
      m_SizeLabel(new QLabel(this)),
      m_Size(new QLineEdit(this)) {
    m_Count->setReadOnly(true);
    m_Size->setReadOnly(true);
    SetLabel(m_ListLabel, page, "&Bitmap List", m_List);
    SetLabel(m_CountLabel, page, "Number of Image Files", m_Count);
    SetLabel(m_SizeLabel, page, "Total Image File Size", m_Size);
    connect(m_List, &CLogoListCtrl::columnClicked, this, &ListPage::OnColumnClicked);
}

QGridLayout* ListPage::TextsLayout() {
    auto* texts = new QGridLayout;
    texts->addWidget(m_CountLabel, 0, 0);
    texts->addWidget(m_Count, 0, 1);
    texts->addWidget(m_SizeLabel, 1, 0);
    texts->addWidget(m_Size, 1, 1);
    texts->setColumnStretch(1, 1);
    return texts;
}

void ListPage::Refill() {
    const LogoList& list = m_Ctx.list;
    std::vector<LogoRow> rows;
    rows.reserve(list.entries.size());
    for (size_t i = 0; i < list.entries.size(); ++i) {
        const LogoEntry& entry = list.entries[i];
        rows.push_back({QString::fromStdString(entry.number), QString::fromStdString(entry.name),
                        QString::fromStdString(entry.size), static_cast<int>(i), entry.centerAlign});
    }
    m_List->Fill(rows);
    m_List->SortRows(CLogoListCtrl::kColCheck, true);
}

void ListPage::ShowTexts() {
    m_Count->setText(QString::fromStdString(m_Ctx.list.countText));
    m_Size->setText(QString::fromStdString(m_Ctx.list.sizeText));
}

void ListPage::FirstDisplay() {
    if (m_FirstShown) return;
    m_FirstShown = true;
    LogoList& list = m_Ctx.list;
    if (!list.loadedFlag) {
        list.ShowZeroTexts();
        list.totalBytes = 0;
        list.loadedFlag = true;
    }
    ShowTexts();
}

void ListPage::SelectRememberedRow() {
    const int row = m_Ctx.list.selectedRow;
    if (row < 0 || row >= m_List->RowCount()) return;
    m_List->SelectRow(row);
    m_List->setFocus();
}

void ListPage::OnColumnClicked(int column) {
    Refill();
    m_Ctx.list.selectedRow = -1;
    m_List->SortRows(column, m_List->SortAscending());
}

}  // namespace korva::logo::ui
