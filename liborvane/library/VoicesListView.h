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
// Editing the list (renaming in place, new, initialise, delete, paste and
// swap, drag and drop, program change) lives in VoicesListEdit.cpp; the
// starts of the transfers with the instrument in LibraryViewTransfers.cpp.
// Every edit ends alike: the library view is marked modified, undoCheck()
// records the step, updateView() rebuilds the dependencies and refreshes.
//
// The library and the dependency options are not owned. GUI thread only.
#pragma once

#include "Containers.h"
#include "ListView.h"
#include "Patch.h"

#include <functional>

class BankPatchGroup;
class Library;
class PatchClipboard;
class LibraryView;
class MidiDevice;
class PatchDump;
class PatchGroup;
class TypePatchGroup;
struct DependencyOptions;

// The command a patch list posts to its main window for a context menu on a
// patch group's rows: an id no command of a program's table takes.
extern const int cmdPatchContextMenu;

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

    // --- editing (VoicesListEdit.cpp) ---------------------------------------------------
    // The cell editor: the category list for a group's category, a line edit
    // for the others.
    QWidget* createEditor(QWidget* parent, int column) override;
    // Return: edits a cell outside the name column; on a name sends the
    // patch to the instrument's edit buffer; in a folder opens the row's
    // node.
    void onEnter() override;
    // Shows the parent of the shown node.
    void onBack() override;

    // Appends a new initial patch to a type group and opens its name.
    void newPatch();
    // Gives the selected rows (empty slots too) the instrument's initial
    // patch of their kind.
    void initSelectedPatches();
    // Asks "Delete", then empties the selected patches; a type group drops
    // their rows, a bank group keeps its slots empty.
    void deleteSelectedPatches();

    // Pastes the clipboard's patches at the caret (swap: exchanges them with
    // the rows there; see the paste engine).
    void pastePatches(PatchClipboard& clipboard, bool swap);
    // The paste engine. The patches come from srcGroup's rows (their
    // contents now) when dumps is null, else from dumps, one per row of
    // rows; srcGroup is null when its view has closed, patchType then names
    // the patches' kind (-1: take it from srcGroup). at: the first target
    // row; -1 is the first slot of a bank group, the end of a type group. A
    // bank group is overwritten from at on (what does not fit is left out),
    // a type group gets the patches inserted. Child patches of bank
    // patches come along into their own slots as the options say (never
    // from the same view). swap (bank groups of one view): the source rows
    // take the target rows' patches first; a swap whose rows overlap the
    // target rows is refused. Nothing happens for a folder or another kind
    // of patch.
    void pastePatches(LibraryView* srcView, PatchGroup* srcGroup, VectorEx<PatchDump*>* dumps, ints* rows,
                      int at, bool swap, int patchType = -1);
    // The selected rows of this list dropped on row as a move: they stand
    // together from row on (the users of moved bank programs follow them).
    void onDropMove(int row) override;
    // The selected rows of source (a patch list) dropped on row as a copy.
    void onDropCopy(int row, QWidget* source) override;

    // Calls up the caret's patch on the instrument (its bank's mode first).
    void sendProgramChange();
    // Opens "Patch Properties" for the selected patches and applies what
    // was changed.
    void selectedPatchesProperties();
    // Searches the selected patches for identical ones (DuplicatePatchesDlg).
    void removeDuplicatePatches();

    // --- transfers (LibraryViewTransfers.cpp) ----------------------------------------------
    void transmitSelectedPatches();
    void receiveSelectedPatches();
    void sendToEditBuffer();
    void receiveFromEditBuffer();

protected:
    void commitData(QWidget* editor) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // The end of every edit: modified, an undo step, the view refreshed
    // (reset: the caret back on row 0).
    void finishEdit(bool reset);
    // Selects count rows from first, alone, and puts the caret on row caret.
    void selectRows(int first, int count, int caret);
    // Calls visit with each selected row, in the order the view reports the
    // selection, until it gives false; false then.
    bool forEachSelectedRow(const std::function<bool(int)>& visit) const;

    // Puts the group's dumps in the given order (a permutation of its rows)
    // and points the users of moved bank programs at their new rows; then
    // marks the document changed.
    void applyOrder(PatchGroup* group, const QList<PatchDump*>& order);

    Library* m_library = nullptr;
    DependencyOptions* m_options = nullptr;
};
