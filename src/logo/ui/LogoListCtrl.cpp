#include "logo/ui/LogoListCtrl.h"

#include <QApplication>
#include <QHeaderView>
#include <QFontMetrics>
#include <QStyle>
#include <QStyledItemDelegate>
#include <algorithm>

namespace korva::logo::ui {

namespace {

constexpr int kEntryRole = Qt::UserRole + 1;

// Rows compare by the text of the sort column without regard to case; the
// number and size columns compare by value, which is the same order while
// their texts are padded and stays right once sizes lose their padding.
class LogoItem : public QTreeWidgetItem {
public:
    using QTreeWidgetItem::QTreeWidgetItem;

    bool operator<(const QTreeWidgetItem& other) const override {
        const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
        const QString mine = text(column);
        const QString theirs = other.text(column);
        if (column == CLogoListCtrl::kColNumber || column == CLogoListCtrl::kColSize) {
            bool okMine = false;
            bool okTheirs = false;
            const qlonglong a = mine.trimmed().toLongLong(&okMine);
            const qlonglong b = theirs.trimmed().toLongLong(&okTheirs);
            if (okMine && okTheirs) return a < b;
        }
        return mine.compare(theirs, Qt::CaseInsensitive) < 0;
    }
};

// Draws cell texts as CellText gives them.
class CellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.column() != CLogoListCtrl::kColCheck)
            option->text = CellText(option->text, option->fontMetrics, option->rect.width());
    }

    // Rows a little taller than a check box, so the boxes of neighbouring rows never touch.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
        size.setHeight(std::max(size.height(), style->pixelMetric(QStyle::PM_IndicatorHeight) + kRowGap));
        return size;
    }

    static constexpr int kRowGap = 6;
};

constexpr int kCellMargin = 6;
constexpr int kNarrowestText = 14;

}  // namespace

QString CellText(const QString& text, const QFontMetrics& metrics, int width) {
    const int space = width - 2 * kCellMargin;
    if (metrics.horizontalAdvance(text) <= space) return text;
    // The padding in front of a right-aligned number ("%15d") goes before any digit does.
    qsizetype lead = 0;
    while (lead < text.size() && text[lead] == QLatin1Char(' ')) ++lead;
    const QString bare = text.mid(lead);
    if (metrics.horizontalAdvance(bare) <= space) return bare;
    if (space <= kNarrowestText) return {};
    // Shortened from the end until the rest and "..." fit.
    const QString dots = QStringLiteral("...");
    QString shown = bare;
    while (!shown.isEmpty() && metrics.horizontalAdvance(shown + dots) > space) shown.chop(1);
    return shown + dots;
}

CLogoListCtrl::CLogoListCtrl(bool withCentreBoxes, QWidget* parent)
    : QTreeWidget(parent), m_WithCentreBoxes(withCentreBoxes) {
    setColumnCount(4);
    setHeaderLabels({QStringLiteral(" "), QStringLiteral("   No."), QStringLiteral("Name"),
                     QStringLiteral("Size")});
    headerItem()->setTextAlignment(kColCheck, Qt::AlignCenter);
    headerItem()->setTextAlignment(kColNumber, Qt::AlignCenter);
    headerItem()->setTextAlignment(kColName, Qt::AlignLeft | Qt::AlignVCenter);
    headerItem()->setTextAlignment(kColSize, Qt::AlignRight | Qt::AlignVCenter);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setTextElideMode(Qt::ElideRight);
    setSelectionMode(withCentreBoxes ? QAbstractItemView::ExtendedSelection
                                     : QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);

    QHeaderView* head = header();
    head->setStretchLastSection(false);
    head->setSectionsClickable(true);
    head->setSortIndicatorShown(true);
    head->setSectionResizeMode(kColCheck, QHeaderView::Fixed);
    head->setSectionResizeMode(kColNumber, QHeaderView::Fixed);
    head->setSectionResizeMode(kColName, QHeaderView::Stretch);
    head->setSectionResizeMode(kColSize, QHeaderView::Fixed);
    const int box = style()->pixelMetric(QStyle::PM_IndicatorWidth) + 10;
    setColumnWidth(kColCheck, std::max(17, box));
    setColumnWidth(kColNumber, 50);
    // Room for a six-digit size and its margins in any font (86 pixels at least).
    setColumnWidth(kColSize, std::max(86, fontMetrics().horizontalAdvance(QStringLiteral("0000000")) +
                                              2 * kCellMargin));
    setColumnHidden(kColCheck, !withCentreBoxes);
    head->setMinimumSectionSize(0);

    setItemDelegate(new CellDelegate(this));
    connect(this, &QTreeWidget::itemChanged, this, &CLogoListCtrl::OnItemChanged);
    connect(head, &QHeaderView::sectionClicked, this, [this](int column) {
        ClickColumn(column);
        emit columnClicked(column);
    });
}

