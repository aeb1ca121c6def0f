// Editing of slot lists by index sets: the keybanks of a waveform, the
// waveform slots of a wave bank and the voice slots of a voice bank.
//
// SortList sorts an index list; RemoveItems drops the slots at a set of
// indexes; Reorganize moves a selection of slots as one block. None of them
// deletes or creates an element: owners delete what they take out first.
//
// Index lists come from the user's selection, so they are checked here:
// RemoveItems skips indexes outside the list and every repeat of an index
// (removing "3" twice would take two different slots); Reorganize refuses a
// list with either and leaves the slots as they were.
#pragma once

#include "Containers.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <functional>

// Sorts the list in place by the comparison: std::less ascending,
// std::greater descending.
template <typename List, typename Compare>
void SortList(List& list, Compare compare = Compare())
{
    if (list.isEmpty())
        return;
    std::sort(list.begin(), list.end(), compare);
}

// Removes the slots at the indexes, highest first so that no removal shifts
// an index still to come. Indexes outside 0..count-1 and repeats are skipped.
template <typename List>
void RemoveItems(List& list, ints indexes)
{
    SortList<ints, std::greater<int>>(indexes);
    int previous = -1;
    for (int index : indexes) {
        if (index == previous)
            continue;
        previous = index;
        if (index >= 0 && index < list.size())
            list.removeAt(index);
    }
}

// True when every index lies inside a list of count slots and none repeats.
inline bool ValidIndexes(const ints& indexes, qsizetype count)
{
    QSet<int> seen;
    for (int index : indexes) {
        if (index < 0 || index >= count || seen.contains(index))
            return false;
        seen.insert(index);
    }
    return true;
}

// Moves the slots at the indexes, in the order the indexes are given, as one
// block to position: the block lands just before the slot that stood at
// position (or at the end), and position ends as the index of the block's
// first slot. False, and nothing moved, for an index outside the list or a
// repeated one.
template <typename List>
bool Reorganize(List& list, int& position, const ints& indexes)
{
    if (!ValidIndexes(indexes, list.size()))
        return false;
    QList<typename List::value_type> moving;
    moving.reserve(indexes.size());
    for (int index : indexes)
        moving.append(list.at(index));
    for (const auto& item : moving) {
        const qsizetype k = list.indexOf(item);
        if (k >= 0 && k < list.size()) {
            list.removeAt(k);
            if (k < position)
                --position;
        }
    }
    position = std::clamp(position, 0, int(list.size()));
    for (qsizetype j = 0; j < moving.size(); ++j)
        list.insert(position + j, moving.at(j));
    return true;
}

// Deletes every element of an owning list of pointers, then empties it.
template <typename List>
void DeleteItems(List& list)
{
    for (auto* item : std::as_const(list))
        delete item;
    list.clear();
}

// Elements that are there and have data.
template <typename List>
int CountWithData(const List& list)
{
    int n = 0;
    for (const auto* item : list) {
        if (item && item->hasData())
            ++n;
    }
    return n;
}

// The first element, banks in list order and each bank's slots in order,
// that visit accepts; null when none does.
template <typename Bank, typename List, typename Visit>
auto FindInBanks(const QList<Bank*>& banks, List Bank::*slotsOf, Visit visit) -> typename List::value_type
{
    for (const Bank* bank : banks) {
        for (auto* item : bank->*slotsOf) {
            if (item && visit(item))
                return item;
        }
    }
    return nullptr;
}

// A list of pointer slots that can record how a reorganisation moved them: a
// snapshot of the order before the move and, after it, for each old position
// the new position of the slot that stood there. Recording is off until
// setKeepOrder(true).
template <typename T>
class SlotList : public VectorEx<T>
{
public:
    bool keepOrder() const { return this->m_extraWord != 0; }
    void setKeepOrder(bool on) { this->m_extraWord = on ? 1 : 0; }
    // The order before the last recorded move.
    const QList<T>& savedItems() const { return this->m_extra; }
    // For each old position, the new one, after the last recorded move.
    const ints& orderMap() const { return this->m_extraInts; }

    // Reorganize, recorded when keepOrder() is on. Without recording: true
    // when the indexes were accepted. With it: true when at least one slot
    // changed its position.
    bool reorganize(int& position, const ints& indexes)
    {
        if (keepOrder())
            this->m_extra = *this;
        if (!Reorganize(*this, position, indexes))
            return false;
        if (!keepOrder())
            return true;
        if (this->m_extra.isEmpty())
            return false;
        QHash<T, int> now;
        for (qsizetype i = 0; i < this->size(); ++i)
            now.insert(this->at(i), int(i));
        this->m_extraInts.clear();
        bool moved = false;
        for (qsizetype i = 0; i < this->m_extra.size(); ++i) {
            const int to = now.value(this->m_extra.at(i), int(i));
            moved = moved || to != i;
            this->m_extraInts.append(to);
        }
        return moved;
    }
};
