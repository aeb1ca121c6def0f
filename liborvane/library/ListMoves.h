// Moving and removing many rows of a list at once, in one pass over the list.
//
// Both take row numbers as the caller saw them before the change, so the
// caller never has to correct them for rows that went before. Neither deletes
// anything: a list that owns its elements deletes them itself.
#pragma once

#include "Containers.h"

#include <QList>

#include <vector>

// Moves the elements at rows (in the order of rows) to stand together just
// before the element that stood at target, or at the end when target is the
// size of the list. On return target is the row of the first moved element.
// Rows outside the list and repeated rows are left out.
template <typename L>
void Reorganize(L& list, int& target, const ints& rows)
{
    const qsizetype n = list.size();
    std::vector<bool> moving(size_t(n), false);
    QList<typename L::value_type> block;
    block.reserve(rows.size());
    for (int row : rows) {
        if (row < 0 || row >= n || moving[size_t(row)])
            continue;
        moving[size_t(row)] = true;
        block.append(list.at(row));
    }
    if (target < 0)
        target = 0;
    if (target > n)
        target = int(n);
    if (block.isEmpty())
        return;

    // The block lands where the target row stands once the moved rows are gone.
    int at = target;
    for (qsizetype i = 0; i < target; ++i) {
        if (moving[size_t(i)])
            --at;
    }
    QList<typename L::value_type> order;
    order.reserve(n);
    for (qsizetype i = 0; i < n; ++i) {
        if (order.size() == at && !block.isEmpty()) {
            order.append(block);
            block.clear();
        }
        if (!moving[size_t(i)])
            order.append(list.at(i));
    }
    order.append(block); // a block that goes to the end
    static_cast<QList<typename L::value_type>&>(list) = std::move(order);
    target = at;
}

// Removes the elements at rows; rows outside the list are ignored, a row
// named twice is removed once. The others keep their order.
template <typename L>
void RemoveItems(L& list, const ints& rows)
{
    const qsizetype n = list.size();
    std::vector<bool> gone(size_t(n), false);
    bool any = false;
    for (int row : rows) {
        if (row >= 0 && row < n) {
            gone[size_t(row)] = true;
            any = true;
        }
    }
    if (!any)
        return;
    qsizetype kept = 0;
    for (qsizetype i = 0; i < n; ++i) {
        if (!gone[size_t(i)])
            list[kept++] = list.at(i);
    }
    list.resize(kept);
}
