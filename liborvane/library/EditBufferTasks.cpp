#include "EditBufferTasks.h"

#include "Library.h"
#include "MidiDevice.h"

// Task_ReceiveFromEditBuffer -----------------------------------------------------------

Task_ReceiveFromEditBuffer::Task_ReceiveFromEditBuffer(TransferOwner* owner)
    : LibraryTask(QStringLiteral("Task_ReceiveFromEditBuffer"), owner)
{
}

bool Task_ReceiveFromEditBuffer::begin(TransferOwner* owner, Library* shown, PatchDump* current)
{
    if (!owner || !shown)
        return false;
    auto* task = new Task_ReceiveFromEditBuffer(owner);
    task->shown = shown;
    task->current = current;
    task->autoDelete();
    if (task->start(QStringLiteral("Receive from Edit Buffer"), 1, 0))
        return true;
    delete task;
    return false;
}

void Task_ReceiveFromEditBuffer::starting()
{
    resetPlan(shown->device());
    // A folder holds no patches to receive into.
    if (!shown->children().isEmpty() || (shown->type() != Library::BankGroup && shown->type() != Library::TypeGroup))
        return;
    auto* group = static_cast<PatchGroup*>(shown);
    Target target;
    if (current && group->dumps().contains(current))
        target = Target{group, -1, current};
    else if (group->type() == Library::TypeGroup)
        target = Target{group, -1};
    planReceive(Patch(), group->patchType(), target);
}

void Task_ReceiveFromEditBuffer::run()
{
    message(QStringLiteral("Receiving from edit buffer..."));
    if (m_receives.empty() || !m_device)
        return;
    const ReceiveItem& item = m_receives.front();
    if (!item.target.group) {
        step();
        return;
    }
    m_device->setModeByType(item.type);
    std::unique_ptr<PatchDump> dump = receiveEditBuffer(item);
    if (!dump || wasCanceled())
        return;
    handOver(item.target, dump.release());
    if (!wasCanceled())
        step();
}

// Task_SendToEditBuffer ------------------------------------------------------------------

Task_SendToEditBuffer::Task_SendToEditBuffer(TransferOwner* owner)
    : LibraryTask(QStringLiteral("Task_SendToEditBuffer"), owner)
{
}

bool Task_SendToEditBuffer::begin(TransferOwner* owner, MidiDevice* device, PatchDump* dump)
{
    if (!device || !dump || dump->isEmpty())
        return false;
    auto* task = new Task_SendToEditBuffer(owner);
    task->device = device;
    task->dump = dump;
    task->autoDelete();
    if (task->start(QStringLiteral("Send to Edit Buffer"), 1, 0))
        return true;
    delete task;
    return false;
}

void Task_SendToEditBuffer::starting()
{
    resetPlan(device);
    planTransmit(Patch(), dump);
}

void Task_SendToEditBuffer::run()
{
    message(QStringLiteral("Sending to edit buffer..."));
    if (m_transmits.empty() || !transmit(m_transmits.front()))
        return;
    step();
}
