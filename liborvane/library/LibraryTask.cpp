#include "LibraryTask.h"

#include "Library.h"
#include "MidiDevice.h"
#include "MidiParam.h"
#include "Sysex.h"
#include "VarArgs.h"

#include <QMutexLocker>

namespace {

const QString ReceiveTimeout = QStringLiteral("Receive timeout!");

} // namespace

QString TransferFailure(const QString& heading, const QString& what, QString reason)
{
    if (reason.startsWith(heading))
        reason = reason.mid(heading.size()).trimmed();
    QString detail = what;
    if (!reason.isEmpty())
        detail += (detail.isEmpty() ? QString() : QStringLiteral(": ")) + reason;
    return detail.isEmpty() ? heading : heading + QStringLiteral("\n\n") + detail;
}

// TransferOwner ---------------------------------------------------------------------

void TransferOwner::patchReceived(PatchGroup*, int, bool) {}

TransferOwner::~TransferOwner()
{
    endTransfers();
}

void TransferOwner::endTransfers()
{
    // Each leaves first, so that nothing reaches the owner while the others
    // are waited for.
    const QList<LibraryTask*> transfers = m_transfers;
    m_transfers.clear();
    for (LibraryTask* task : transfers)
        task->leaveOwner();
    for (LibraryTask* task : transfers)
        task->safeTerminate();
}

// LibraryTask -----------------------------------------------------------------------

LibraryTask::LibraryTask(const QString& name, TransferOwner* owner) : Task(name), m_owner(owner)
{
    if (m_owner)
        m_owner->m_transfers.append(this);
}

LibraryTask::~LibraryTask()
{
    // The plan is the job's; it must be done with it first.
    safeTerminate();
    leaveOwner();
    for (const HandOver& h : m_handOvers)
        delete h.dump;
}

bool LibraryTask::launch(LibraryTask* task, const QString& title, int maximum)
{
    task->autoDelete();
    if (task->start(title, maximum, 0))
        return true;
    delete task;
    return false;
}

void LibraryTask::leaveOwner()
{
    if (m_owner)
        m_owner->m_transfers.removeOne(this);
    m_owner = nullptr;
}

void LibraryTask::resetPlan(MidiDevice* device)
{
    m_device = device;
    m_receives.clear();
    m_transmits.clear();
    m_stored = 0;
    m_appended = false;
}

void LibraryTask::planReceive(Patch patch, int type, const Target& target)
{
    m_receives.push_back({patch, type, target});
}

void LibraryTask::planTransmit(Patch patch, PatchDump* dump)
{
    if (!dump || dump->isEmpty() || !m_device)
        return;
    std::unique_ptr<PatchDump> copy(m_device->createPatchDump(dump->type()));
    if (!copy)
        return;
    copy->copyPatchDump(dump, m_device);
    m_transmits.push_back({patch, std::move(copy), dump->name(true)});
}

QString LibraryTask::printPatch(Patch patch) const
{
    return m_device ? m_device->printPatch(patch, Patch::OneBasedGrouped) : QString();
}

// --- the worker --------------------------------------------------------------------

void LibraryTask::runReceive()
{
    receiveItems();
    storeNames();
}

void LibraryTask::runTransmit()
{
    transmitItems();
    storeNames();
}

void LibraryTask::nameSlot(Patch patch, const QString& name)
{
    if (!m_names.isEmpty() && m_namesBank != patch.bank.word())
        storeNames();
    m_namesBank = patch.bank.word();
    m_names.insert(patch.program, name);
}

void LibraryTask::storeNames()
{
    // One write of the user bank file per bank, not one per patch.
    if (!m_names.isEmpty() && m_device)
        m_device->updateUserPatchNames(m_namesBank, m_names);
    m_names.clear();
}

void LibraryTask::receiveItems()
{
    message(VarArgs::format(QStringLiteral("Receiving %s..."), strPatches(maximum(), true)));
    if (!m_device)
        return;
    for (const ReceiveItem& item : m_receives) {
        if (wasCanceled())
            return;
        // A patch with no slot in the library is not asked for.
        if (!item.target.group) {
            step();
            continue;
        }
        std::unique_ptr<PatchDump> dump = receivePatch(item);
        if (!dump || wasCanceled())
            return;
        const QString name = dump->name(true);
        handOver(item.target, dump.release());
        message(VarArgs::format(QStringLiteral("%s %s"), printPatch(item.patch), name));
        nameSlot(item.patch, name);
        if (wasCanceled())
            return;
        step();
    }
}

void LibraryTask::transmitItems()
{
    message(VarArgs::format(QStringLiteral("Transmitting %s..."), strPatches(maximum(), true)));
    if (!m_device)
        return;
    for (const TransmitItem& item : m_transmits) {
        if (wasCanceled() || !transmit(item) || wasCanceled())
            return;
        step();
    }
    storeAll();
}

