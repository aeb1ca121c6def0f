// The look-ups a panel makes for every incoming message and every changed
// value, built once from its items instead of walking them each time:
//   - which items read which parameter addresses, so that a message reaches
//     only the controls whose parameters it can hold: one lookup per message
//     and panel, then a call per control it touches;
//   - which items depend on which driver title (their "enable"), so that a
//     changed driver switches its dependants without a walk of every item.
//
// Items are named by their index in the panel's item list. The index is a
// plain value the panel rebuilds when its items or their addresses change
// (a load, an added control, a new iterator, clear); it holds no pointers.
// GUI thread only, like the panel.
#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include <utility>
#include <vector>

class PanelIndex
{
public:
    void clear();

    // Item `item` reads a parameter at address / depends on the driver
    // titled title.
    void addAddress(unsigned int address, int item);
    void addDependant(const QString& title, int item);
    // Orders what was added; lookups need it. Items may be added in any
    // order before.
    void finish();

    // Appends the items that read an address in [first, end), each once and
    // in item order. Nothing for an empty range, or when no item reads there.
    void itemsReading(unsigned long long first, unsigned long long end, QList<int>& out) const;
    // The items whose "enable" is title, in item order; empty for none.
    QList<int> dependants(const QString& title) const { return m_dependants.value(title); }

    // Addresses indexed (an item reading several counts each).
    int addressCount() const { return int(m_addresses.size()); }

private:
    // (address, item), ordered by address and then item once finished.
    std::vector<std::pair<unsigned int, int>> m_addresses;
    QHash<QString, QList<int>> m_dependants;
};
