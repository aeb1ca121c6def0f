// Finding patches that carry the same bytes: in a whole library, or among the
// rows a patch list has selected.
//
// A search first files every slot holding a patch under the hash of its
// first message (Duplicates::add, through Library::calcDuplicates). toTable()
// then looks only into the entries of more than one slot: there the slots are
// filed again under the hash of all their bytes, and inside each such bucket
// the bytes themselves are compared, so slots are listed together only when
// every message of their dumps is byte for byte the same. A hash never
// decides alone: two different patches whose hashes agree are not listed.
//
// The table lists the groups of identical slots in library order (the order
// of their first slots), each group's slots in the order they were added;
// every slot but the first of its group is ticked, for removal.
//
// Items only refer to slots; nothing here owns a dump. GUI thread only, as
// the library it reads.
#pragma once

#include <QHash>
#include <QList>

#include <algorithm>

class PatchDump;
class PatchGroup;

// One slot of a patch group.
class PatchDumpItem
{
public:
    PatchDumpItem() = default;
    PatchDumpItem(int row, PatchGroup* group) : row(row), group(group) {}

    int row = -1;
    PatchGroup* group = nullptr; // not owned

    // The group's dump at row; null outside the group's rows.
    PatchDump* dump() const;
    // The dump holds at least one message (test dump() first).
    bool isValid() const;
    // The hash of the first message's bytes; 0 without one.
    quint32 hash1() const;
    // The hash of all the dump's bytes, messages in order; 0 without a dump.
    quint32 hash2() const;
    // Both dumps hold the same messages, byte for byte.
    bool sameContent(const PatchDumpItem& other) const;
};

// All items filed under one first hash.
template <typename Item>
struct DupEntry
{
    QList<Item> items;
    QList<int> order; // the search's running number of each item (its library order)
    // Positions in items, by hash of all the bytes; filled by toTable().
    QHash<quint32, QList<qsizetype>> byContent;
};

// One row of the duplicates table.
template <typename Item>
struct DuplicateItem
{
    Item item;
    int group = 0;       // the group of identical slots, counted from 1 in table order
    bool ticked = false; // chosen for removal
};

template <typename Item>
using DuplicateItems = QList<DuplicateItem<Item>>;

template <typename Item>
class Duplicates : public QHash<quint32, DupEntry<Item>>
{
public:
    // Files the item under its first hash; the order of the calls is the
    // library order the table keeps.
    void add(quint32 hash1, const Item& item)
    {
        DupEntry<Item>& entry = (*this)[hash1];
        entry.items.append(item);
        entry.order.append(m_added++);
    }

    // Clears out and fills it with every group of at least two identical
    // items (see the top of the file).
    void toTable(DuplicateItems<Item>& out)
    {
        out.clear();
        struct Found
        {
            int first; // running number of the group's first item
            QList<Item> items;
        };
        QList<Found> found;
        for (auto it = this->begin(); it != this->end(); ++it) {
            DupEntry<Item>& entry = it.value();
            entry.byContent.clear();
            if (entry.items.size() < 2)
                continue;
            for (qsizetype i = 0; i < entry.items.size(); ++i)
                entry.byContent[entry.items.at(i).hash2()].append(i);
            for (const QList<qsizetype>& bucket : std::as_const(entry.byContent)) {
                if (bucket.size() < 2)
                    continue;
                // Classes of equal bytes, each in bucket order.
                QList<QList<qsizetype>> classes;
                for (qsizetype at : bucket) {
                    const Item& item = entry.items.at(at);
                    auto same = std::find_if(classes.begin(), classes.end(), [&](const QList<qsizetype>& c) {
                        return entry.items.at(c.first()).sameContent(item);
                    });
                    if (same == classes.end())
                        classes.append(QList<qsizetype>{at});
                    else
                        same->append(at);
                }
                for (const QList<qsizetype>& c : std::as_const(classes)) {
                    if (c.size() < 2)
                        continue;
                    Found group{entry.order.at(c.first()), {}};
                    for (qsizetype at : c)
                        group.items.append(entry.items.at(at));
                    found.append(group);
                }
            }
        }
        std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return a.first < b.first; });
        int group = 0;
        for (const Found& f : std::as_const(found)) {
            ++group;
            for (qsizetype i = 0; i < f.items.size(); ++i)
                out.append(DuplicateItem<Item>{f.items.at(i), group, i > 0});
        }
    }

private:
    int m_added = 0;
};
