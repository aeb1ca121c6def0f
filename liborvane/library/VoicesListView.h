// The patch list: the right-hand pane of a library view, showing the
// children of the node selected in the folder tree.
//
// For a folder it lists the child nodes, for a patch group the group's rows,
// one per slot (empty ones included). Everything it shows is read from the
// node and its dumps when the table asks, for the rows on screen (ListView),
// so a group of 100,000 patches opens at the cost of one screenful, and any
// change to the library shows at the next updateContents() (the library
// view's updateView after every change).
//
// The rows of a bank group are coloured by the document's dependencies:
// with colouring on, a patch others use (a child) in Color1, one that uses
// others (a parent) in Color2, one that is both in Color3; an empty slot is
// grey. Its tip lists every patch it uses and every patch using it.
//
// Sorting (by name, category or comment) moves the dumps of a group; in a
// bank group the patches that use a moved program are pointed at its new
// row, as with every move of bank programs.
//
// Editing the list (renaming in place, new, delete, copy and paste, swap,
// drag and drop) lives in a file of its own beside this one and works
// through the same accessors.
//
// The library and the dependency options are not owned. GUI thread only.
#pragma once

#include "Containers.h"
#include "ListView.h"
#include "Patch.h"

class BankPatchGroup;
class Library;
class LibraryView;
class MidiDevice;
class PatchDump;
class PatchGroup;
class TypePatchGroup;
struct DependencyOptions;

class VoicesListView : public ListView
{
    Q_OBJECT

public:
    // The columns of a group's rows.
    enum Column
    {
        NameColumn = 0,
        NumberColumn = 1,
        CategoryColumn = 2,
        CommentColumn = 3
    };

    VoicesListView(QWidget* parent, DependencyOptions* options);
    ~VoicesListView() override;

    // --- what is shown -------------------------------------------------------
    // Shows the node's children from the first row on, the caret on row 0.
    void setLibrary(Library* library);
    Library* library() const { return m_library; }
    // The shown node when it is a group of that kind; else null.
    BankPatchGroup* bankPatchGroup() const;
    TypePatchGroup* typePatchGroup() const;
    PatchGroup* patchGroup() const;
    // The library view holding the list (its parent); null outside one.
    LibraryView* view() const;
    MidiDevice* device() const;
    DependencyOptions* dependencyOptions() const { return m_options; }

    // The dump at a row of the shown group; null for a folder or a row
    // outside the group.
    PatchDump* patchDumpAt(int row) const;
    PatchDump* currentDump() const;
    // The instrument patch of a bank group's row; invalid elsewhere.
    Patch patchAt(int row) const;

    // The selected rows holding a dump, in the order the view reports them;
    // without all, only those whose dump holds a patch.
    ints selectedItems(bool all) const;
    Vector<PatchDump*> selectedPatchDumps(bool all) const;
    // At least one / more than one patch is selected.
    bool validPatchSelected() const;
    bool validPatchesSelected() const;

    // --- the table's hooks ----------------------------------------------------------
    int rows() override;
    int columns() override;
    QString headerText(int column) override;
    int headerWidth(int column) override;
    int itemFlags(int row, int column) override;
    QString itemText(int row, int column) override;
    QColor itemColor(int row, int column) override;
    QString itemTip(int row) override;
    int itemIconIndex(int row) override;
    // Groups sort on every column but the number; folders do not sort.
    bool enableSort(int column) override;

    // --- sorting ---------------------------------------------------------------
    // Sorts the whole group by the column; the document is marked modified.
    void sort(int column, bool ascending) override;
    // Sorts the patches of the selected rows among those rows, ascending:
    // the rows keep their places, the first of them taking the first patch
    // in the column's order. Nothing happens, and nothing is marked, with
    // no row selected.
    void sortSelected(int column);

private:
    // Puts the group's dumps in the given order (a permutation of its rows)
    // and points the users of moved bank programs at their new rows; then
    // marks the document changed.
    void applyOrder(PatchGroup* group, const QList<PatchDump*>& order);

    Library* m_library = nullptr;
    DependencyOptions* m_options = nullptr;
};
