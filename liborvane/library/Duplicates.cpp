#include "Duplicates.h"

#include "Buffer.h"
#include "Library.h"
#include "PatchDump.h"
#include "Sysex.h"

PatchDump* PatchDumpItem::dump() const
{
    return group ? group->patchDumpAt(row) : nullptr;
}

bool PatchDumpItem::isValid() const
{
    const PatchDump* d = dump();
    return d && !d->isEmpty();
}

quint32 PatchDumpItem::hash1() const
{
    const PatchDump* d = dump();
    if (!d || d->isEmpty() || !d->first())
        return 0;
    return qHash32(*d->first());
}

quint32 PatchDumpItem::hash2() const
{
    const PatchDump* d = dump();
    if (!d)
        return 0;
    Buffer bytes;
    d->toBuffer(bytes);
    return qHash32(bytes);
}

bool PatchDumpItem::sameContent(const PatchDumpItem& other) const
{
    const PatchDump* a = dump();
    const PatchDump* b = other.dump();
    if (!a || !b || a->size() != b->size())
        return false;
    for (qsizetype i = 0; i < a->size(); ++i) {
        const Sysex* x = a->at(i);
        const Sysex* y = b->at(i);
        if (x != y && (!x || !y || !(static_cast<const Buffer&>(*x) == static_cast<const Buffer&>(*y))))
            return false;
    }
    return true;
}

void LibraryFolder::calcDuplicates(Duplicates<PatchDumpItem>& table)
{
    for (Library* child : std::as_const(m_children)) {
        if (child)
            child->calcDuplicates(table);
    }
}

void PatchGroup::calcDuplicates(Duplicates<PatchDumpItem>& table)
{
    for (int row = 0; row < m_dumps.size(); ++row) {
        const PatchDumpItem item(row, this);
        if (item.isValid())
            table.add(item.hash1(), item);
    }
}
