#include "logo/ui/LogoListCtrl.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QFontMetrics>
#include <QStyle>

#include "logo/ui/UiTestEnv.h"

using korva::logo::ui::CellText;
using korva::logo::ui::CLogoListCtrl;
using korva::logo::ui::LogoRow;

namespace {

std::vector<LogoRow> ThreeLogos() {
    return {{"  1", "zeta.bmp", "           2600", 0, true},
            {"  2", "Alpha.bmp", "            416", 1, false},
            {"  3", "beta.bmp", "          10400", 2, true}};
}

std::vector<std::string> Names(const CLogoListCtrl& list) {
    std::vector<std::string> names;
    for (int row = 0; row < list.RowCount(); ++row)
        names.push_back(list.TextAt(row, CLogoListCtrl::kColName).toStdString());
    return names;
}

}  // namespace

class LogoListCtrlTest : public ::testing::Test {
protected:
    void SetUp() override { korva::test::TestApp(); }
};

TEST_F(LogoListCtrlTest, HeaderClicksFlipOnlyForTheSameColumn) {
    CLogoListCtrl list(true);
    list.Fill(ThreeLogos());
    EXPECT_EQ(list.SortColumn(), 0);
    EXPECT_FALSE(list.SortAscending());

    list.ClickColumn(CLogoListCtrl::kColName);  // another column: direction stays descending
    list.SortRows(list.SortColumn(), list.SortAscending());
    EXPECT_EQ(Names(list), (std::vector<std::string>{"zeta.bmp", "beta.bmp", "Alpha.bmp"}));

    list.ClickColumn(CLogoListCtrl::kColName);  // same column: ascending, case ignored
    list.SortRows(list.SortColumn(), list.SortAscending());
    EXPECT_EQ(Names(list), (std::vector<std::string>{"Alpha.bmp", "beta.bmp", "zeta.bmp"}));

    list.ClickColumn(CLogoListCtrl::kColSize);  // next column keeps ascending, by value
    list.SortRows(list.SortColumn(), list.SortAscending());
    EXPECT_TRUE(list.SortAscending());
    EXPECT_EQ(Names(list), (std::vector<std::string>{"Alpha.bmp", "zeta.bmp", "beta.bmp"}));
}

TEST_F(LogoListCtrlTest, CentreBoxesTravelWithTheirLogosWhenSorted) {
    CLogoListCtrl list(true);
    list.Fill(ThreeLogos());
    list.SortRows(CLogoListCtrl::kColName, true);
    for (int row = 0; row < list.RowCount(); ++row) {
        const bool expected = list.EntryAt(row) != 1;  // entries 0 and 2 are ticked
        EXPECT_EQ(list.IsCentreChecked(row), expected) << "row " << row;
    }
    // Sorting by the box column keeps the stored order in both directions.
    list.Fill(ThreeLogos());
    list.SortRows(CLogoListCtrl::kColCheck, false);
    EXPECT_EQ(Names(list), (std::vector<std::string>{"zeta.bmp", "Alpha.bmp", "beta.bmp"}));
}

TEST_F(LogoListCtrlTest, CentreBoxesOfNeighbouringRowsDoNotTouch) {
    CLogoListCtrl list(true);
    list.resize(400, 200);
    list.show();
    list.Fill(ThreeLogos());
    const int box = list.style()->pixelMetric(QStyle::PM_IndicatorHeight);
    const QRect first = list.visualItemRect(list.topLevelItem(0));
    const QRect second = list.visualItemRect(list.topLevelItem(1));
    EXPECT_GE(second.top() - first.top() - box, 4) << "row height " << first.height() << ", box " << box;
}

TEST_F(LogoListCtrlTest, TickingReportsTheEntryNotTheRow) {
    CLogoListCtrl list(true);
    list.Fill(ThreeLogos());
    list.SortRows(CLogoListCtrl::kColName, true);  // entry 1 (Alpha) is now row 0
    std::vector<std::pair<int, bool>> toggled;
    QObject::connect(&list, &CLogoListCtrl::centreToggled,
                     [&](int entry, bool checked) { toggled.emplace_back(entry, checked); });
    list.SetCentreChecked(0, true);
    EXPECT_EQ(toggled, (std::vector<std::pair<int, bool>>{{1, true}}));
    // Filling does not count as the user's ticking.
    list.Fill(ThreeLogos());
    EXPECT_EQ(toggled.size(), 1u);
}

TEST_F(LogoListCtrlTest, PreviewStyleListHasNoBoxesAndOneSelection) {
    CLogoListCtrl list(false);
    list.Fill(ThreeLogos());
    EXPECT_TRUE(list.isColumnHidden(CLogoListCtrl::kColCheck));
    EXPECT_FALSE(list.topLevelItem(0)->flags() & Qt::ItemIsUserCheckable);
    EXPECT_EQ(list.selectionMode(), QAbstractItemView::SingleSelection);
    list.SelectRow(2);
    EXPECT_EQ(list.SelectedRows(), std::vector<int>{2});
    EXPECT_EQ(list.LogoNumberAt(2), 3);
    list.SelectRow(-1);
    EXPECT_TRUE(list.SelectedRows().empty());
}

TEST_F(LogoListCtrlTest, EveryRowBoxHasAnAccessibleName) {
    CLogoListCtrl list(true);
    list.Fill(ThreeLogos());
    list.show();
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(&list);
    ASSERT_NE(table, nullptr);
    ASSERT_NE(table->tableInterface(), nullptr);
    QAccessibleInterface* cell = table->tableInterface()->cellAt(1, CLogoListCtrl::kColCheck);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->text(QAccessible::Name), "Auto center align logo 2");
    EXPECT_TRUE(cell->state().checkable);
}

TEST_F(LogoListCtrlTest, LongTextsEndInDotsAndNarrowCellsShowNothing) {
    const QFontMetrics metrics(QApplication::font());
    const QString name = "a_rather_long_logo_file_name.bmp";
    const int full = metrics.horizontalAdvance(name);
    EXPECT_EQ(CellText(name, metrics, full + 12), name);
    const QString shortened = CellText(name, metrics, full / 2 + 12);
    EXPECT_TRUE(shortened.endsWith("...")) << shortened.toStdString();
    EXPECT_TRUE(name.startsWith(shortened.chopped(3)));
    EXPECT_LE(metrics.horizontalAdvance(shortened), full / 2);
    EXPECT_TRUE(CellText(name, metrics, 14 + 12).isEmpty());
    EXPECT_FALSE(CellText(name, metrics, 15 + 12).isEmpty());

    // Sizes of six digits, padded "%15d" (gray printing) or "%d", show whole in the Size column.
    CLogoListCtrl list(true);
    const QFontMetrics listMetrics = list.fontMetrics();
    for (const char* size : {"          28800", "         393216", "393216", "         1572864"}) {
        SCOPED_TRACE(size);
        const QString shown = CellText(size, listMetrics, list.columnWidth(CLogoListCtrl::kColSize));
        const QString digits = QString::fromLatin1(size).trimmed();
        if (digits.size() <= 6) {
            EXPECT_EQ(shown.trimmed(), digits);
        }
        EXPECT_LE(listMetrics.horizontalAdvance(shown), list.columnWidth(CLogoListCtrl::kColSize) - 12);
    }
}
