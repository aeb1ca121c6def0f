// Patches made to order for the library views' tests: named (and
// categorised, commented) voices, performances whose parts play given
// patches, masters that call one up, on the instrument's own dumps.
#pragma once

#include "Patch.h"

#include <QList>
#include <QString>

class PatchDump;
class PatchGroup;

// The dump becomes the instrument's initial patch of its kind, named (and,
// when given, with that full category, e.g. "Ap:A.PIANO", and comment).
PatchDump* MakePatch(PatchDump* dump, const QString& name, const QString& category = QString(),
                     const QString& comment = QString());
// Appends a new patch of the group's kind, made as MakePatch does.
PatchDump* AppendPatch(PatchGroup* group, const QString& name, const QString& category = QString(),
                       const QString& comment = QString());
// Part n (0 to 3) of a performance plays parts[n], switched on.
void SetParts(PatchDump* performance, const QList<Patch>& parts);
Patch PartOf(PatchDump* performance, int part);
// A master calls up the patch.
void SetMasterCall(PatchDump* master, const Patch& calls);
Patch MasterCall(PatchDump* master);
