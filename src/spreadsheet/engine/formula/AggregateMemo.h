#pragma once

#include "spreadsheet/engine/formula/CellNumberGrid.h"
#include "spreadsheet/engine/model/ExcelRange.h"
#include "spreadsheet/engine/formula/IncrementalSum.h"

#include <QHash>
#include <QList>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

// One argument of SUM or AVERAGE as it adds up: the cells of a range (a
// reference is a one-cell range) or a literal number.
struct AggregateTerm {
    ExcelRange cells;
    double number = 0;
    bool isCells = true;
};

// The sums of SUM and AVERAGE calls within one recalculation pass, so cells
// that aggregate the same arguments share the work. Each call's numbers are
// read from a CellNumberGrid (parsed once per pass) and added in order. A
// call asked for again keeps an IncrementalSum of its numbers that follows
// each value change the pass reports; while that sum is certain (see
// IncrementalSum), a changed call costs O(1) instead of a re-read. When it is
// not, the call adds its numbers again from the first row that changed,
// starting from the partial sum it reached there last time. Every result is
// what adding the numbers in order afresh would give, bit for bit.
class AggregateMemo
{
public:
    struct Totals {
        double sum = 0;   // the numbers added in order, starting from +0
        qint64 count = 0; // how many numbers
    };

    // Most calls remembered; each value change is checked against every one.
    static constexpr int maxEntries = 64;
    // Most rows (and literal numbers) of a call whose partial sums are kept.
    static constexpr int maxCheckpoints = 4096;

    // Both grids must outlive the memo; `values` is the pass's value grid.
    AggregateMemo(const CellGrid &cells, const CellGrid &values);

    // The totals of the call `key` (its arguments as written) when known
    // without reading a cell; nullopt otherwise.
    std::optional<Totals> reuse(const QString &key);
    // Computes the totals of `terms`, the call `key`, reading their cells;
    // adds the number of cells read to `reads`.
    Totals compute(const QString &key, const QList<AggregateTerm> &terms, qint64 &reads);
    // A formula cell's value text changes (reported before the value grid
    // holds the new text).
    void valueChanged(int row, int col, const QString &before, const QString &after);

private:
    // The numbers of a call are added in segments: each row of a range and
    // each literal number is one.
    struct Entry {
        QString key;
        QList<AggregateTerm> terms;
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

    // Adds the numbers of the entry's segments from firstChanged on (all of
    // them when collecting or without checkpoints), keeping the checkpoints.
    void fold(Entry &entry, qint64 &reads, IncrementalSum *collect);
    void addSegment(const AggregateTerm &term, int segment, Totals &totals, qint64 &reads,
                    IncrementalSum *collect);
    // A new entry for the call, or nullptr when the memo has no room.
    Entry *remember(const QString &key, const QList<AggregateTerm> &terms);
    enum class KeepCheckpoints { No, Yes };
    static void describe(Entry &entry, const QList<AggregateTerm> &terms, KeepCheckpoints keep);

    CellNumberGrid m_grid;
    std::vector<Entry> m_entries;
    QHash<QString, int> m_index; // key → position in m_entries
};
