#include "PanelIndex.h"

#include <algorithm>

void PanelIndex::clear()
{
    m_addresses.clear();
    m_dependants.clear();
}

void PanelIndex::addAddress(unsigned int address, int item)
{
    m_addresses.emplace_back(address, item);
}

void PanelIndex::addDependant(const QString& title, int item)
{
    m_dependants[title].append(item);
}

void PanelIndex::finish()
{
    std::sort(m_addresses.begin(), m_addresses.end());
    // A control reading one address twice (two ends of a range at one
    // address) needs one entry.
    m_addresses.erase(std::unique(m_addresses.begin(), m_addresses.end()), m_addresses.end());
    for (QList<int>& items : m_dependants)
        std::sort(items.begin(), items.end());
}

void PanelIndex::itemsReading(unsigned long long first, unsigned long long end, QList<int>& out) const
{
    if (first >= end || m_addresses.empty())
        return;
    // Most panels hold no parameter of a given message: one compare each.
    if (first > m_addresses.back().first || end <= m_addresses.front().first)
        return;
    auto it = std::lower_bound(m_addresses.begin(), m_addresses.end(), first,
                               [](const std::pair<unsigned int, int>& entry, unsigned long long address) {
                                   return entry.first < address;
                               });
    const qsizetype before = out.size();
    for (; it != m_addresses.end() && it->first < end; ++it)
        out.append(it->second);
    // A block message reaches several addresses of one control (a name, a
    // patch selector) and the controls of a range of addresses out of cell
    // order: every control once, in cell order.
    if (out.size() - before > 1) {
        std::sort(out.begin() + before, out.end());
        out.erase(std::unique(out.begin() + before, out.end()), out.end());
    }
}
