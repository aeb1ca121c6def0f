#include "LibraryTasks.h"

#include "Library.h"
#include "MidiDevice.h"
#include "PatchGroupList.h"

namespace {

// The slot of an instrument patch: the first bank group of its bank that has
// a row at its program (as Library::getPatchDump finds the dump).
BankPatchGroup* slotGroup(Library* library, Patch patch)
{
    for (PatchGroup* group : PatchGroupList(library)) {
        if (group->type() != Library::BankGroup)
            continue;
        auto* bankGroup = static_cast<BankPatchGroup*>(group);
        if (bankGroup->bank().word() == patch.bank.word() && bankGroup->patchDumpAt(patch.program))
            return bankGroup;
    }
    return nullptr;
}

// Starts a task its starter made, or deletes it when there is nothing to do.
template <class T>
bool startTask(T* task, const QString& title, int maximum)
{
    if (maximum <= 0) {
        delete task;
        return false;
    }
    task->autoDelete();
    if (task->start(title, maximum, 0))
        return true;
    delete task;
    return false;
}

} // namespace

// Starters of the library model --------------------------------------------------

bool BankPatchGroup::receivePatches(const ints& rows, TransferOwner* owner)
{
    return Task_Receive::begin(owner, this, rows);
}

bool BankPatchGroup::transmitPatches(const ints& rows, TransferOwner* owner)
{
    return Task_Transmit::begin(owner, this, rows);
}

int Library::countNonEmptyPatches(const BankSet& banks)
{
    int n = 0;
    for (const auto& bank : banks) {
        if (BankPatchGroup* group = bank ? getBankPatchGroup(bank->bankWord()) : nullptr)
            n += group->nonEmptyPatchesCount();
    }
    return n;
}

bool Library::transmitAll(const BankSet& banks, TransferOwner* owner)
{
    return Task_TransmitAll::begin(this, banks, owner);
}

// Task_Receive ----------------------------------------------------------------------

Task_Receive::Task_Receive(TransferOwner* owner) : LibraryTask(QStringLiteral("Task_Receive"), owner) {}

bool Task_Receive::begin(TransferOwner* owner, BankPatchGroup* group, const ints& rows)
{
    if (!owner || !group)
        return false;
    auto* task = new Task_Receive(owner);
    task->group = group;
    task->rows = rows;
    // An empty selection still shows its progress, as the other starters of
    // a selection do.
    task->autoDelete();
    if (task->start(QStringLiteral("Receive"), int(rows.size()), 0))
        return true;
    delete task;
    return false;
}

void Task_Receive::starting()
{
    resetPlan(group->device());
    for (int row : std::as_const(rows)) {
        const Patch patch(group->bank().word(), row);
        planReceive(patch, group->patchType(), group->patchDumpAt(row) ? Target{group, row} : Target());
    }
}

void Task_Receive::run()
{
    runReceive();
}

// Task_Transmit ----------------------------------------------------------------------

Task_Transmit::Task_Transmit(TransferOwner* owner) : LibraryTask(QStringLiteral("Task_Transmit"), owner) {}

bool Task_Transmit::begin(TransferOwner* owner, BankPatchGroup* group, const ints& rows)
{
    if (!group)
        return false;
    auto* task = new Task_Transmit(owner);
    task->group = group;
    task->rows = rows;
    task->autoDelete();
    if (task->start(QStringLiteral("Transmit"), int(rows.size()), 0))
        return true;
    delete task;
    return false;
}

void Task_Transmit::starting()
{
    resetPlan(group->device());
    for (int row : std::as_const(rows))
        planTransmit(Patch(group->bank().word(), row), group->patchDumpAt(row));
}

void Task_Transmit::run()
{
    runTransmit();
}

// Task_ReceiveAll --------------------------------------------------------------------

Task_ReceiveAll::Task_ReceiveAll(TransferOwner* owner) : LibraryTask(QStringLiteral("Task_ReceiveAll"), owner) {}

bool Task_ReceiveAll::begin(TransferOwner* owner, const BankSet& banks)
{
    if (!owner || !owner->transferLibrary())
        return false;
    auto* task = new Task_ReceiveAll(owner);
    task->banks = banks;
    return startTask(task, QStringLiteral("Receive All"), banks.ridevPatchesCount());
}

