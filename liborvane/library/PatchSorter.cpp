#include "PatchSorter.h"

#include "PatchDump.h"

#include <algorithm>
#include <vector>

QHash<QString, QString> PatchSorter::names;

namespace {
const QString EmptyName = QStringLiteral("(empty)");
}

PatchSorter::Key PatchSorter::key(PatchDump* dump) const
{
    Key k;
    if (!dump) {
        k.empty = true;
        return k;
    }
    const QString name = dump->name(false);
    k.empty = name == EmptyName;
    switch (m_column) {
    case 0: {
        auto it = names.constFind(name);
        if (it == names.constEnd())
            it = names.insert(name, AlignNumbers(name));
        k.name = it.value();
        break;
    }
    case 2:
        k.category = dump->getCategoryData();
        break;
    case 3:
        k.comment = dump->comment();
        break;
    default:
        break;
    }
    return k;
}

bool PatchSorter::less(const Key& a, const Key& b) const
{
    if (a.empty != b.empty)
        return b.empty;
    int r = 0;
    switch (m_column) {
    case 0:
        r = CompareStrings(a.name, b.name);
        break;
    case 2:
        r = a.category - b.category;
        break;
    case 3:
        // Patches without a comment go last in both directions.
        if (a.comment.isEmpty() != b.comment.isEmpty())
            return b.comment.isEmpty();
        r = CompareStrings(a.comment, b.comment);
        break;
    default:
        break;
    }
    if (!m_ascending)
        r = -r;
    return r < 0;
}

void PatchSorter::sort(QList<PatchDump*>& dumps) const
{
    std::vector<std::pair<Key, PatchDump*>> keyed;
    keyed.reserve(size_t(dumps.size()));
    for (PatchDump* dump : std::as_const(dumps))
        keyed.emplace_back(key(dump), dump);
    std::stable_sort(keyed.begin(), keyed.end(),
                     [this](const auto& a, const auto& b) { return less(a.first, b.first); });
    for (size_t i = 0; i < keyed.size(); ++i)
        dumps[qsizetype(i)] = keyed[i].second;
}
