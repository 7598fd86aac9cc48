// Merging and unmerging cells of the working sheet.
#include "spreadsheet/engine/document/ExcelDocument.h"

#include "spreadsheet/engine/formula/SheetCalculator.h"
#include "spreadsheet/engine/model/StructureShift.h"

namespace {

bool overlaps(const ExcelRange &a, const ExcelRange &b)
{
    return a.startRow <= b.endRow && a.endRow >= b.startRow && a.startCol <= b.endCol
        && a.endCol >= b.startCol;
}

void clearRectangle(CellGrid &grid, const ExcelRange &range)
{
    for (int r = range.startRow; r <= range.endRow; ++r) {
        QStringList &row = grid[r];
        for (int c = range.startCol; c <= range.endCol; ++c) {
            if (r != range.startRow || c != range.startCol)
                row[c].clear();
        }
    }
}

} // namespace

std::optional<ExcelRange> ExcelDocument::mergedRange(int row, int col) const
{
    for (const ExcelRange &range : m_mergedRanges) {
        if (range.contains(row, col))
            return range;
    }
    return std::nullopt;
}

void ExcelDocument::mergeCells(int startRow, int startCol, int endRow, int endCol)
{
    const auto range = clipToGrid(ExcelRange{startRow, startCol, endRow, endCol}.normalized(),
                                  rowCount(), m_cells.isEmpty() ? 0 : columnCount());
    if (!range)
        return;
    m_mergedRanges.removeIf([&range](const ExcelRange &merged) { return overlaps(merged, *range); });
    m_mergedRanges.append(*range);
    // Only the top-left cell keeps its text; the covered texts are gone for good.
    clearRectangle(m_cells, *range);
    clearRectangle(m_evaluatedCells, *range);
    clearRectangle(m_valueCells, *range);
    m_calculator->reset();
    emit mergedRangesChanged();
    emit cellsChanged();
    cellsWritten();
    emit changed();
    recalculate();
}

void ExcelDocument::unmergeCells(int row, int col)
{
    m_mergedRanges.removeIf([row, col](const ExcelRange &merged) { return merged.contains(row, col); });
    emit mergedRangesChanged();
    markUnsaved();
    emit changed();
    recalculate();
}

void ExcelDocument::unmergeRange(const ExcelRange &range)
{
    const ExcelRange area = range.normalized();
    m_mergedRanges.removeIf([&area](const ExcelRange &merged) { return overlaps(merged.normalized(), area); });
    emit mergedRangesChanged();
    markUnsaved();
    emit changed();
    recalculate();
}