void Task_ReceiveAll::starting()
{
    Library* library = owner() ? owner()->transferLibrary() : nullptr;
    MidiDevice* device = library ? library->device() : nullptr;
    resetPlan(device);
    if (!device)
        return;
    for (const auto& bank : std::as_const(banks)) {
        if (!bank)
            continue;
        const unsigned short word = bank->bankWord();
        PatchGroup* group = library->getBankPatchGroup(word);
        const bool inSlots = group != nullptr;
        if (!group)
            group = library->getTypePatchGroup(device->bankType(word));
        if (!group)
            continue;
        for (int program = 0; program < bank->count(); ++program) {
            Target target{group, -1};
            if (inSlots)
                target = group->patchDumpAt(program) ? Target{group, program} : Target();
            planReceive(Patch(word, program), group->patchType(), target);
        }
    }
}

void Task_ReceiveAll::run()
{
    runReceive();
}

// Task_TransmitAll -------------------------------------------------------------------

Task_TransmitAll::Task_TransmitAll(TransferOwner* owner) : LibraryTask(QStringLiteral("Task_TransmitAll"), owner)
{
}

bool Task_TransmitAll::begin(Library* library, const BankSet& banks, TransferOwner* owner)
{
    if (!library)
        return false;
    auto* task = new Task_TransmitAll(owner);
    task->library = library;
    task->banks = banks;
    return startTask(task, QStringLiteral("Transmit All"), library->countNonEmptyPatches(banks));
}

void Task_TransmitAll::starting()
{
    resetPlan(library ? library->device() : nullptr);
    if (!library)
        return;
    for (const auto& bank : std::as_const(banks)) {
        BankPatchGroup* group = bank ? library->getBankPatchGroup(bank->bankWord()) : nullptr;
        if (!group)
            continue;
        for (int slot = 0; slot < group->itemCount(); ++slot)
            planTransmit(Patch(group->bank().word(), slot), group->patchDumpAt(slot));
    }
}

void Task_TransmitAll::run()
{
    runTransmit();
}

// Task_ReceiveChildren ---------------------------------------------------------------

Task_ReceiveChildren::Task_ReceiveChildren(TransferOwner* owner)
    : LibraryTask(QStringLiteral("Task_ReceiveChildren"), owner)
{
}

bool Task_ReceiveChildren::begin(TransferOwner* owner, const PatchList& patches)
{
    if (!owner || !owner->transferLibrary())
        return false;
    auto* task = new Task_ReceiveChildren(owner);
    task->patches = patches;
    return startTask(task, QStringLiteral("Receive Child Patches"), int(patches.size()));
}

void Task_ReceiveChildren::starting()
{
    Library* library = owner() ? owner()->transferLibrary() : nullptr;
    resetPlan(library ? library->device() : nullptr);
    if (!library)
        return;
    for (unsigned int packed : std::as_const(patches)) {
        const Patch patch(packed);
        BankPatchGroup* group = slotGroup(library, patch);
        planReceive(patch, group ? group->patchType() : -1, group ? Target{group, patch.program} : Target());
    }
}

void Task_ReceiveChildren::run()
{
    runReceive();
}

// Task_TransmitChildren ------------------------------------------------------------

Task_TransmitChildren::Task_TransmitChildren(TransferOwner* owner)
    : LibraryTask(QStringLiteral("Task_TransmitChildren"), owner)
{
}

bool Task_TransmitChildren::begin(TransferOwner* owner, const PatchList& patches)
{
    if (!owner || !owner->transferLibrary())
        return false;
    auto* task = new Task_TransmitChildren(owner);
    task->patches = patches;
    return startTask(task, QStringLiteral("Transmit Child Patches"), int(patches.size()));
}

void Task_TransmitChildren::starting()
{
    Library* library = owner() ? owner()->transferLibrary() : nullptr;
    resetPlan(library ? library->device() : nullptr);
    if (!library)
        return;
    for (unsigned int packed : std::as_const(patches)) {
        const Patch patch(packed);
        planTransmit(patch, library->getPatchDump(patch));
    }
}

void Task_TransmitChildren::run()
{
    runTransmit();
}
