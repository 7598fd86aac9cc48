#include "AggregateMemo.h"

#include <algorithm>

const AggregateMemo::Entry *AggregateMemo::find(const QString &key) const
{
    const auto it = m_entries.constFind(key);
    return it == m_entries.cend() ? nullptr : &*it;
}

void AggregateMemo::insert(const QString &key, Entry entry)
{
    if (m_entries.size() < maxEntries)
        m_entries.insert(key, std::move(entry));
}

void AggregateMemo::cellChanged(int row, int col)
{
    m_entries.removeIf([row, col](const QHash<QString, Entry>::iterator &it) {
        return std::any_of(it->reads.cbegin(), it->reads.cend(),
                           [row, col](const ExcelRange &range) { return range.contains(row, col); });
    });
}
