#include "spreadsheet/engine/formula/FormulaDependencies.h"

#include <algorithm>

void FormulaDependencies::reset(int rows, int columns)
{
    m_columns = columns;
    m_firstEdge.clear();
    m_firstEdge.shrink_to_fit();
    m_edges.clear();
    m_freeEdge = -1;
    m_bands.assign(size_t(std::max(0, rows + bandRows - 1) / bandRows), {});
    m_rowCount = rows;
}

bool FormulaDependencies::isListed(const ExcelRange &cells)
{
    return qint64(cells.endRow - cells.startRow + 1) * (cells.endCol - cells.startCol + 1) <= maxListedCells;
}

void FormulaDependencies::add(qint32 reader, const ExcelRange &cells)
{
    if (!isListed(cells)) {
        for (int band = cells.startRow / bandRows; band <= cells.endRow / bandRows; ++band)
            m_bands[band].push_back({cells, reader});
        return;
    }
    if (m_firstEdge.empty())
        m_firstEdge.assign(size_t(m_rowCount) * m_columns, -1);
    for (int r = cells.startRow; r <= cells.endRow; ++r) {
        for (int c = cells.startCol; c <= cells.endCol; ++c)
            link(size_t(r) * m_columns + c, reader);
    }
}

void FormulaDependencies::remove(qint32 reader, const ExcelRange &cells)
{
    if (!isListed(cells)) {
        for (int band = cells.startRow / bandRows; band <= cells.endRow / bandRows; ++band) {
            std::vector<Watch> &watches = m_bands[band];
            const auto found = std::find_if(watches.begin(), watches.end(), [&](const Watch &watch) {
                return watch.reader == reader && watch.cells == cells;
            });
            if (found != watches.end()) {
                *found = watches.back();
                watches.pop_back();
            }
        }
        return;
    }
    for (int r = cells.startRow; r <= cells.endRow; ++r) {
        for (int c = cells.startCol; c <= cells.endCol; ++c)
            unlink(size_t(r) * m_columns + c, reader);
    }
}

void FormulaDependencies::link(size_t cell, qint32 reader)
{
    qint32 edge = m_freeEdge;
    if (edge >= 0) {
        m_freeEdge = m_edges[edge].next;
        m_edges[edge] = {reader, m_firstEdge[cell]};
    } else {
        edge = qint32(m_edges.size());
        m_edges.push_back({reader, m_firstEdge[cell]});
    }
    m_firstEdge[cell] = edge;
}

void FormulaDependencies::unlink(size_t cell, qint32 reader)
{
    qint32 *link = &m_firstEdge[cell];
    while (*link >= 0 && m_edges[*link].reader != reader)
        link = &m_edges[*link].next;
    if (*link < 0)
        return;
    const qint32 edge = *link;
    *link = m_edges[edge].next;
    m_edges[edge].next = m_freeEdge;
    m_freeEdge = edge;
}
