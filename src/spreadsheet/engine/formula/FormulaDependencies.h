#pragma once

#include "spreadsheet/engine/model/ExcelRange.h"

#include <QHash>
#include <QtGlobal>
#include <vector>

// Which formula cells read which cells: each formula registers the ranges
// its arguments cover, and a changed cell finds the formulas reading it.
// Cells are numbered row-major (row × columns + column). Small ranges are
// listed under each of their cells. A large range is kept once, with every
// formula reading it, under each block of 32 × 32 cells it crosses, and is
// tested for the cell when it is looked up; within one pass it reports its
// readers once for each kind of look-up, so a sheet whose every cell sums
// the whole grid does not report every formula for every change.
class FormulaDependencies
{
public:
    // Forgets every registration; the grid is `rows` × `columns`.
    void reset(int rows, int columns);
    // The formula at `reader` reads `cells` (inside the grid); once per
    // argument, so a range read twice is registered twice.
    void add(qint32 reader, const ExcelRange &cells);
    // Undoes one add() of the same two values.
    void remove(qint32 reader, const ExcelRange &cells);
    // A new pass: large ranges may report their readers again.
    void startPass() { ++m_pass; }

    // Calls onReader(reader) for each registration covering (row, col); a
    // formula reading the cell through several arguments comes several times.
    template<typename Fn>
    void forEachReader(int row, int col, Fn onReader)
    {
        forEachListed(row, col, onReader);
        forEachRange(row, col, [&](Range &range) {
            for (const qint32 reader : range.readers)
                onReader(reader);
        });
    }
    // The readers after the cell `after`, for a value that changed during
    // the pass; a large range already asked for readers after an earlier
    // cell in this pass reports nothing new and is skipped.
    template<typename Fn>
    void forEachReaderAfter(int row, int col, qint32 after, Fn onReader)
    {
        forEachListed(row, col, [&](qint32 reader) {
            if (reader > after)
                onReader(reader);
        });
        forEachRange(row, col, [&](Range &range) {
            if (range.afterPass == m_pass && range.after <= after)
                return;
            range.afterPass = m_pass;
            range.after = after;
            for (const qint32 reader : range.readers) {
                if (reader > after)
                    onReader(reader);
            }
        });
    }
    // The readers at or before the cell `upTo`; a large range already asked
    // for readers up to a later cell in this pass is skipped.
    template<typename Fn>
    void forEachReaderUpTo(int row, int col, qint32 upTo, Fn onReader)
    {
        forEachListed(row, col, [&](qint32 reader) {
            if (reader <= upTo)
                onReader(reader);
        });
        forEachRange(row, col, [&](Range &range) {
            if (range.upToPass == m_pass && range.upTo >= upTo)
                return;
            range.upToPass = m_pass;
            range.upTo = upTo;
            for (const qint32 reader : range.readers) {
                if (reader <= upTo)
                    onReader(reader);
            }
        });
    }

    // Ranges of up to this many cells are listed cell by cell.
    static constexpr qint64 maxListedCells = 16;
    static constexpr int blockSize = 32;

private:
    struct Edge {
        qint32 reader;
        qint32 next; // -1 ends a cell's list
    };
    struct Range {
        ExcelRange cells;
        std::vector<qint32> readers; // empty: a free place
        quint32 afterPass = 0;
        qint32 after = 0;
        quint32 upToPass = 0;
        qint32 upTo = 0;
    };

    static bool isListed(const ExcelRange &cells);
    void link(size_t cell, qint32 reader);
    void unlink(size_t cell, qint32 reader);
    // Calls fn with the index list of each block `cells` crosses.
    template<typename Fn>
    void forEachBlock(const ExcelRange &cells, Fn fn)
    {
        for (int r = cells.startRow / blockSize; r <= cells.endRow / blockSize; ++r) {
            for (int c = cells.startCol / blockSize; c <= cells.endCol / blockSize; ++c)
                fn(m_blocks[size_t(r) * m_blockColumns + c]);
        }
    }
    template<typename Fn>
    void forEachListed(int row, int col, Fn onReader) const
    {
        if (m_firstEdge.empty())
            return;
        for (qint32 edge = m_firstEdge[size_t(row) * m_columns + col]; edge >= 0; edge = m_edges[edge].next)
            onReader(m_edges[edge].reader);
    }
    template<typename Fn>
    void forEachRange(int row, int col, Fn onRange)
    {
        if (m_blocks.empty())
            return;
        for (const qint32 index : m_blocks[size_t(row / blockSize) * m_blockColumns + col / blockSize]) {
            Range &range = m_ranges[index];
            if (range.cells.contains(row, col))
                onRange(range);
        }
    }

    int m_rowCount = 0;
    int m_columns = 0;
    std::vector<qint32> m_firstEdge; // per cell; allocated with the first listed range
    std::vector<Edge> m_edges;
    qint32 m_freeEdge = -1; // unlinked edges, chained through next

    std::vector<Range> m_ranges;
    std::vector<qint32> m_freeRanges;
    QHash<ExcelRange, qint32> m_rangeIndex;
    int m_blockColumns = 0;
    std::vector<std::vector<qint32>> m_blocks; // indices in m_ranges
    quint32 m_pass = 1;
};
