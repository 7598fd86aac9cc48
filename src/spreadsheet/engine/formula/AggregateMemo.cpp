#include "spreadsheet/engine/formula/AggregateMemo.h"

#include <QHashFunctions>
#include <algorithm>
#include <bit>

namespace {

bool sameNumber(const std::optional<double> &a, const std::optional<double> &b)
{
    if (a.has_value() != b.has_value())
        return false;
    return !a || std::bit_cast<quint64>(*a) == std::bit_cast<quint64>(*b);
}

bool isCells(const FormulaArgument &term)
{
    return term.kind == FormulaArgument::Kind::Cells;
}

int segmentCount(const FormulaArgument &term)
{
    return isCells(term) ? term.cells.endRow - term.cells.startRow + 1 : 1;
}

bool sameTerms(AggregateMemo::Arguments a, const std::vector<FormulaArgument> &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end());
}

} // namespace

AggregateMemo::AggregateMemo(CellNumberGrid &numbers)
    : m_grid(numbers)
{
}

size_t AggregateMemo::hashOf(Arguments arguments)
{
    size_t seed = 0;
    for (const FormulaArgument &term : arguments) {
        if (isCells(term)) {
            const ExcelRange &r = term.cells;
            seed = qHashMulti(seed, r.startRow, r.startCol, r.endRow, r.endCol);
        } else {
            seed = qHashMulti(seed, std::bit_cast<quint64>(term.number));
        }
    }
    return seed;
}

AggregateMemo::Entry *AggregateMemo::find(Arguments arguments, size_t hash)
{
    for (auto it = m_index.constFind(hash); it != m_index.cend() && it.key() == hash; ++it) {
        Entry &entry = m_entries[*it];
        if (sameTerms(arguments, entry.terms))
            return &entry;
    }
    return nullptr;
}

std::optional<AggregateMemo::Totals> AggregateMemo::reuse(Arguments arguments)
{
    Entry *entry = find(arguments, hashOf(arguments));
    if (!entry)
        return std::nullopt;
    if (!entry->current && entry->numbers) {
        const std::optional<double> total = entry->numbers->total();
        if (!total)
            return std::nullopt;
        entry->totals = {*total, entry->numbers->count()};
        entry->current = true;
    }
    if (!entry->current)
        return std::nullopt;
    ++entry->uses;
    return entry->totals;
}

AggregateMemo::Totals AggregateMemo::compute(Arguments arguments, qint64 &reads)
{
    const size_t hash = hashOf(arguments);
    Entry *known = find(arguments, hash);
    if (!known) {
        if (Entry *entry = remember(arguments, hash)) {
            fold(*entry, reads, nullptr);
            return entry->totals;
        }
        Entry once;
        describe(once, arguments, KeepCheckpoints::No);
        fold(once, reads, nullptr);
        return once.totals;
    }
    // Asked for again after a change: from now on follow the changes.
    Entry &entry = *known;
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
    for (size_t t = 0; t < entry.terms.size(); ++t) {
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

void AggregateMemo::addSegment(const FormulaArgument &term, int segment, Totals &totals, qint64 &reads,
                               IncrementalSum *collect)
{
    if (!isCells(term)) {
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

AggregateMemo::Entry *AggregateMemo::remember(Arguments arguments, size_t hash)
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
        const int position = int(place - m_entries.begin());
        m_index.remove(hashOf(place->terms), position);
        *place = Entry();
    }
    m_index.insert(hash, int(place - m_entries.begin()));
    describe(*place, arguments, KeepCheckpoints::Yes);
    return &*place;
}

void AggregateMemo::describe(Entry &entry, Arguments arguments, KeepCheckpoints keep)
{
    entry.terms.assign(arguments.begin(), arguments.end());
    entry.firstSegments.assign(arguments.size() + 1, 0);
    for (size_t t = 0; t < arguments.size(); ++t)
        entry.firstSegments[t + 1] = entry.firstSegments[t] + segmentCount(arguments[t]);
    const int segments = entry.firstSegments.back();
    if (keep == KeepCheckpoints::Yes && segments <= maxCheckpoints)
        entry.checkpoints.resize(segments);
}

void AggregateMemo::valueChanged(int row, int col, std::optional<double> before, std::optional<double> after)
{
    if (sameNumber(before, after))
        return;
    for (Entry &entry : m_entries) {
        for (size_t t = 0; t < entry.terms.size(); ++t) {
            const FormulaArgument &term = entry.terms[t];
            if (!isCells(term) || !term.cells.contains(row, col))
                continue;
            entry.current = false;
            entry.firstChanged = std::min(entry.firstChanged, entry.firstSegments[t] + row - term.cells.startRow);
            if (!entry.numbers)
                continue;
            if (before)
                entry.numbers->remove(*before);
            if (after)
                entry.numbers->add(*after);
        }
    }
}
