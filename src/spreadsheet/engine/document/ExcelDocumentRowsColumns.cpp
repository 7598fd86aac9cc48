// Inserting and deleting whole rows and columns of the working sheet.
#include "spreadsheet/engine/document/ExcelDocument.h"

#include "spreadsheet/engine/formula/SheetCalculator.h"
#include "spreadsheet/engine/model/StructureShift.h"

void ExcelDocument::insertRow(int index)
{
    const int rows = rowCount();
    const int columns = columnCount();
    if (index < 0 || index > rows)
        return;
    const QStringList emptyRow(columns);
    for (CellGrid *grid : {&m_cells, &m_evaluatedCells, &m_cachedEvaluatedCells, &m_valueCells})
        grid->insert(index, emptyRow);
    const StructureShift shift{GridAxis::Rows, GridEdit::Insert, index};
    m_cellStyles = shift.moveStyleKeys(m_cellStyles, rows + 1, columns);
    m_mergedRanges = shift.moveMergedRanges(m_mergedRanges, rows + 1, columns);
    structureEdited();
}

void ExcelDocument::deleteRow(int index)
{
    const int rows = rowCount();
    const int columns = columnCount();
    if (rows < 2 || index < 0 || index >= rows)
        return;
    for (CellGrid *grid : {&m_cells, &m_evaluatedCells, &m_cachedEvaluatedCells, &m_valueCells})
        grid->removeAt(index);
    const StructureShift shift{GridAxis::Rows, GridEdit::Delete, index};
    m_cellStyles = shift.moveStyleKeys(m_cellStyles, rows, columns);
    m_mergedRanges = shift.moveMergedRanges(m_mergedRanges, rows - 1, columns);
    structureEdited();
}

void ExcelDocument::insertColumn(int index)
{
    const int rows = rowCount();
    const int columns = columnCount();
    if (index < 0 || index > columns)
        return;
    for (CellGrid *grid : {&m_cells, &m_evaluatedCells, &m_cachedEvaluatedCells, &m_valueCells}) {
        for (QStringList &row : *grid)
            row.insert(index, QString());
    }
    const StructureShift shift{GridAxis::Columns, GridEdit::Insert, index};
    m_cellStyles = shift.moveStyleKeys(m_cellStyles, rows, columns + 1);
    m_mergedRanges = shift.moveMergedRanges(m_mergedRanges, rows, columns + 1);
    structureEdited();
}

void ExcelDocument::deleteColumn(int index)
{
    const int rows = rowCount();
    const int columns = columnCount();
    if ((rows > 0 && columns < 2) || index < 0 || index >= columns)
        return;
    for (CellGrid *grid : {&m_cells, &m_evaluatedCells, &m_cachedEvaluatedCells, &m_valueCells}) {
        for (QStringList &row : *grid)
            row.removeAt(index);
    }
    const StructureShift shift{GridAxis::Columns, GridEdit::Delete, index};
    m_cellStyles = shift.moveStyleKeys(m_cellStyles, rows, columns);
    m_mergedRanges = shift.moveMergedRanges(m_mergedRanges, rows, columns - 1);
    structureEdited();
}

void ExcelDocument::structureEdited()
{
    m_calculator->reset();
    fitValueGrids();
    emit cellsChanged();
    emit cellStylesChanged();
    emit mergedRangesChanged();
    cellsWritten();
    recalculate(); // also announces the value grids' new shape
}
