// The library tree: node classes, counts, emptying, bank folders and lookups.
#include "Library.h"

#include "DeviceBank.h"
#include "ListMoves.h"
#include "MidiDevice.h"
#include "PatchDump.h"

#include <QHash>

// Library ------------------------------------------------------------------------

Library::Library(MidiDevice* device, const QString& name) : m_device(device), m_name(name) {}

Library::~Library()
{
    for (Library* child : std::as_const(m_children))
        delete child;
    m_children.clear();
}

Library* Library::getLibrary(Library* node, const QString& name)
{
    if (!node)
        return nullptr;
    if (node->m_name == name)
        return node;
    for (Library* child : std::as_const(node->m_children)) {
        if (Library* found = getLibrary(child, name))
            return found;
    }
    return nullptr;
}

PatchGroup* Library::getTypePatchGroup(Library* node, int patchType)
{
    if (!node)
        return nullptr;
    if (node->type() == TypeGroup) {
        auto* group = static_cast<PatchGroup*>(node);
        if (group->patchType() == patchType)
            return group;
    }
    for (Library* child : std::as_const(node->m_children)) {
        if (PatchGroup* found = getTypePatchGroup(child, patchType))
            return found;
    }
    return nullptr;
}

BankPatchGroup* Library::getBankPatchGroup(Library* node, unsigned short bankWord)
{
    if (!node)
        return nullptr;
    if (node->type() == BankGroup) {
        auto* group = static_cast<BankPatchGroup*>(node);
        if (group->bank().word() == bankWord)
            return group;
    }
    for (Library* child : std::as_const(node->m_children)) {
        if (BankPatchGroup* found = getBankPatchGroup(child, bankWord))
            return found;
    }
    return nullptr;
}

PatchDump* Library::getPatchDump(Library* node, Patch patch)
{
    if (!node)
        return nullptr;
    if (node->type() == BankGroup) {
        auto* group = static_cast<BankPatchGroup*>(node);
        if (group->bank().word() == patch.bank.word()) {
            if (PatchDump* dump = group->patchDumpAt(patch.program))
                return dump;
        }
    }
    for (Library* child : std::as_const(node->m_children)) {
        if (PatchDump* found = getPatchDump(child, patch))
            return found;
    }
    return nullptr;
}

// LibraryFolder ------------------------------------------------------------------

LibraryFolder::LibraryFolder(MidiDevice* device, const QString& name) : Library(device, name) {}

int LibraryFolder::type() const
{
    const Library* first = m_children.isEmpty() ? nullptr : m_children.first();
    if (!first)
        return PlainFolder;
    switch (first->type()) {
    case TypeGroup:
        return TypeGroupFolder;
    case BankGroup:
        return BankGroupFolder;
    default:
        return PlainFolder;
    }
}

int LibraryFolder::itemCount() const
{
    return int(m_children.size());
}

void LibraryFolder::clear()
{
    for (Library* child : std::as_const(m_children)) {
        if (child)
            child->clear();
    }
}

int LibraryFolder::ridevPatchesCount() const
{
    int total = 0;
    for (const Library* child : m_children) {
        if (child)
            total += child->ridevPatchesCount();
    }
    return total;
}

int LibraryFolder::nonEmptyPatchesCount() const
{
    int total = 0;
    for (const Library* child : m_children) {
        if (child)
            total += child->nonEmptyPatchesCount();
    }
    return total;
}

void LibraryFolder::removeEmptyPatches()
{
    for (Library* child : std::as_const(m_children)) {
        if (child)
            child->removeEmptyPatches();
    }
}

void LibraryFolder::addBankSet(const QString& bankSet)
{
    if (!m_device)
        return;
    const BankSet set(m_device, bankSet);
    for (const auto& bank : set) {
        if (!bank)
            continue;
        const unsigned short word = bank->bankWord();
        auto* group =
            new BankPatchGroup(m_device, m_device->bankName(word), m_device->bankType(word), Bank(word));
        m_children.append(group);
        for (int i = 0; i < bank->count(); ++i)
            group->addPatchDump(nullptr, -1);
    }
}

