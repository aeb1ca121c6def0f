// The transfers with the instrument that the library view and its patch
// list start: whole bank sets and the patches the selection uses (the
// view), the selected patches and the edit buffer (the list). Each checks
// that there is something to move and starts the transfer job for it, with
// its progress titled "Receive All", "Transmit All", "Receive Child
// Patches", "Transmit Child Patches", "Send to Edit Buffer" or "Receive from
// Edit Buffer".
//
// The jobs (LibraryTasks.h, EditBufferTasks.h) work for the view, their
// owner: received patches go into its document, and a receive that put any
// in leaves the document modified with an undo step and the view shown
// afresh.
#include "LibraryView.h"

#include "DeviceBank.h"
#include "EditBufferTasks.h"
#include "LibraryTasks.h"
#include "Library.h"
#include "PatchDump.h"
#include "VoicesListView.h"
#include "WaitCursor.h"

void LibraryView::receiveAll(const BankSet& banks)
{
    const int n = banks.ridevPatchesCount();
    if (n == 0)
        return;
    Task_ReceiveAll::begin(this, banks);
}

void LibraryView::transmitAll(const BankSet& banks)
{
    if (!library() || banks.isEmpty())
        return;
    library()->transmitAll(banks, this);
}

void LibraryView::receiveChildren()
{
    const PatchList patches = childPatches();
    if (patches.isEmpty())
        return;
    Task_ReceiveChildren::begin(this, patches);
}

void LibraryView::transmitChildren()
{
    const PatchList patches = childPatches();
    if (patches.isEmpty())
        return;
    Task_TransmitChildren::begin(this, patches);
}

// The patch list's transfers ---------------------------------------------------------

void VoicesListView::transmitSelectedPatches()
{
    const ints rows = selectedItems(false);
    if (!bankPatchGroup() || rows.isEmpty())
        return;
    bankPatchGroup()->transmitPatches(rows, view());
}

void VoicesListView::receiveSelectedPatches()
{
    const ints rows = selectedItems(true);
    if (!bankPatchGroup() || rows.isEmpty())
        return;
    bankPatchGroup()->receivePatches(rows, view());
}

void VoicesListView::sendToEditBuffer()
{
    PatchDump* dump = currentDump();
    if (!dump || dump->isEmpty())
        return;
    {
        WaitCursor wait;
        sendProgramChange();
    }
    Task_SendToEditBuffer::begin(view(), device(), dump);
}

void VoicesListView::receiveFromEditBuffer()
{
    if (!library())
        return;
    Task_ReceiveFromEditBuffer::begin(view(), library(), currentDump());
}

// The transfers' owner -------------------------------------------------------------------

void LibraryView::patchReceived(PatchGroup* /*group*/, int /*row*/, bool /*appended*/)
{
    m_voicesList->viewport()->update();
}

void LibraryView::transferEnded(bool appended)
{
    setWindowModified(true);
    undoCheck();
    updateView(appended);
}
