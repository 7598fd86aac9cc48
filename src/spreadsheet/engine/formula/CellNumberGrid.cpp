#include "spreadsheet/engine/formula/CellNumberGrid.h"

#include "spreadsheet/engine/model/CellGridValue.h"
#include "spreadsheet/engine/model/CellNumber.h"

#include <algorithm>

CellNumberGrid::CellNumberGrid(const CellGrid &cells, const CellGrid &values)
    : m_cells(cells)
    , m_values(values)
{
    reset();
}

void CellNumberGrid::fold(const ExcelRange &range, double &sum, qint64 &count)
{
    double partial = sum;
    qint64 numbers = 0;
    for (int r = range.startRow; r <= range.endRow; ++r) {
        const qsizetype rowStart = parsedRow(r);
        for (int c = range.startCol; c <= range.endCol; ++c) {
            partial += m_numbers[rowStart + c];
            numbers += m_isNumber[rowStart + c];
        }
    }
    sum = partial;
    count += numbers;
}

std::optional<double> CellNumberGrid::number(int row, int col)
{
    const qsizetype index = parsedRow(row) + col;
    return m_isNumber[index] ? std::optional<double>(m_numbers[index]) : std::nullopt;
}

void CellNumberGrid::set(int row, int col, std::optional<double> number)
{
    if (m_rowParsed.empty() || !m_rowParsed[row])
        return; // parsed from the value text when first read
    const qsizetype index = qsizetype(row) * m_columnCount + col;
    m_numbers[index] = number.value_or(0.0);
    m_isNumber[index] = number.has_value();
}

void CellNumberGrid::reset()
{
    m_columnCount = m_cells.isEmpty() ? 0 : int(m_cells.first().size());
    m_numbers.clear();
    m_isNumber.clear();
    m_rowParsed.clear();
}

qsizetype CellNumberGrid::parsedRow(int row)
{
    const qsizetype rowStart = qsizetype(row) * m_columnCount;
    if (m_rowParsed.empty()) {
        const size_t size = size_t(m_cells.size()) * size_t(m_columnCount);
        m_numbers.assign(size, 0.0);
        m_isNumber.assign(size, 0);
        m_rowParsed.assign(size_t(m_cells.size()), 0);
    }
    if (m_rowParsed[row])
        return rowStart;
    m_rowParsed[row] = 1;
    // What cellGridValue() gives, with each row looked up once.
    static const QString empty;
    const QStringList &raw = m_cells.at(row);
    const QStringList *values = row < m_values.size() ? &m_values.at(row) : nullptr;
    const int width = std::min<int>(m_columnCount, int(raw.size()));
    for (int c = 0; c < m_columnCount; ++c) {
        const QString *text = c < width ? &raw.at(c) : &empty;
        if (isFormulaText(*text))
            text = values && c < values->size() ? &values->at(c) : &empty;
        const auto number = cellNumber(*text);
        m_numbers[rowStart + c] = number.value_or(0.0);
        m_isNumber[rowStart + c] = number.has_value();
    }
    return rowStart;
}
