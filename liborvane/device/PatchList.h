// A list of patches without repeats, in the order they were first added, that
// prints itself for tool tips ("the patches this patch uses").
#pragma once

#include "Containers.h"
#include "Patch.h"

#include <QString>

class Library;
class MidiDevice;

// Elements are patches in their packed form (bank word << 8, plus the
// program).
class PatchList : public Vector<unsigned int>
{
public:
    // Appends the patch unless the list holds it already; true when appended.
    bool add(unsigned int patch);

    // Each patch as the device prints it (bank name, ":", program number and
    // its letter form), followed by a blank and its name in library when the
    // library has a dump for it; each entry trimmed and written as prefix,
    // entry, separator. The text never ends with the separator. Empty without
    // a device.
    QString toString(MidiDevice* device, Library* library, const QString& prefix,
                     const QString& separator) const;
};

// The user patches one patch uses, as its dump reports them
// (PatchDump::getUserPatches): each once, and only those in a user bank of
// the device.
class UserPatchList : public PatchList
{
public:
    using PatchList::add;
    // Appends the patch unless it is invalid, lies outside the device's user
    // banks (any bank passes without a device) or is listed already; true when
    // appended.
    bool add(Patch patch, MidiDevice* device);
};
