#include "PatchList.h"

#include "Library.h"
#include "MidiDevice.h"
#include "PatchDump.h"
#include "Strings.h"
#include "VarArgs.h"

bool PatchList::add(unsigned int patch)
{
    if (contains(patch))
        return false;
    append(patch);
    return true;
}

bool UserPatchList::add(Patch patch, MidiDevice* device)
{
    if (!patch.isValid() || (device && !device->isUserBank(patch.bank.word())))
        return false;
    return PatchList::add(patch.toUInt());
}

QString PatchList::toString(MidiDevice* device, Library* library, const QString& prefix,
                            const QString& separator) const
{
    QString text;
    if (!device)
        return text;
    for (unsigned int packed : *this) {
        const Patch patch(packed);
        QString name;
        if (PatchDump* dump = library ? library->getPatchDump(patch) : nullptr)
            name = dump->name(true);
        QString entry = device->printPatch(patch, Patch::OneBasedGrouped);
        if (!name.isEmpty())
            entry += QStringLiteral(" ") + name;
        trim(entry);
        text += VarArgs::format("%s%s%s", prefix, entry, separator);
    }
    // The separator is cut as a whole text, as often as it ends the text (an
    // empty last entry leaves it twice): cutting its characters one by one
    // would eat into a name that ends with one of them.
    while (!separator.isEmpty() && text.endsWith(separator))
        text.chop(separator.size());
    return text;
}
