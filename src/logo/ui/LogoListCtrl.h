#pragma once
#include <QString>
#include <QTreeWidget>
#include <vector>

class QFontMetrics;

namespace korva::logo::ui {

/// What a cell shows of its text in `width` pixels: the text; without its
/// leading spaces when only they do not fit; or its start followed by "..."
/// when it does not fit, or nothing when a text that does not fit has 14
/// pixels or less (after a 6-pixel margin on each side).
QString CellText(const QString& text, const QFontMetrics& metrics, int width);

/// One row as the list pages show it.
struct LogoRow {
    QString number;       ///< "%3d"
    QString name;         ///< file name without directory
    QString size;         ///< "%15d", or "%d" after the gray switch
    int entry = -1;       ///< index of the entry in the logo list
    bool centre = false;  ///< the entry's auto-centre flag
};

/// The logo list as a four-column report: a check box per row for the
/// auto-centre option, the logo number, the file name and the NV size. A
/// check box belongs to its row's logo, so sorting moves it with the logo.
class CLogoListCtrl : public QTreeWidget {
    Q_OBJECT
public:
    enum Column { kColCheck = 0, kColNumber = 1, kColName = 2, kColSize = 3 };

    /// `withCentreBoxes`: the selection page shows the check boxes and allows
    /// several selected rows; the preview and upload pages show neither.
    explicit CLogoListCtrl(bool withCentreBoxes, QWidget* parent = nullptr);

    /// Deletes every row and inserts one per entry in the given order.
    void Fill(const std::vector<LogoRow>& rows);
    /// Orders the rows by one column's text without regard to case (the
    /// number and size columns by value); rows that compare equal keep their
    /// order, so sorting by the check box column keeps the stored order.
    void SortRows(int column, bool ascending);

    /// A header click: the same column flips the direction, another column
    /// becomes the sort column with the direction unchanged. Both start at
    /// column 0, descending. Returns nothing; read SortColumn/SortAscending.
    void ClickColumn(int column);
    int SortColumn() const { return m_SortColumn; }
    bool SortAscending() const { return m_SortAscending; }

    int RowCount() const { return topLevelItemCount(); }
    /// The list entry shown in that row, -1 when there is no such row.
    int EntryAt(int row) const;
    int LogoNumberAt(int row) const;
    QString TextAt(int row, int column) const;
    bool IsCentreChecked(int row) const;
    void SetCentreChecked(int row, bool checked);

    /// Selected rows, ascending.
    std::vector<int> SelectedRows() const;
    /// Selects (and focuses) that row alone; -1 clears the selection.
    void SelectRow(int row);

signals:
    /// The user ticked or cleared the box of a row's logo.
    void centreToggled(int entry, bool checked);
    /// A header was clicked (after ClickColumn updated the sort state).
    void columnClicked(int column);

private:
    void OnItemChanged(QTreeWidgetItem* item, int column);

    bool m_WithCentreBoxes;
    bool m_Filling = false;
    int m_SortColumn = 0;
    bool m_SortAscending = false;
};

}  // namespace korva::logo::ui
