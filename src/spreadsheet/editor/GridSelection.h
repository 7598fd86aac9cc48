#pragma once

#include "spreadsheet/engine/model/CellReference.h"
#include "spreadsheet/engine/model/ExcelRange.h"

#include <optional>

// The grid's selection: the selected cell (the anchor of Shift extension)
// and, after a Shift-click or a drag, the selected rectangle. Zero-based;
// either may lie outside the grid after rows, columns or sheets change.
struct GridSelection {
    std::optional<CellAddress> cell;
    std::optional<ExcelRange> range; // normalised

    bool isSelected(int row, int col) const
    {
        return cell && cell->row == row && cell->col == col;
    }
    bool isInRange(int row, int col) const { return range && range->contains(row, col); }
    friend bool operator==(const GridSelection &, const GridSelection &) = default;
};
