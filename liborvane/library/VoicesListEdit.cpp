// Editing the patch list: cells in place, new, initialised and deleted
// patches, the paste engine (clipboard, swap, drag and drop), moves, the
// program change, the properties dialog and duplicates of the selection.
//
// The paste engine reads every patch it copies before it writes any row:
// a copy within one group, or a swap, would otherwise read rows it has
// already overwritten. A swap takes the source rows as they are now (not
// the clipboard's copies, which may be older) and is refused when its two
// ranges share a row. Child patches go into the slots of the same bank and
// program in this library; a child this library has no slot for is left
// out, and so is a child slot the source holds no patch in (it would empty
// a patch here for nothing).
#include "VoicesListView.h"

#include "BanksTreeCtrl.h"
#include "DependencyOptions.h"
#include "DuplicatePatchesDlg.h"
#include "Duplicates.h"
#include "EventMessage.h"
#include "Library.h"
#include "LibraryView.h"
#include "MidiDevice.h"
#include "MidiEdit.h"
#include "MidiParam.h"
#include "PatchClipboard.h"
#include "PatchDump.h"
#include "Prompts.h"
#include "PropertiesDlg.h"
#include "VarArgs.h"
#include "WaitCursor.h"

#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMouseEvent>

#include <algorithm>
#include <memory>
#include <vector>

const int cmdPatchContextMenu = QEvent::registerEventType();

namespace {

// PasteChildren: copy the child patches without asking, or ask.
constexpr int PasteChildrenAlways = 0;
constexpr int PasteChildrenPrompt = 1;

// An own copy of a dump of group, or null for a missing one.
std::unique_ptr<PatchDump> copyOf(PatchDump* dump, PatchGroup* group)
{
    MidiDevice* device = group->device();
    if (!dump || !device)
        return nullptr;
    std::unique_ptr<PatchDump> copy(device->createPatchDump(group->patchType()));
    if (copy)
        copy->copyPatchDump(dump, device);
    return copy;
}

// target takes source's patch and comment; a missing source empties it.
void copyInto(PatchDump* target, PatchDump* source, MidiDevice* device)
{
    if (!target)
        return;
    if (source)
        target->copyPatchDump(source, device);
    else
        target->clear();
}

} // namespace

// Cells ---------------------------------------------------------------------------

QWidget* VoicesListView::createEditor(QWidget* parent, int column)
{
    PatchDump* dump = patchDumpAt(editedIndex().row());
    if (column != CategoryColumn || !dump)
        return ListView::createEditor(parent, column);
    auto* edit = new MidiEdit(parent, device(), true, QStringLiteral("Category"));
    edit->setAttribute(Qt::WA_MacShowFocusRect, false);
    edit->setItems(dump->categorySection(), 0, -1);
    edit->selectTableData(dump->printCategory(true));
    // The list opens at once; once it closes, so does the editor, which
    // stores the choice (ListView).
    edit->asyncDropDown();
    return edit;
}

void VoicesListView::commitData(QWidget* editor)
{
    const QModelIndex cell = editedIndex();
    PatchDump* dump = patchDumpAt(cell.row());
    if (!dump)
        return;
    switch (cell.column()) {
    case NameColumn: {
        const auto* line = qobject_cast<QLineEdit*>(editor);
        if (!line || dump->isEmpty() || line->text() == dump->name(false))
            return;
        dump->setName(line->text());
        break;
    }
    case CategoryColumn: {
        const auto* edit = qobject_cast<MidiEdit*>(editor);
        if (!edit)
            return;
        dump->setCategory(edit->text());
        break;
    }
    case CommentColumn: {
        const auto* line = qobject_cast<QLineEdit*>(editor);
        if (!line || line->text() == dump->comment())
            return;
        dump->setComment(line->text());
        break;
    }
    default:
        return;
    }
    finishEdit(false);
}

// Keys, mouse, context menu ------------------------------------------------------------

void VoicesListView::onEnter()
{
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return;
    if (current.column() != NameColumn) {
        edit(current);
        return;
    }
    if (patchGroup()) {
        sendToEditBuffer();
        return;
    }
    if (LibraryView* libraryView = view()) {
        libraryView->banksTree()->selectChild(current.row());
        setFocus(Qt::OtherFocusReason);
    }
}

void VoicesListView::onBack()
{
    LibraryView* libraryView = view();
    if (!libraryView || !libraryView->banksTree()->canGoUp())
        return;
    libraryView->banksTree()->selectParent();
    setFocus(Qt::OtherFocusReason);
}

void VoicesListView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::XButton1) {
        onBack();
        return;
    }
    ListView::mousePressEvent(event);
}

void VoicesListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::XButton1) {
        onBack();
        return;
    }
    ListView::mouseDoubleClickEvent(event);
}

void VoicesListView::contextMenuEvent(QContextMenuEvent* event)
{
    event->accept();
    if (!patchGroup())
        return;
    LibraryView* libraryView = view();
    PostCommand(libraryView ? libraryView->mdiParent() : window(), cmdPatchContextMenu);
}

// New, initialise, delete ---------------------------------------------------------------

