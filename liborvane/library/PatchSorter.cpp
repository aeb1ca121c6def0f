#include "PatchSorter.h"

#include "PatchDump.h"

#include <algorithm>
#include <numeric>
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
    if (m_column == 0) {
        sortByName(dumps);
        return;
    }
    std::vector<std::pair<Key, PatchDump*>> keyed;
    keyed.reserve(size_t(dumps.size()));
    for (PatchDump* dump : std::as_const(dumps))
        keyed.emplace_back(key(dump), dump);
    std::stable_sort(keyed.begin(), keyed.end(),
                     [this](const auto& a, const auto& b) { return less(a.first, b.first); });
    for (size_t i = 0; i < keyed.size(); ++i)
        dumps[qsizetype(i)] = keyed[i].second;
}

void PatchSorter::sortByName(QList<PatchDump*>& dumps) const
{
    // A library holds many patches of one name, and a row's place follows
    // from its name's key alone: the distinct names are sorted once, and the
    // rows then go to the rank of their name in one stable pass. Names of
    // equal keys share a rank, so their rows keep their order; empty slots
    // take the ranks after the last, in both directions (a missing dump,
    // whose key is no name at all, before the empty slots when ascending
    // and after them when descending, as less() orders them).
    constexpr int EmptySlot = -1;
    constexpr int NoDump = -2;
    QHash<QString, int> nameIndex; // name -> its place in distinct
    std::vector<QString> distinct;
    std::vector<int> rowName(size_t(dumps.size()), EmptySlot);
    for (qsizetype row = 0; row < dumps.size(); ++row) {
        PatchDump* dump = dumps.at(row);
        if (!dump) {
            rowName[size_t(row)] = NoDump;
            continue;
        }
        QString name = dump->name(false);
        if (name == EmptyName)
            continue;
        auto found = nameIndex.constFind(name);
        if (found == nameIndex.constEnd()) {
            found = nameIndex.insert(name, int(distinct.size()));
            distinct.push_back(std::move(name));
        }
        rowName[size_t(row)] = found.value();
    }

    std::vector<QString> keys;
    keys.reserve(distinct.size());
    for (const QString& name : distinct) {
        auto it = names.constFind(name);
        if (it == names.constEnd())
            it = names.insert(name, AlignNumbers(name));
        keys.push_back(it.value());
    }
    std::vector<int> order(distinct.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        const int r = CompareStrings(keys[size_t(a)], keys[size_t(b)]);
        return m_ascending ? r < 0 : r > 0;
    });
    std::vector<int> rank(distinct.size());
    int ranks = 0;
    for (size_t i = 0; i < order.size(); ++i) {
        if (i > 0 && CompareStrings(keys[size_t(order[i - 1])], keys[size_t(order[i])]) != 0)
            ++ranks;
        rank[size_t(order[i])] = ranks;
    }
    const int firstEmpty = order.empty() ? 0 : ranks + 1;
    const int emptyRank = m_ascending ? firstEmpty + 1 : firstEmpty;
    const int noDumpRank = m_ascending ? firstEmpty : firstEmpty + 1;

    // Counting sort by rank: stable.
    std::vector<qsizetype> start(size_t(firstEmpty) + 3, 0);
    std::vector<int> rowRank(rowName.size());
    for (size_t row = 0; row < rowName.size(); ++row) {
        const int name = rowName[row];
        rowRank[row] = name == EmptySlot ? emptyRank : name == NoDump ? noDumpRank : rank[size_t(name)];
        ++start[size_t(rowRank[row]) + 1];
    }
    std::partial_sum(start.begin(), start.end(), start.begin());
    QList<PatchDump*> sorted(dumps.size());
    for (size_t row = 0; row < rowRank.size(); ++row)
        sorted[start[size_t(rowRank[row])]++] = dumps.at(qsizetype(row));
    dumps = std::move(sorted);
}
