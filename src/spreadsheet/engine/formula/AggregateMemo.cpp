#include "spreadsheet/engine/formula/AggregateMemo.h"

#include "spreadsheet/engine/model/CellNumber.h"

#include <algorithm>
#include <bit>

namespace {

bool sameNumber(const std::optional<double> &a, const std::optional<double> &b)
{
    if (a.has_value() != b.has_value())
        return false;
    return !a || std::bit_cast<quint64>(*a) == std::bit_cast<quint64>(*b);
}

int segmentCount(const AggregateTerm &term)
{
    return term.isCells ? term.cells.endRow - term.cells.startRow + 1 : 1;
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
        if (Entry *entry = remember(key, terms)) {
            fold(*entry, reads, nullptr);
            return entry->totals;
        }
        Entry once;
        describe(once, terms, KeepCheckpoints::No);
        fold(once, reads, nullptr);
        return once.totals;
    }
    // Asked for again after a change: from now on follow the changes.
    Entry &entry = m_entries[*found];
    const bool collect = !entry.numbers;
    if (collect)
        entry.numbers = std::make_unique<IncrementalSum>();
    fold(entry, reads, collect ? entry.numbers.get() : nullptr);
    ++entry.uses;
    return entry.totals;
}

void AggregateMemo::fold(Entry &entry, qint64 &reads, IncrementalSum *collect)
{
    const int segments = entry.firstSegments.back();
    const bool keep = !entry.checkpoints.empty();
    const int start = keep && !collect ? entry.firstChanged : 0;
    if (start >= segments && segments > 0)
        return; // nothing changed since the last fold
    Totals totals = start > 0 ? entry.checkpoints[start] : Totals();
    for (qsizetype t = 0; t < entry.terms.size(); ++t) {
        const int first = entry.firstSegments[t];
        for (int segment = std::max(start, first); segment < entry.firstSegments[t + 1]; ++segment) {
            if (keep)
                entry.checkpoints[segment] = totals;
            addSegment(entry.terms[t], segment - first, totals, reads, collect);
        }
    }
    entry.totals = totals;
    entry.current = true;
    entry.firstChanged = segments;
}

void AggregateMemo::addSegment(const AggregateTerm &term, int segment, Totals &totals, qint64 &reads,
                               IncrementalSum *collect)
{
    if (!term.isCells) {
        totals.sum += term.number;
        ++totals.count;
        if (collect)
            collect->add(term.number);
        return;
    }
    const int row = term.cells.startRow + segment;
    const ExcelRange cells{row, term.cells.startCol, row, term.cells.endCol};
    reads += term.cells.endCol - term.cells.startCol + 1;
    if (!collect) {
        m_grid.fold(cells, totals.sum, totals.count);
        return;
    }
    m_grid.forEachNumber(cells, [&totals, collect](double number) {
        totals.sum += number;
        ++totals.count;
        collect->add(number);
    });
}

AggregateMemo::Entry *AggregateMemo::remember(const QString &key, const QList<AggregateTerm> &terms)
{
    auto place = m_entries.end();
    if (int(m_entries.size()) < maxEntries) {
        place = m_entries.emplace(m_entries.end());
    } else {
        // Full: give the place of a call that was never asked for again,
        // since one that was is likely asked for once more.
        place = std::find_if(m_entries.begin(), m_entries.end(), [](const Entry &e) { return e.uses == 1; });
        if (place == m_entries.end())
            return nullptr;
        m_index.remove(place->key);
        *place = Entry();
    }
    m_index.insert(key, int(place - m_entries.begin()));
    place->key = key;
    describe(*place, terms, KeepCheckpoints::Yes);
    return &*place;
}

void AggregateMemo::describe(Entry &entry, const QList<AggregateTerm> &terms, KeepCheckpoints keep)
{
    entry.terms = terms;
    entry.firstSegments.assign(terms.size() + 1, 0);
    for (qsizetype t = 0; t < terms.size(); ++t)
        entry.firstSegments[t + 1] = entry.firstSegments[t] + segmentCount(terms[t]);
    const int segments = entry.firstSegments.back();
    if (keep == KeepCheckpoints::Yes && segments <= maxCheckpoints)
        entry.checkpoints.resize(segments);
}

void AggregateMemo::valueChanged(int row, int col, const QString &before, const QString &after)
{
    const std::optional<double> oldNumber = cellNumber(before);
    const std::optional<double> newNumber = cellNumber(after);
    if (sameNumber(oldNumber, newNumber))
        return;
    m_grid.set(row, col, newNumber);
    for (Entry &entry : m_entries) {
        for (qsizetype t = 0; t < entry.terms.size(); ++t) {
            const AggregateTerm &term = entry.terms[t];
            if (!term.isCells || !term.cells.contains(row, col))
                continue;
            entry.current = false;
            entry.firstChanged = std::min(entry.firstChanged, entry.firstSegments[t] + row - term.cells.startRow);
            if (!entry.numbers)
                continue;
            if (oldNumber)
                entry.numbers->remove(*oldNumber);
            if (newNumber)
                entry.numbers->add(*newNumber);
        }
    }
}