void VoicesListView::newPatch()
{
    TypePatchGroup* group = typePatchGroup();
    MidiDevice* dev = device();
    if (!group || !dev)
        return;
    PatchDump* dump = dev->createPatchDump(group->patchType());
    if (!dump)
        return;
    dump->init();
    group->addPatchDump(dump, -1);
    updateContents(true);
    setCurSel(rows() - 1, 0);
    editSelectedItem(NameColumn);
    finishEdit(false);
}

void VoicesListView::initSelectedPatches()
{
    if (!patchGroup())
        return;
    const ints rows = selectedItems(true);
    if (rows.isEmpty())
        return;
    {
        WaitCursor wait;
        for (int row : rows)
            patchDumpAt(row)->init();
    }
    finishEdit(false);
}

void VoicesListView::deleteSelectedPatches()
{
    PatchGroup* group = patchGroup();
    if (!group)
        return;
    const Vector<PatchDump*> dumps = selectedPatchDumps(false);
    if (dumps.isEmpty())
        return;
    LibraryView* libraryView = view();
    const QString question =
        VarArgs::format(QStringLiteral("Are you sure you want to delete the selected %s?"),
                        strPatches(int(dumps.size()), false));
    if (!yesNo(libraryView ? static_cast<QWidget*>(libraryView) : this, question, QStringLiteral("Delete")))
        return;
    {
        WaitCursor wait;
        for (PatchDump* dump : dumps)
            dump->clear();
        group->removeEmptyPatches();
    }
    finishEdit(group->type() == Library::TypeGroup);
}

// Paste engine -----------------------------------------------------------------------

void VoicesListView::pastePatches(PatchClipboard& clipboard, bool swap)
{
    ints rows = clipboard.positions();
    pastePatches(clipboard.view(), clipboard.patchGroup(), clipboard.dumps(), &rows, curSel(), swap,
                 clipboard.patchType());
}

void VoicesListView::pastePatches(LibraryView* srcView, PatchGroup* srcGroup, VectorEx<PatchDump*>* dumps,
                                  ints* srcRows, int at, bool swap, int patchType)
{
    PatchGroup* target = patchGroup();
    MidiDevice* dev = device();
    LibraryView* ownView = view();
    if (!target || !dev || !srcRows)
        return;
    const int type = srcGroup ? srcGroup->patchType() : patchType;
    if (type != target->patchType())
        return;
    const bool fromClipboard = dumps != nullptr;
    if (!fromClipboard && !srcGroup)
        return;
    BankPatchGroup* bank = bankPatchGroup();
    auto* srcBank =
        srcGroup && srcGroup->type() == Library::BankGroup ? static_cast<BankPatchGroup*>(srcGroup) : nullptr;
    // A swap exchanges rows of two bank groups of this view's document.
    if (swap && (!bank || !srcBank || !srcView || srcView != ownView))
        return;
    if (at < 0)
        at = bank ? 0 : rows();

    // Every patch to copy, read before any row is written.
    std::vector<std::unique_ptr<PatchDump>> taken;
    QList<PatchDump*> sources;
    if (!fromClipboard || swap) {
        for (int row : std::as_const(*srcRows)) {
            taken.push_back(copyOf(srcGroup->patchDumpAt(row), srcGroup));
            sources.append(taken.back().get());
        }
    } else {
        for (PatchDump* dump : std::as_const(*dumps))
            sources.append(dump);
    }
    int n = int(std::min(sources.size(), srcRows->size()));
    if (bank && at + n > rows())
        n = rows() - at;
    if (n <= 0)
        return;
    const ints rowsUsed = srcRows->mid(0, n);

    if (swap) {
        if (srcGroup == target && std::any_of(rowsUsed.cbegin(), rowsUsed.cend(),
                                              [at, n](int row) { return row >= at && row < at + n; })) {
            warning(this,
                    QStringLiteral("The copied patches and the patches to swap them with share rows: "
                                   "nothing was swapped."),
                    QStringLiteral("Swap"));
            return;
        }
        for (int i = 0; i < n; ++i)
            copyInto(srcGroup->patchDumpAt(rowsUsed.at(i)), target->patchDumpAt(at + i), dev);
    }

    if (bank) {
        bool children = false;
        if (srcView && srcView != ownView && srcBank) {
            const unsigned short srcWord = srcBank->bank().word();
            const bool used = std::any_of(rowsUsed.cbegin(), rowsUsed.cend(), [&](int row) {
                return srcView->getChildren(Patch(srcWord, row)) != nullptr;
            });
            const int option = dependencyOptions() ? dependencyOptions()->PasteChildren : PasteChildrenAlways;
            if (used && option == PasteChildrenAlways)
                children = true;
            else if (used && option == PasteChildrenPrompt)
                children = fromClipboard
                               ? yesNo(this, QStringLiteral("Do you also want to paste child patches?"),
                                       QStringLiteral("Paste"))
                               : yesNo(this, QStringLiteral("Do you also want to copy child patches?"),
                                       QStringLiteral("Drag and Drop"));
        }
        for (int i = 0; i < n; ++i)
            copyInto(target->patchDumpAt(at + i), sources.at(i), dev);
        Library* srcLibrary = children ? srcView->library() : nullptr;
        Library* ownLibrary = ownView ? ownView->library() : nullptr;
        if (srcLibrary && ownLibrary) {
            PatchList all;
            for (int row : rowsUsed)
                srcView->getAllChildren(Patch(srcBank->bank().word(), row), &all);
            for (unsigned int child : std::as_const(all)) {
                PatchDump* from = srcLibrary->getPatchDump(Patch(child));
                PatchDump* to = ownLibrary->getPatchDump(Patch(child));
                if (from && to && !from->isEmpty())
                    to->copyPatchDump(from, dev);
            }
        }
    } else {
        for (int i = 0; i < n; ++i) {
            PatchDump* dump = dev->createPatchDump(target->patchType());
            if (!dump)
                continue;
            copyInto(dump, sources.at(i), dev);
            target->addPatchDump(dump, at + i);
        }
        updateContents(true);
    }

    selectRows(at, n, at + n - 1);
    if (swap && ownView) {
        ints targetRows;
        for (int i = 0; i < n; ++i)
            targetRows.append(at + i);
        ints swapped = rowsUsed;
        ownView->updateDependencyParents(srcBank, &swapped, bank, &targetRows);
    }
    finishEdit(false);
}

