#include "LibraryFixture.h"

#include "Library.h"
#include "MidiDevice.h"
#include "PatchDump.h"
#include "Sysex.h"

namespace {

void point(Sysex* message, int pos, const Patch& patch)
{
    message->setDataAt(pos, patch.bank.msb);
    message->setDataAt(pos + 1, patch.bank.lsb);
    message->setDataAt(pos + 2, patch.program);
}

Patch pointed(const Sysex* message, int pos)
{
    return message ? Patch(message->dataAt(pos), message->dataAt(pos + 1), message->dataAt(pos + 2)) : Patch();
}

} // namespace

PatchDump* MakePatch(PatchDump* dump, const QString& name, const QString& category, const QString& comment)
{
    dump->init();
    dump->setName(name);
    if (!category.isEmpty() && !dump->setCategory(category))
        qWarning("no category %s", qPrintable(category));
    dump->setComment(comment);
    return dump;
}

PatchDump* AppendPatch(PatchGroup* group, const QString& name, const QString& category, const QString& comment)
{
    PatchDump* dump = group->device()->createPatchDump(group->patchType());
    group->addPatchDump(dump);
    return MakePatch(dump, name, category, comment);
}

void SetParts(PatchDump* performance, const QList<Patch>& parts)
{
    for (int n = 0; n < parts.size(); ++n) {
        Sysex* part = performance->getSysex(0x310000 + unsigned(n) * 0x100);
        point(part, 0, parts.at(n));
        part->setDataAt(31, 1);
    }
}

Patch PartOf(PatchDump* performance, int part)
{
    return pointed(performance->getSysex(0x310000 + unsigned(part) * 0x100), 0);
}

void SetMasterCall(PatchDump* master, const Patch& calls)
{
    point(master->first(), 14, calls);
}

Patch MasterCall(PatchDump* master)
{
    return pointed(master->first(), 14);
}
