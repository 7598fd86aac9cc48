#include "textsystem/html/HtmlTableLayout.h"

#include <QStringList>
#include <QtGlobal>

#include <climits>

namespace {

bool isCell(const QString &name)
{
    return name == QLatin1String("td") || name == QLatin1String("th");
}

// The tags that make a table's structure, apart from its cells.
bool isTablePart(const QString &name)
{
    static const QStringList names = {
        QStringLiteral("table"), QStringLiteral("tr"),    QStringLiteral("thead"),    QStringLiteral("tbody"),
        QStringLiteral("tfoot"), QStringLiteral("col"),   QStringLiteral("colgroup"), QStringLiteral("caption"),
    };
    return names.contains(name);
}

} // namespace

HtmlTableLayout::HtmlTableLayout(std::vector<Shape> *shapes, Pass pass, qint64 cellBudget)
    : m_shapes(shapes), m_survey(pass == Pass::Survey), m_cellsLeft(cellBudget)
{
}

HtmlTableLayout::Role HtmlTableLayout::startTag(const QString &name)
{
    if (name == QLatin1String("table")) {
        openTable();
        return structureRole(name);
    }
    if (m_open.empty())
        return Role::Other;
    Open &table = m_open.back();
    if (name == QLatin1String("tr")) {
        ++table.row;
        table.cells = 0;
        table.column = 0;
        return structureRole(name);
    }
    if (!isCell(name))
        return structureRole(name);
    if (table.row == 0)
        table.row = 1; // a cell before any row starts one
    ++table.cells;
    if (m_survey) {
        Shape &shape = (*m_shapes)[table.index];
        shape.widestRow = qMax(shape.widestRow, table.cells);
        shape.rows = qMax(shape.rows, table.row);
        ++shape.cells;
    }
    return table.asParagraphs ? Role::OfParagraphTable : Role::Cell;
}

HtmlTableLayout::Role HtmlTableLayout::endTag(const QString &name)
{
    const Role role = structureRole(name);
    if (name == QLatin1String("table") && !m_open.empty())
        m_open.pop_back();
    return role;
}

HtmlTableLayout::Role HtmlTableLayout::structureRole(const QString &name) const
{
    const bool ofParagraphTable = !m_open.empty() && m_open.back().asParagraphs && (isCell(name) || isTablePart(name));
    return ofParagraphTable ? Role::OfParagraphTable : Role::Other;
}

// A table pays at once for the rows its own cells leave short of its widest
// row; one that cannot is opened as paragraphs.
void HtmlTableLayout::openTable()
{
    Open table;
    table.index = m_nextTable++;
    if (m_survey) {
        m_shapes->emplace_back();
    } else {
        const Shape &shape = (*m_shapes)[table.index];
        const qint64 shortfall = qint64(shape.rows) * shape.widestRow - shape.cells;
        table.asParagraphs = shortfall > m_cellsLeft;
        if (!table.asParagraphs) {
            m_cellsLeft -= qMax<qint64>(0, shortfall);
            table.paidWidth = shape.widestRow;
        }
    }
    m_open.push_back(std::move(table));
}

// A table growing wider pays for the new columns in each of its rows. Cells
// that row spans push past what is paid for still widen it, by at most the
// cells of one row.
HtmlTableLayout::Spans HtmlTableLayout::place(qint64 columns, qint64 rows, int maximumSpan)
{
    Open &table = m_open.back();
    while (table.column < int(table.occupiedUntil.size()) && table.occupiedUntil[table.column] > table.row)
        ++table.column;
    const Shape &shape = (*m_shapes)[table.index];
    const qint64 tableRows = qMax(1, shape.rows);
    const int widest = int(qMin<qint64>(table.paidWidth + m_cellsLeft / tableRows, INT_MAX / 2));
    const int rowsLeft = shape.rows - table.row + 1;
    Spans kept;
    kept.columns = int(qBound(qint64(1), columns, qint64(qMin(maximumSpan, qMax(1, widest - table.column)))));
    kept.rows = int(qBound(qint64(1), rows, qint64(qMin(maximumSpan, qMax(1, rowsLeft)))));
    if (table.column + kept.columns > widest)
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
    // A cell that row spans pushed past what is paid for spans one row, so
    // that it pushes nothing further.
    if (table.column > table.paidWidth && table.column <= widest) {
        m_cellsLeft -= tableRows * (table.column - table.paidWidth);
        table.paidWidth = table.column;
    }
    return kept;
}
