// The library view's transfers with the instrument: receiving and
// transmitting whole bank sets and the patches the selection uses. Each
// checks that there is something to move and starts the transfer job for
// it, with its progress titled "Receive All", "Transmit All", "Receive Child
// Patches" or "Transmit Child Patches".
//
// The jobs themselves (Task_ReceiveAll, Task_TransmitAll via
// Library::transmitAll, Task_ReceiveChildren, Task_TransmitChildren) are not
// part of the build yet: where a job is to start, each function stops at the
// line marked "transfer job not joined".
#include "LibraryView.h"

#include "DeviceBank.h"
#include "Library.h"

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