// PatchGroup ---------------------------------------------------------------------

PatchGroup::PatchGroup(MidiDevice* device, const QString& name, int patchType)
    : Library(device, name), m_patchType(patchType)
{
}

PatchGroup::~PatchGroup()
{
    deleteDumps();
}

void PatchGroup::deleteDumps()
{
    for (PatchDump* dump : std::as_const(m_dumps))
        delete dump;
    m_dumps.clear();
}

int PatchGroup::itemCount() const
{
    return int(m_dumps.size());
}

int PatchGroup::ridevPatchesCount() const
{
    return int(m_dumps.size());
}

bool PatchGroup::addPatchDump(PatchDump* dump, int index)
{
    if (!dump && m_device)
        dump = m_device->createPatchDump(m_patchType);
    if (!dump)
        return false;
    if (index < 0 || index > m_dumps.size())
        m_dumps.append(dump);
    else
        m_dumps.insert(index, dump);
    return true;
}

PatchDump* PatchGroup::patchDumpAt(int row) const
{
    return row >= 0 && row < m_dumps.size() ? m_dumps.at(row) : nullptr;
}

bool PatchGroup::setPatchDump(int row, PatchDump* dump)
{
    PatchDump* slot = patchDumpAt(row);
    if (!slot || !dump) {
        delete dump;
        return false;
    }
    if (slot != dump) {
        // The row's object stays: views and lookups may hold it.
        slot->swapMessages(*dump);
        slot->setComment(dump->comment());
        delete dump;
    }
    return true;
}

bool PatchGroup::reorganize(int& target, ints& rows)
{
    rememberOrder();
    Reorganize(m_dumps, target, rows);
    if (!m_trackMoves)
        return true;
    return updateMoveMap();
}

void PatchGroup::rememberOrder()
{
    if (m_trackMoves)
        m_previousOrder = m_dumps;
}

bool PatchGroup::updateMoveMap()
{
    if (!m_trackMoves || m_previousOrder.isEmpty())
        return false;
    QHash<const PatchDump*, int> rowOf;
    rowOf.reserve(m_dumps.size());
    for (int row = 0; row < m_dumps.size(); ++row)
        rowOf.insert(m_dumps.at(row), row);
    bool changed = false;
    m_moveMap.clear();
    for (int old = 0; old < m_previousOrder.size(); ++old) {
        const PatchDump* dump = m_previousOrder.at(old);
        if (old < m_dumps.size() && m_dumps.at(old) == dump) {
            m_moveMap.append(old);
            continue;
        }
        m_moveMap.append(rowOf.value(dump, old));
        changed = true;
    }
    return changed;
}

// BankPatchGroup -----------------------------------------------------------------

BankPatchGroup::BankPatchGroup(MidiDevice* device, const QString& name, int patchType, Bank bank)
    : PatchGroup(device, name, patchType), m_bank(bank)
{
    m_trackMoves = true;
}

void BankPatchGroup::clear()
{
    for (PatchDump* dump : std::as_const(m_dumps)) {
        if (dump)
            dump->clear();
    }
}

int BankPatchGroup::nonEmptyPatchesCount() const
{
    int total = 0;
    for (const PatchDump* dump : m_dumps) {
        if (dump && !dump->isEmpty())
            ++total;
    }
    return total;
}

// TypePatchGroup -----------------------------------------------------------------

TypePatchGroup::TypePatchGroup(MidiDevice* device, const QString& name, int patchType)
    : PatchGroup(device, name, patchType)
{
}

void TypePatchGroup::clear()
{
    deleteDumps();
}

int TypePatchGroup::nonEmptyPatchesCount() const
{
    return int(m_dumps.size());
}

void TypePatchGroup::removeEmptyPatches()
{
    ints rows;
    for (int row = 0; row < m_dumps.size(); ++row) {
        PatchDump* dump = m_dumps.at(row);
        if (dump && dump->isEmpty()) {
            delete dump;
            rows.append(row);
        }
    }
    RemoveItems(m_dumps, rows);
}
