// The order of patches in a sorted patch list: by name (numbers inside names
// by value, so "Pad 2" comes before "Pad 10"), by category or by comment.
//
// Empty slots ("(empty)") always go last, whatever the column and the
// direction; sorting by comment also puts patches without a comment after
// those with one, in both directions. Patches that compare equal keep their
// order (the sorts are stable).
//
// A sort reads each dump once: key() takes what the column needs, and the
// comparisons work on the keys. The key of a name is computed once per
// distinct name for the life of the process (names). GUI thread only: names
// is shared by every list without a lock.
#pragma once

#include "Strings.h"

#include <QHash>
#include <QList>
#include <QString>

class PatchDump;

class PatchSorter : public Sorter
{
public:
    // column: 0 name, 2 category, 3 comment; any other compares all equal.
    PatchSorter(int column, bool ascending) : Sorter(column, ascending) {}

    struct Key
    {
        bool empty = false; // the slot holds no patch
        QString name;       // the name's sort key (column 0)
        int category = -1;  // the category value (column 2)
        QString comment;    // column 3
    };
    Key key(PatchDump* dump) const;
    // a goes before b.
    bool less(const Key& a, const Key& b) const;
    bool operator()(PatchDump* a, PatchDump* b) const { return less(key(a), key(b)); }

    // Stable sort of the dumps, each read once.
    void sort(QList<PatchDump*>& dumps) const;

    // Sort keys of the names met so far (AlignNumbers), never cleared.
    static QHash<QString, QString> names;

private:
    void sortByName(QList<PatchDump*>& dumps) const;
};