std::unique_ptr<PatchDump> LibraryTask::receivePatch(const ReceiveItem& item)
{
    BulkDump received;
    MidiDevice::clearSyncOutcome();
    if (!m_device->syncPatchRequest(item.patch, received, true)) {
        failReceive(printPatch(item.patch), m_device->syncReplyError());
        return nullptr;
    }
    m_device->strip(&received);
    // Header and footer with nothing between would empty the slot.
    if (received.isEmpty()) {
        failReceive(printPatch(item.patch), QStringLiteral("The instrument sent an empty block"));
        return nullptr;
    }
    std::unique_ptr<PatchDump> dump(m_device->createPatchDump(item.type));
    if (!dump) {
        failReceive(printPatch(item.patch), QStringLiteral("No patch of type %1").arg(item.type));
        return nullptr;
    }
    dump->clear();
    dump->list().swap(received.list());
    return dump;
}

std::unique_ptr<PatchDump> LibraryTask::receiveEditBuffer(const ReceiveItem& item)
{
    BulkDump received;
    MidiDevice::clearSyncOutcome();
    if (!m_device->syncEditBufferRequest(item.type, received, 3000)) {
        failReceive(QString(), m_device->syncReplyError());
        return nullptr;
    }
    // The edit buffer's frame goes here, not through the device: its first
    // message is the header, its last the footer.
    if (!received.isEmpty())
        delete received.takeFirst();
    if (!received.isEmpty())
        delete received.takeLast();
    if (received.isEmpty()) {
        failReceive(QString(), QStringLiteral("The instrument sent an empty block"));
        return nullptr;
    }
    std::unique_ptr<PatchDump> dump(m_device->createPatchDump(item.type));
    if (!dump) {
        failReceive(QString(), QStringLiteral("No patch of type %1").arg(item.type));
        return nullptr;
    }
    dump->clear();
    dump->list().swap(received.list());
    return dump;
}

void LibraryTask::failReceive(const QString& what, const QString& reason)
{
    abort(TransferFailure(ReceiveTimeout, what, reason));
}

void LibraryTask::handOver(const Target& target, PatchDump* dump)
{
    {
        QMutexLocker lock(&m_handOverLock);
        m_handOvers.push_back({target, dump});
    }
    // Dropped with the task; finished() takes what is left.
    QMetaObject::invokeMethod(this, [this] { takeHandOvers(); }, Qt::QueuedConnection);
}

bool LibraryTask::transmit(const TransmitItem& item)
{
    const bool editBuffer = !item.patch.isValid();
    if (!editBuffer)
        message(VarArgs::format(QStringLiteral("%s %s"), printPatch(item.patch), item.name));
    MidiDevice::clearSendRefusal();
    if (editBuffer)
        m_device->toEditBuffer(item.dump.get());
    else
        m_device->patchTransmit(item.patch, item.dump.get(), true);
    const QString refusal = MidiDevice::sendRefusal();
    if (!refusal.isEmpty()) {
        const QString what =
            editBuffer ? item.name : VarArgs::format(QStringLiteral("%s %s"), printPatch(item.patch), item.name);
        abort(TransferFailure(TransmitFailedText, what, refusal));
        return false;
    }
    // Only a patch that went out renames its slot in the bank table.
    if (!editBuffer)
        nameSlot(item.patch, item.name);
    return true;
}

bool LibraryTask::storeAll()
{
    MidiDevice::clearSendRefusal();
    m_device->storeAllPatches();
    const QString refusal = MidiDevice::sendRefusal();
    if (refusal.isEmpty())
        return true;
    abort(TransferFailure(TransmitFailedText, QString(), refusal));
    return false;
}

// --- the GUI thread ---------------------------------------------------------------

void LibraryTask::takeHandOvers()
{
    std::vector<HandOver> taken;
    {
        QMutexLocker lock(&m_handOverLock);
        taken.swap(m_handOvers);
    }
    for (const HandOver& h : taken) {
        std::unique_ptr<PatchDump> dump(h.dump);
        PatchGroup* group = h.target.group;
        if (!m_owner || !group)
            continue;
        int row = h.target.slot ? int(group->dumps().indexOf(h.target.slot)) : h.target.row;
        bool appended = false;
        if (row >= 0) {
            // The slot keeps its comment.
            PatchDump* slot = group->patchDumpAt(row);
            if (!slot)
                continue;
            dump->setComment(slot->comment());
            group->setPatchDump(row, dump.release());
        } else {
            // Only a type group grows; a bank group keeps its slots.
            if (group->type() != Library::TypeGroup || !group->addPatchDump(dump.release(), -1))
                continue;
            row = group->itemCount() - 1;
            appended = true;
        }
        ++m_stored;
        m_appended = m_appended || appended;
        m_owner->patchReceived(group, row, appended);
    }
}

void LibraryTask::finished()
{
    takeHandOvers();
    if (m_owner && m_stored > 0)
        m_owner->transferEnded(m_appended);
    leaveOwner();
}
