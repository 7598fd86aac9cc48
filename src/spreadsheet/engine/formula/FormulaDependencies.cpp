#include "spreadsheet/engine/formula/FormulaDependencies.h"

#include <algorithm>

void FormulaDependencies::reset(int rows, int columns)
{
    m_rowCount = rows;
    m_columns = columns;
    m_firstEdge.clear();
    m_firstEdge.shrink_to_fit();
    m_edges.clear();
    m_freeEdge = -1;
    m_ranges.clear();
    m_freeRanges.clear();
    m_rangeIndex.clear();
    m_blockColumns = (std::max(0, columns) + blockSize - 1) / blockSize;
    m_blocks.assign(size_t((std::max(0, rows) + blockSize - 1) / blockSize) * m_blockColumns, {});
}

bool FormulaDependencies::isListed(const ExcelRange &cells)
{
    return qint64(cells.endRow - cells.startRow + 1) * (cells.endCol - cells.startCol + 1) <= maxListedCells;
}

void FormulaDependencies::add(qint32 reader, const ExcelRange &cells)
{
    if (isListed(cells)) {
        if (m_firstEdge.empty())
            m_firstEdge.assign(size_t(m_rowCount) * m_columns, -1);
        for (int r = cells.startRow; r <= cells.endRow; ++r) {
            for (int c = cells.startCol; c <= cells.endCol; ++c)
                link(size_t(r) * m_columns + c, reader);
        }
        return;
    }
    auto found = m_rangeIndex.constFind(cells);
    if (found == m_rangeIndex.cend()) {
        qint32 index = 0;
        if (!m_freeRanges.empty()) {
            index = m_freeRanges.back();
            m_freeRanges.pop_back();
        } else {
            index = qint32(m_ranges.size());
            m_ranges.emplace_back();
        }
        m_ranges[index] = Range{cells, {}};
        forEachBlock(cells, [index](std::vector<qint32> &block) { block.push_back(index); });
        found = m_rangeIndex.insert(cells, index);
    }
    m_ranges[*found].readers.push_back(reader);
}

void FormulaDependencies::remove(qint32 reader, const ExcelRange &cells)
{
    if (isListed(cells)) {
        for (int r = cells.startRow; r <= cells.endRow; ++r) {
            for (int c = cells.startCol; c <= cells.endCol; ++c)
                unlink(size_t(r) * m_columns + c, reader);
        }
        return;
    }
    const auto found = m_rangeIndex.constFind(cells);
    if (found == m_rangeIndex.cend())
        return;
    const qint32 index = *found;
    std::vector<qint32> &readers = m_ranges[index].readers;
    const auto at = std::find(readers.begin(), readers.end(), reader);
    if (at != readers.end()) {
        *at = readers.back();
        readers.pop_back();
    }
    if (!readers.empty())
        return;
    forEachBlock(cells, [index](std::vector<qint32> &block) {
        block.erase(std::find(block.begin(), block.end(), index));
    });
    m_rangeIndex.erase(found);
    m_ranges[index] = Range();
    m_freeRanges.push_back(index);
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
