#pragma once

#include "spreadsheet/engine/model/ExcelRange.h"

#include <QtGlobal>
#include <vector>

// Which formula cells read which cells: each formula registers the ranges
// its arguments cover, and a changed cell finds every formula reading it.
// Cells are numbered row-major (row × columns + column). Small ranges are
// listed under each of their cells; large ones under each band of rows they
// cross, and tested for the cell when it is looked up.
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
    // Calls onReader(reader) for each registration covering (row, col); a
    // formula reading the cell through several arguments comes several times.
    template<typename Fn>
    void forEachReader(int row, int col, Fn onReader) const
    {
        if (!m_firstEdge.empty()) {
            for (qint32 edge = m_firstEdge[size_t(row) * m_columns + col]; edge >= 0; edge = m_edges[edge].next)
                onReader(m_edges[edge].reader);
        }
        for (const Watch &watch : m_bands[row / bandRows]) {
            if (watch.cells.contains(row, col))
                onReader(watch.reader);
        }
    }

    // Ranges of up to this many cells are listed cell by cell.
    static constexpr qint64 maxListedCells = 16;
    static constexpr int bandRows = 32;

private:
    struct Edge {
        qint32 reader;
        qint32 next; // -1 ends a cell's list
    };
    struct Watch {
        ExcelRange cells;
        qint32 reader;
    };

    static bool isListed(const ExcelRange &cells);
    void link(size_t cell, qint32 reader);
    void unlink(size_t cell, qint32 reader);

    int m_rowCount = 0;
    int m_columns = 0;
    std::vector<qint32> m_firstEdge; // per cell; allocated with the first listed range
    std::vector<Edge> m_edges;
    qint32 m_freeEdge = -1; // unlinked edges, chained through next
    std::vector<std::vector<Watch>> m_bands;
};
