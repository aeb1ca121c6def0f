// A table that asks its owner for everything it shows.
//
// ListView is a QTableView over a model of its own. The model stores nothing:
// each cell's text, colour, icon, tip, check state and flags come from the
// virtual hooks below when Qt asks for them, which it does for the rows on
// screen only. A list of 100,000 rows so costs what its visible rows cost.
// The owner derives from ListView, overrides the hooks, and calls
// updateContents() after its data changed: the model then takes the new row
// and column counts and repaints.
//
// Rows are selected whole (only the cells whose flags say selectable are
// reported by selectedIndexes()); the current cell is the caret. A click on a
// sortable column's header calls sort() with the direction flipped at each
// further click on the same column. A click on a check box calls
// setItemChecked() once. Icons are numbered: 0 a folder, 1 none, then those
// added with addIcon() from 2 on.
//
// GUI thread only.
#pragma once

#include <QColor>
#include <QIcon>
#include <QList>
#include <QTableView>

class ListViewModel;

class ListView : public QTableView
{
    Q_OBJECT

public:
    explicit ListView(QWidget* parent = nullptr);
    ~ListView() override;

    // --- what the list shows (hooks) -------------------------------------------
    virtual int rows() { return 0; }
    virtual int columns() { return 1; }
    virtual QString headerText(int /*column*/) { return QString(); }
    // Pixels; 0 hides the column.
    virtual int headerWidth(int /*column*/) { return 100; }
    // Qt::ItemFlags as a number: selectable 1, editable 2, drag-enabled 4,
    // user-checkable 16, enabled 32.
    virtual int itemFlags(int /*row*/, int /*column*/) { return int(Qt::ItemIsSelectable | Qt::ItemIsEnabled); }
    virtual QString itemText(int /*row*/, int /*column*/) { return QString(); }
    // The text colour; an invalid colour leaves the style's.
    virtual QColor itemColor(int /*row*/, int /*column*/) { return QColor(); }
    // The background; an invalid colour leaves the style's.
    virtual QColor itemBkColor(int /*row*/, int /*column*/) { return QColor(); }
    // The row's tool tip, asked when the pointer rests on it; "" for none.
    virtual QString itemTip(int /*row*/) { return QString(); }
    // Shown in the first column; -1 for none.
    virtual int itemIconIndex(int /*row*/) { return -1; }
    // The check state of a cell whose flags make it user-checkable.
    virtual bool isItemChecked(int /*row*/, int /*column*/) { return false; }
    // One call per click on a check box, value the state the click asks for.
    virtual void setItemChecked(int /*row*/, int /*column*/, bool /*value*/) {}
    // Whether a click on the column's header sorts.
    virtual bool enableSort(int /*column*/) { return false; }
    virtual void sort(int /*column*/, bool /*ascending*/) {}
    // Pixels of every row.
    virtual int rowHeight();

    // --- operations ----------------------------------------------------------
    // Takes the hooks' new counts and repaints. reset: the rows are others
    // now (another node shown, a new table): selection and caret are dropped
    // and the columns take their header widths again. Without it the rows
    // are the same ones, changed: the selection stays on the same row
    // numbers; rows gone from the end drop out of it.
    void updateContents(bool reset);
    // The row of the caret; -1 when there is none.
    int curSel() const;
    int currentRow() const { return curSel(); }
    // Makes the row the only selected one and puts the caret on the cell.
    void setCurSel(int row, int column);
    // Puts the caret on the cell and scrolls it into view; the selection
    // stays.
    void moveCaret(int row, int column);
    void setRowSelected(int row, bool selected);
    // Appends an icon (an image name, "core:..." or a resource path); its
    // index is 2 for the first one added.
    void addIcon(const QString& image);
    QIcon icon(int index) const;

signals:
    // The selected rows changed, by the user or the program.
    void selectionChanged();

protected:
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;

private:
    void onHeaderClicked(int column);
    void applyHeaderWidths();

    ListViewModel* m_model = nullptr;
    QList<QIcon> m_icons;
    int m_sortColumn = -1;
    bool m_sortAscending = true;
};