// Drag and drop -----------------------------------------------------------------------

void VoicesListView::onDropMove(int row)
{
    PatchGroup* group = patchGroup();
    if (!group)
        return;
    ints moved = selectedItems(false);
    if (moved.isEmpty())
        return;
    int target = row;
    if (group->reorganize(target, moved)) {
        if (LibraryView* libraryView = view(); libraryView && bankPatchGroup())
            libraryView->updateDependencyParents(bankPatchGroup());
        finishEdit(false);
    }
    selectRows(target, std::min(int(moved.size()), rows() - target), target);
}

void VoicesListView::onDropCopy(int row, QWidget* source)
{
    auto* list = qobject_cast<VoicesListView*>(source);
    PatchGroup* srcGroup = list ? list->patchGroup() : nullptr;
    if (!srcGroup)
        return;
    ints srcRows = list->selectedItems(false);
    pastePatches(list->view(), srcGroup, nullptr, &srcRows, row, false);
}

// Program change, properties, duplicates ------------------------------------------------

void VoicesListView::sendProgramChange()
{
    const int row = curSel();
    MidiDevice* dev = device();
    if (row < 0 || !dev)
        return;
    if (const BankPatchGroup* bank = bankPatchGroup()) {
        dev->setModeByBank(bank->bank().word());
        dev->patchChange(patchAt(row));
    } else if (typePatchGroup()) {
        if (PatchDump* dump = patchDumpAt(row))
            dev->patchChangeByType(dump->type());
    }
}

void VoicesListView::selectedPatchesProperties()
{
    Vector<PatchDump*> dumps = selectedPatchDumps(false);
    if (dumps.isEmpty())
        return;
    PropertiesDlg dialog(device(), &dumps, this);
    if (RunDialog(&dialog) != QDialog::Accepted)
        return;
    const QString name = dialog.name();
    const QString category = dialog.category();
    const QString comment = dialog.comment();
    for (PatchDump* dump : std::as_const(dumps)) {
        if (name != PropertiesDlg::Keep)
            dump->setName(name);
        if (category != PropertiesDlg::Keep)
            dump->setCategory(category);
        if (comment != PropertiesDlg::Keep)
            dump->setComment(comment);
    }
    finishEdit(false);
}

void VoicesListView::removeDuplicatePatches()
{
    PatchGroup* group = patchGroup();
    if (!group)
        return;
    ints rows = selectedItems(false);
    if (rows.isEmpty())
        return;
    // Row order: the first copy in the list is the one that stays.
    std::sort(rows.begin(), rows.end());
    Duplicates<PatchDumpItem> table;
    {
        WaitCursor wait;
        for (int row : std::as_const(rows)) {
            const PatchDumpItem item(row, group);
            if (item.isValid())
                table.add(item.hash1(), item);
        }
    }
    DuplicatePatchesDlg dialog(this);
    if (!dialog.setData(table))
        return;
    LibraryView* libraryView = view();
    if (libraryView) {
        // Users of a removed copy follow the copy that stays.
        libraryView->updateDependencies();
        dialog.setDependencies(&libraryView->dependencies(), libraryView->library());
    }
    if (RunDialog(&dialog) != QDialog::Accepted)
        return;
    const bool typeGroup = group->type() == Library::TypeGroup;
    if (typeGroup)
        group->removeEmptyPatches();
    finishEdit(typeGroup);
    viewport()->update();
}

// The end of an edit ------------------------------------------------------------------

void VoicesListView::finishEdit(bool reset)
{
    LibraryView* libraryView = view();
    if (!libraryView) {
        updateContents(reset);
        return;
    }
    libraryView->setWindowModified(true);
    libraryView->undoCheck();
    libraryView->updateView(reset);
}

void VoicesListView::selectRows(int first, int count, int caret)
{
    clearSelection();
    for (int row = first; row < first + count; ++row)
        setRowSelected(row, true);
    moveCaret(caret, 0);
}
