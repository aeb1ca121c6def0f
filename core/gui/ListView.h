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
// Editing a cell whose flags make it editable (a double click, F2, or
// editSelectedItem()) opens the editor createEditor() gives, a line edit
// holding the cell's text by default; ending it with Return or by leaving
// it calls commitData(editor), which the owner overrides to store the
// text (the model itself stores nothing). An editor that closes itself (a
// drop-down list that ran) is committed and closed the same way. Return on a cell with no editor
// open calls onEnter(), Backspace onBack().
//
// Rows whose flags make them drag-enabled can be dragged, to this list or
// to another ListView. A drop calls onDropMove(row) when the rows come from
// this list and are moved (no Ctrl held), else onDropCopy(row, source):
// row is the row dropped on, or rows() below the last. The hook runs after
// the drop has ended, from the event loop, so it may ask the user. Nothing
// is removed from the source by the drag itself.
//
// GUI thread only.
#pragma once

#include <QColor>
#include <QIcon>
#include <QList>
#include <QPersistentModelIndex>
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
    // The editor of an editable cell, a child of parent; a line edit here.
    virtual QWidget* createEditor(QWidget* parent, int column);
    // Return on the current cell while no editor is open.
    virtual void onEnter() {}
    // Backspace: back up one level.
    virtual void onBack() {}
    // The selected rows of this list dropped on row as a move.
    virtual void onDropMove(int /*row*/) {}
    // Rows dragged from source (this list or another ListView) dropped on
    // row as a copy; source is null when the list it came from is gone.
    virtual void onDropCopy(int /*row*/, QWidget* /*source*/) {}

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
    // Opens the editor of the caret's row in column, when that cell is
    // editable.
    void editSelectedItem(int column);
    // The cell whose editor is open (or was open last); invalid when none.
    QModelIndex editedIndex() const { return m_edited; }
    // The row a drop at pos (viewport coordinates) lands on: the row under
    // it, rows() below the last.
    int dropRow(const QPoint& pos) const;
    // Appends an icon (an image name, "core:..." or a resource path); its
    // index is 2 for the first one added.
    void addIcon(const QString& image);
    QIcon icon(int index) const;

signals:
    // The selected rows changed, by the user or the program.
    void selectionChanged();

protected:
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override;
    void keyPressEvent(QKeyEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    friend class ListViewDelegate;
    void onHeaderClicked(int column);
    void applyHeaderWidths();
    QWidget* openEditor(QWidget* parent, const QModelIndex& index);

    ListViewModel* m_model = nullptr;
    QList<QIcon> m_icons;
    QPersistentModelIndex m_edited;
    int m_sortColumn = -1;
    bool m_sortAscending = true;
};
