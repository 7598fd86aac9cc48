#include "AggregateMemo.h"

#include "CellNumber.h"

#include <algorithm>
#include <bit>

namespace {

bool sameNumber(const std::optional<double> &a, const std::optional<double> &b)
{
    if (a.has_value() != b.has_value())
        return false;
    return !a || std::bit_cast<quint64>(*a) == std::bit_cast<quint64>(*b);
}

qint64 cellCount(const ExcelRange &range)
{
    return qint64(range.endRow - range.startRow + 1) * (range.endCol - range.startCol + 1);
}

} // namespace

AggregateMemo::AggregateMemo(const CellGrid &cells, const CellGrid &values)
    : m_grid(cells, values)
{
}

std::optional<AggregateMemo::Totals> AggregateMemo::reuse(const QString &key)
{
    const auto found = m_index.constFind(key);
    if (found == m_index.cend())
        return std::nullopt;
    Entry &entry = m_entries[*found];
    if (!entry.current && entry.numbers) {
        const std::optional<double> total = entry.numbers->total();
        if (!total)
            return std::nullopt;
        entry.totals = {*total, entry.numbers->count()};
        entry.current = true;
    }
    if (!entry.current)
        return std::nullopt;
    ++entry.uses;
    return entry.totals;
}

AggregateMemo::Totals AggregateMemo::compute(const QString &key, const QList<AggregateTerm> &terms,
                                             qint64 &reads)
{
    const auto found = m_index.constFind(key);
    if (found == m_index.cend()) {
        const Totals totals = fold(terms, reads, nullptr);
        remember(key, terms, totals);
        return totals;
    }
    // Asked for again after a change: from now on follow the changes.
    Entry &entry = m_entries[*found];
    const bool collect = !entry.numbers;
    if (collect)
        entry.numbers = std::make_unique<IncrementalSum>();
    entry.totals = fold(terms, reads, collect ? entry.numbers.get() : nullptr);
    entry.current = true;
    ++entry.uses;
    return entry.totals;
}

AggregateMemo::Totals AggregateMemo::fold(const QList<AggregateTerm> &terms, qint64 &reads,
                                          IncrementalSum *collect)
{
    Totals totals;
    for (const AggregateTerm &term : terms) {
        if (!term.isCells) {
            totals.sum += term.number;
            ++totals.count;
            if (collect)
                collect->add(term.number);
            continue;
        }
        reads += cellCount(term.cells);
        if (!collect) {
            m_grid.fold(term.cells, totals.sum, totals.count);
            continue;
        }
        m_grid.forEachNumber(term.cells, [&totals, collect](double number) {
            totals.sum += number;
            ++totals.count;
            collect->add(number);
        });
    }
    return totals;
}

void AggregateMemo::remember(const QString &key, const QList<AggregateTerm> &terms, const Totals &totals)
{
    Entry entry;
    entry.key = key;
    entry.terms = terms;
    entry.totals = totals;
    if (int(m_entries.size()) < maxEntries) {
        m_index.insert(key, int(m_entries.size()));
        m_entries.push_back(std::move(entry));
        return;
    }
    // Full: give the place of a call that was never asked for again, since
    // one that was is likely asked for once more.
    const auto unused = std::find_if(m_entries.begin(), m_entries.end(),
                                     [](const Entry &e) { return e.uses == 1; });
    if (unused == m_entries.end())
        return;
    m_index.remove(unused->key);
    m_index.insert(key, int(unused - m_entries.begin()));
    *unused = std::move(entry);
}

void AggregateMemo::valueChanged(int row, int col, const QString &before, const QString &after)
{
    const std::optional<double> oldNumber = cellNumber(before);
    const std::optional<double> newNumber = cellNumber(after);
    if (sameNumber(oldNumber, newNumber))
        return;
    m_grid.set(row, col, newNumber);
    for (Entry &entry : m_entries) {
        for (const AggregateTerm &term : entry.terms) {
            if (!term.isCells || !term.cells.contains(row, col))
                continue;
            entry.current = false;
            if (!entry.numbers)
                break;
            if (oldNumber)
                entry.numbers->remove(*oldNumber);
            if (newNumber)
                entry.numbers->add(*newNumber);
        }
    }
}
