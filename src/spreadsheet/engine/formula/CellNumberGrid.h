#pragma once

#include "spreadsheet/engine/model/ExcelRange.h"
#include "spreadsheet/engine/model/ExcelSheet.h"

#include <optional>
#include <vector>

// The numbers formula references read: for each cell of the raw grid, the
// number its value text holds (a plain cell's raw text, a formula's entry in
// `values`), as cellNumber() decides. Rows are parsed on first use; whoever
// changes a text reports the cell's new number with set(), and reset()
// forgets every row (after the grids were replaced or reshaped). Holds
// references to both grids, which must outlive it.
class CellNumberGrid
{
public:
    CellNumberGrid(const CellGrid &cells, const CellGrid &values);

    // Adds the numbers of `range` (inside the grid) to `sum` one by one in
    // row-major order and counts them into `count`.
    void fold(const ExcelRange &range, double &sum, qint64 &count);
    // Calls onNumber with each number of `range` in row-major order.
    template<typename Fn>
    void forEachNumber(const ExcelRange &range, Fn onNumber)
    {
        for (int r = range.startRow; r <= range.endRow; ++r) {
            const qsizetype rowStart = parsedRow(r);
            for (int c = range.startCol; c <= range.endCol; ++c) {
                if (m_isNumber[rowStart + c])
                    onNumber(m_numbers[rowStart + c]);
            }
        }
    }
    // The number at (row, col) inside the grid, or nullopt.
    std::optional<double> number(int row, int col);
    // The cell at (row, col) now holds `number` (nullopt: no number).
    void set(int row, int col, std::optional<double> number);
    // Forgets every parsed row: the grids changed wholesale or took a new shape.
    void reset();

private:
    // Index of the row's first cell, parsing the row on first use.
    qsizetype parsedRow(int row);

    const CellGrid &m_cells;
    const CellGrid &m_values;
    int m_columnCount = 0;
    // Cells that hold no number keep +0 here: adding +0 to a partial sum that
    // starts at +0 never changes it, so a fold need not test each cell.
    std::vector<double> m_numbers;
    std::vector<char> m_isNumber;
    std::vector<char> m_rowParsed;
};
