#include "spreadsheet/engine/model/ExcelSheet.h"

#include <algorithm>

CellGrid makeEmptyGrid(int rows, int columns)
{
    // Every row shares one empty row until it is written.
    return CellGrid(std::max(rows, 0), QStringList(std::max(columns, 0)));
}

bool hasShape(const CellGrid &grid, int rows, int columns)
{
    if (grid.size() != rows)
        return false;
    return std::all_of(grid.cbegin(), grid.cend(),
                       [columns](const QStringList &row) { return row.size() == columns; });
}

CellGrid resizeGrid(CellGrid grid, int rows, int columns)
{
    rows = std::max(rows, 0);
    columns = std::max(columns, 0);
    if (hasShape(grid, rows, columns))
        return grid;
    if (grid.size() > rows)
        grid.resize(rows);
    for (QStringList &row : grid) {
        if (row.size() != columns)
            row.resize(columns);
    }
    if (grid.size() < rows)
        grid.resize(rows, QStringList(columns));
    return grid;
}

int gridWidth(const CellGrid &grid)
{
    qsizetype width = 0;
    for (const QStringList &row : grid)
        width = std::max(width, row.size());
    return int(width);
}
