#include "spreadsheet/engine/macro/VbaWorkingCopy.h"

#include "spreadsheet/engine/document/ExcelDocument.h"
#include "spreadsheet/engine/formula/FormulaEvaluator.h"

VbaWorkingCopy::VbaWorkingCopy(ExcelDocument *document) : m_document(document)
{
    if (!document)
        return;
    // Implicitly shared: nothing is copied until the run writes.
    m_cells = document->cells();
    m_evaluatedCells = document->evaluatedCells();
    m_cachedEvaluatedCells = document->cachedEvaluatedCells();
    m_values = document->valueCells();
    m_cellStyles = document->cellStyles();
}

int VbaWorkingCopy::columnCount() const
{
    return m_cells.isEmpty() ? ExcelDocument::defaultColumnCount : int(m_cells.first().size());
}

std::optional<CellAddress> VbaWorkingCopy::cellAt(qint64 row, qint64 column) const
{
    if (!hasDocument() || row < 1 || row > rowCount() || column < 1 || column > columnCount())
        return std::nullopt;
    return CellAddress{int(row - 1), int(column - 1)};
}

std::optional<CellAddress> VbaWorkingCopy::checked(std::optional<CellAddress> address) const
{
    if (!address)
        return std::nullopt;
    return cellAt(qint64(address->row) + 1, qint64(address->col) + 1);
}

QString VbaWorkingCopy::displayText(CellAddress address) const
{
    if (address.row >= m_evaluatedCells.size() || address.col >= m_evaluatedCells.at(address.row).size())
        return QString();
    return m_evaluatedCells.at(address.row).at(address.col);
}

void VbaWorkingCopy::setText(CellAddress address, const QString &text)
{
    // Rows shorter than the first one are left alone rather than grown.
    if (!hasDocument() || address.col >= m_cells.at(address.row).size()
        || address.row >= m_values.size() || address.col >= m_values.at(address.row).size())
        return;
    // A value a file cached belongs to the text it was cached for, as the
    // document's own writes keep it (ExcelDocument::setCells).
    if (m_cells.at(address.row).at(address.col) != text && address.row < m_cachedEvaluatedCells.size()
        && address.col < m_cachedEvaluatedCells.at(address.row).size())
        m_cachedEvaluatedCells[address.row][address.col].clear();
    m_cells[address.row][address.col] = text;
    m_cellsWritten = true;
    // A fresh evaluator each time: it caches the date header words of the
    // raw grid, which this write may just have changed.
    const FormulaEvaluator evaluator(m_cells, m_values, m_cachedEvaluatedCells);
    FormulaEvaluator::Result result = evaluator.evaluateCell(text, address.row, address.col);
    m_cellReads += evaluator.cellReads();
    m_values[address.row][address.col] = std::move(result.value);
    if (address.col < m_evaluatedCells.value(address.row).size())
        m_evaluatedCells[address.row][address.col] = std::move(result.display);
}

CellStyle &VbaWorkingCopy::styleAt(CellAddress address)
{
    m_stylesWritten = true;
    return m_cellStyles[CellReference::text(address.row, address.col)];
}

void VbaWorkingCopy::setBold(CellAddress address, bool bold)
{
    if (hasDocument())
        styleAt(address).isBold = bold;
}

void VbaWorkingCopy::setFillColor(CellAddress address, const std::optional<QString> &colorHex)
{
    if (hasDocument())
        styleAt(address).bgColorHex = colorHex;
}

void VbaWorkingCopy::commit()
{
    if (!m_document)
        return;
    if (m_cellsWritten)
        m_document->setCells(m_cells);
    if (m_stylesWritten) {
        m_document->setCellStyles(m_cellStyles);
        m_document->markUnsaved();
        emit m_document->changed();
    }
    m_cellsWritten = false;
    m_stylesWritten = false;
}
