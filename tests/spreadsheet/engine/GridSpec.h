#pragma once

#include "spreadsheet/engine/CellReference.h"
#include "spreadsheet/engine/ExcelSheet.h"

// Test helper: a grid of `rows` × `columns` filled from "A1=a|C1=c" (cells
// separated by "|", each a reference, "=" and the text; the text may hold
// "=" itself, as in "B2==SUM(1)").
inline CellGrid gridFromSpec(const QString &spec, int rows = 10, int columns = 5)
{
    CellGrid grid = makeEmptyGrid(rows, columns);
    if (spec.isEmpty())
        return grid;
    for (const QString &entry : spec.split(u'|')) {
        const qsizetype equals = entry.indexOf(u'=');
        const auto address = CellReference::parse(entry.left(equals));
        Q_ASSERT(address && address->row < rows && address->col < columns);
        grid[address->row][address->col] = entry.mid(equals + 1);
    }
    return grid;
}
