// A list of patches without repeats, in the order they were first added, that
// prints itself for tool tips ("the patches this patch uses").
#pragma once

#include "Containers.h"

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
