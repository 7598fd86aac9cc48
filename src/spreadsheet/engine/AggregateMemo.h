#pragma once

#include "ExcelRange.h"

#include <QHash>
#include <QList>
#include <QString>

// Results of SUM and AVERAGE calls within one recalculation pass, so cells
// that aggregate the same ranges compute them once. An entry holds while no
// cell it read changes value: the pass reports each change (cellChanged) and
// the entries reading that cell are dropped, so a reused result is exactly
// what computing it again would give.
class AggregateMemo
{
public:
    struct Entry {
        QString value;
        QString exact;
        QList<ExcelRange> reads; // the cells the computation read
    };

    // Most entries kept; each value change is checked against every entry.
    static constexpr int maxEntries = 64;

    // The entry under `key` (the call's name and arguments), or nullptr.
    const Entry *find(const QString &key) const;
    // Keeps `entry` unless maxEntries are held already.
    void insert(const QString &key, Entry entry);
    // Drops every entry that read the cell at (row, col).
    void cellChanged(int row, int col);

private:
    QHash<QString, Entry> m_entries;
};