void CLogoListCtrl::Fill(const std::vector<LogoRow>& rows) {
    m_Filling = true;
    clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(rows.size()));
    for (const LogoRow& row : rows) {
        auto* item = new LogoItem(QStringList{QStringLiteral(" "), row.number, row.name, row.size});
        item->setData(kColCheck, kEntryRole, row.entry);
        item->setTextAlignment(kColCheck, Qt::AlignCenter);
        item->setTextAlignment(kColNumber, Qt::AlignCenter);
        item->setTextAlignment(kColName, Qt::AlignLeft | Qt::AlignVCenter);
        item->setTextAlignment(kColSize, Qt::AlignRight | Qt::AlignVCenter);
        item->setToolTip(kColName, row.name);
        if (!m_WithCentreBoxes) {
            item->setFlags(item->flags() & ~Qt::ItemIsUserCheckable);
        } else {
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(kColCheck, row.centre ? Qt::Checked : Qt::Unchecked);
            item->setData(kColCheck, Qt::AccessibleTextRole,
                          QStringLiteral("Auto center align logo %1").arg(row.number.trimmed()));
        }
        items.append(item);
    }
    addTopLevelItems(items);
    m_Filling = false;
}

void CLogoListCtrl::SortRows(int column, bool ascending) {
    sortItems(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void CLogoListCtrl::ClickColumn(int column) {
    if (column == m_SortColumn)
        m_SortAscending = !m_SortAscending;
    else
        m_SortColumn = column;
}

int CLogoListCtrl::EntryAt(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->data(kColCheck, kEntryRole).toInt() : -1;
}

int CLogoListCtrl::LogoNumberAt(int row) const { return TextAt(row, kColNumber).trimmed().toInt(); }

QString CLogoListCtrl::TextAt(int row, int column) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->text(column) : QString();
}

bool CLogoListCtrl::IsCentreChecked(int row) const {
    const QTreeWidgetItem* item = topLevelItem(row);
    return item && item->checkState(kColCheck) == Qt::Checked;
}

void CLogoListCtrl::SetCentreChecked(int row, bool checked) {
    if (QTreeWidgetItem* item = topLevelItem(row))
        item->setCheckState(kColCheck, checked ? Qt::Checked : Qt::Unchecked);
}

std::vector<int> CLogoListCtrl::SelectedRows() const {
    std::vector<int> rows;
    for (int row = 0; row < topLevelItemCount(); ++row) {
        if (topLevelItem(row)->isSelected()) rows.push_back(row);
    }
    return rows;
}

void CLogoListCtrl::SelectRow(int row) {
    clearSelection();
    QTreeWidgetItem* item = topLevelItem(row);
    if (!item) return;
    setCurrentItem(item);
    item->setSelected(true);
    scrollToItem(item);
}

void CLogoListCtrl::OnItemChanged(QTreeWidgetItem* item, int column) {
    if (m_Filling || column != kColCheck || !m_WithCentreBoxes) return;
    emit centreToggled(item->data(kColCheck, kEntryRole).toInt(),
                       item->checkState(kColCheck) == Qt::Checked);
}

}  // namespace korva::logo::ui
