#pragma once

#include "spreadsheet/engine/formula/CellNumberGrid.h"
#include "spreadsheet/engine/formula/FormulaFunctions.h"
#include "spreadsheet/engine/formula/IncrementalSum.h"

#include <QHash>
#include <memory>
#include <optional>
#include <span>
#include <vector>

// The sums of SUM and AVERAGE calls within one recalculation pass, so cells
// that aggregate the same arguments share the work. Each call's numbers are
// read from the CellNumberGrid and added in order. A call asked for again
// keeps an IncrementalSum of its numbers that follows each value change the
// pass reports; while that sum is certain (see IncrementalSum), a changed call
// costs O(1) instead of a re-read. When it is not, the call adds its numbers
// again from the first row that changed, starting from the partial sum it
// reached there last time. Every result is what adding the numbers in order
// afresh would give, bit for bit.
class AggregateMemo
{
public:
    using Totals = FormulaFunctions::Totals;
    using Arguments = std::span<const FormulaArgument>;

    // Most calls remembered; each value change is checked against every one.
    static constexpr int maxEntries = 64;
    // Most rows (and literal numbers) of a call whose partial sums are kept.
    static constexpr int maxCheckpoints = 4096;

    // The grid must outlive the memo; the caller keeps it current.
    explicit AggregateMemo(CellNumberGrid &numbers);

    // The totals of the call with these arguments (cells and numbers) when
    // known without reading a cell; nullopt otherwise.
    std::optional<Totals> reuse(Arguments arguments);
    // Computes the totals of the call, reading its cells; adds the number of
    // cells read to `reads`.
    Totals compute(Arguments arguments, qint64 &reads);
    // A formula cell's number changes (the memo reads no cell here).
    void valueChanged(int row, int col, std::optional<double> before, std::optional<double> after);
    // True until a call is remembered: changes need not be reported before.
    bool isEmpty() const { return m_entries.empty(); }

private:
    // The numbers of a call are added in segments: each row of a range and
    // each literal number is one.
    struct Entry {
        std::vector<FormulaArgument> terms;
        std::vector<int> firstSegments; // of each term, and the segment count last
        Totals totals;
        bool current = true; // no cell it reads has changed since
        int uses = 1;
        std::unique_ptr<IncrementalSum> numbers; // built when the call is computed again
        // The totals before each segment as of the last fold (empty when the
        // call has too many segments); those up to firstChanged still hold.
        std::vector<Totals> checkpoints;
        int firstChanged = 0;
    };

    Entry *find(Arguments arguments, size_t hash);
    // Adds the numbers of the entry's segments from firstChanged on (all of
    // them when collecting or without checkpoints), keeping the checkpoints.
    void fold(Entry &entry, qint64 &reads, IncrementalSum *collect);
    void addSegment(const FormulaArgument &term, int segment, Totals &totals, qint64 &reads,
                    IncrementalSum *collect);
    // A new entry for the call, or nullptr when the memo has no room.
    Entry *remember(Arguments arguments, size_t hash);
    enum class KeepCheckpoints { No, Yes };
    static void describe(Entry &entry, Arguments arguments, KeepCheckpoints keep);
    static size_t hashOf(Arguments arguments);

    CellNumberGrid &m_grid;
    std::vector<Entry> m_entries;
    QMultiHash<size_t, int> m_index; // hash of the arguments → position in m_entries
};
