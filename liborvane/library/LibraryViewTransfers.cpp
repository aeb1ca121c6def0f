// The transfers with the instrument that the library view and its patch
// list start: whole bank sets and the patches the selection uses (the
// view), the selected patches and the edit buffer (the list). Each checks
// that there is something to move and starts the transfer job for it, with
// its progress titled "Receive All", "Transmit All", "Receive Child
// Patches", "Transmit Child Patches", "Send to Edit Buffer" or "Receive from
// Edit Buffer".
//
// The jobs themselves (Task_ReceiveAll, Task_TransmitAll via
// Library::transmitAll, Task_ReceiveChildren, Task_TransmitChildren,
// Task_Transmit, Task_Receive and the two edit-buffer jobs) are not part of
// the build yet: where a job is to start, each function stops at the line
// marked "transfer job not joined".
#include "LibraryView.h"

#include "DeviceBank.h"
#include "Library.h"
#include "PatchDump.h"
#include "VoicesListView.h"
#include "WaitCursor.h"

void LibraryView::receiveAll(const BankSet& banks)
{
    const int n = banks.ridevPatchesCount();
    if (n == 0)
        return;
    // transfer job not joined: Task_ReceiveAll("Task_ReceiveAll") with this
    // view and a copy of banks, auto-deleting, started "Receive All", n.
}

void LibraryView::transmitAll(const BankSet& banks)
{
    if (!library() || banks.isEmpty())
        return;
    // transfer job not joined: library()->transmitAll(banks).
}

void LibraryView::receiveChildren()
{
    const PatchList patches = childPatches();
    if (patches.isEmpty())
        return;
    // transfer job not joined: Task_ReceiveChildren("Task_ReceiveChildren")
    // with this view and patches, auto-deleting, started "Receive Child
    // Patches", patches.size().
}

void LibraryView::transmitChildren()
{
    const PatchList patches = childPatches();
    if (patches.isEmpty())
        return;
    // transfer job not joined: Task_TransmitChildren("Task_TransmitChildren")
    // with this view and patches, auto-deleting, started "Transmit Child
    // Patches", patches.size().
}

// The patch list's transfers ---------------------------------------------------------

void VoicesListView::transmitSelectedPatches()
{
    const ints rows = selectedItems(false);
    if (!bankPatchGroup() || rows.isEmpty())
        return;
    // transfer job not joined: BankPatchGroup::transmitPatches(rows), a
    // Task_Transmit of the selected patches (empty slots are not sent).
}

void VoicesListView::receiveSelectedPatches()
{
    const ints rows = selectedItems(true);
    if (!bankPatchGroup() || rows.isEmpty())
        return;
    // transfer job not joined: BankPatchGroup::receivePatches(rows, view()),
    // a Task_Receive of the selected slots (empty ones too).
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
    // transfer job not joined: Task_SendToEditBuffer("Task_SendToEditBuffer")
    // with device() and dump, auto-deleting, started "Send to Edit Buffer", 1.
}

void VoicesListView::receiveFromEditBuffer()
{
    if (!library())
        return;
    // transfer job not joined: Task_ReceiveFromEditBuffer
    // ("Task_ReceiveFromEditBuffer") with this list, auto-deleting, started
    // "Receive from Edit Buffer", 1.
}
