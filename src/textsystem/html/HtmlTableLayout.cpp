#include "textsystem/html/HtmlTableLayout.h"

#include <QtGlobal>

#include <climits>

namespace {

bool isCell(const QString &name)
{
    return name == QLatin1String("td") || name == QLatin1String("th");
}

} // namespace

HtmlTableLayout::HtmlTableLayout(std::vector<Shape> *shapes, Pass pass, qint64 cellBudget)
    : m_shapes(shapes), m_survey(pass == Pass::Survey), m_cellsLeft(cellBudget)
{
}

bool HtmlTableLayout::startTag(const QString &name)
{
    if (name == QLatin1String("table")) {
        openTable();
        return false;
    }
    if (m_open.empty())
        return false;
    Open &table = m_open.back();
    if (name == QLatin1String("tr")) {
        ++table.row;
        table.cells = 0;
        table.column = 0;
        return false;
    }
    if (!isCell(name))
        return false;
    if (table.row == 0)
        table.row = 1; // a cell before any row starts one
    ++table.cells;
    if (m_survey) {
        Shape &shape = (*m_shapes)[table.index];
        shape.widestRow = qMax(shape.widestRow, table.cells);
        shape.rows = qMax(shape.rows, table.row);
    }
    return true;
}

void HtmlTableLayout::endTag(const QString &name)
{
    if (name == QLatin1String("table") && !m_open.empty())
        closeTable();
}

// A table takes its share of the budget when it opens (so tables nested in
// it share what is left) and gives back what it did not use when it closes.
void HtmlTableLayout::openTable()
{
    Open table;
    table.index = m_nextTable++;
    if (m_survey) {
        m_shapes->emplace_back();
    } else {
        const Shape &shape = (*m_shapes)[table.index];
        const qint64 rows = qMax(1, shape.rows);
        table.widthLimit = int(qBound<qint64>(qMax(1, shape.widestRow), m_cellsLeft / rows, qint64(INT_MAX / 2)));
        table.reserved = rows * table.widthLimit;
        m_cellsLeft = qMax<qint64>(0, m_cellsLeft - table.reserved);
    }
    m_open.push_back(std::move(table));
}

void HtmlTableLayout::closeTable()
{
    const Open &table = m_open.back();
    if (!m_survey) {
        const qint64 used = qint64(qMax(1, (*m_shapes)[table.index].rows)) * table.width;
        m_cellsLeft += qMax<qint64>(0, table.reserved - used);
    }
    m_open.pop_back();
}

HtmlTableLayout::Spans HtmlTableLayout::place(qint64 columns, qint64 rows, int maximumSpan)
{
    Open &table = m_open.back();
    while (table.column < int(table.occupiedUntil.size()) && table.occupiedUntil[table.column] > table.row)
        ++table.column;
    const int rowsLeft = (*m_shapes)[table.index].rows - table.row + 1;
    Spans kept;
    kept.columns = int(qBound(qint64(1), columns, qint64(qMin(maximumSpan, qMax(1, table.widthLimit - table.column)))));
    kept.rows = int(qBound(qint64(1), rows, qint64(qMin(maximumSpan, qMax(1, rowsLeft)))));
    if (table.column + kept.columns > table.widthLimit)
        kept.rows = 1;
    kept.narrowed = kept.columns < columns || kept.rows < qMin<qint64>(rows, rowsLeft);
    if (kept.rows > 1) {
        const size_t end = size_t(table.column + kept.columns);
        if (table.occupiedUntil.size() < end)
            table.occupiedUntil.resize(end, 0);
        for (size_t column = size_t(table.column); column < end; ++column)
            table.occupiedUntil[column] = qMax(table.occupiedUntil[column], table.row + kept.rows);
    }
    table.column += kept.columns;
    table.width = qMax(table.width, table.column);
    return kept;
}
