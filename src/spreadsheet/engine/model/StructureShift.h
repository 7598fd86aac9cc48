#pragma once

#include "spreadsheet/engine/model/ExcelRange.h"
#include "spreadsheet/engine/model/ExcelSheet.h"

#include <QList>
#include <optional>

enum class GridAxis { Rows, Columns };
enum class GridEdit { Insert, Delete };

// How inserting or deleting one row or column at `index` moves what is keyed
// by cell position. Formula texts are never rewritten.
struct StructureShift {
    GridAxis axis = GridAxis::Rows;
    GridEdit edit = GridEdit::Insert;
    int index = 0;

    // Style keys read as references of a grid of `rows` × `columns` (the grid
    // after an insertion, before a deletion): keys that are no reference there
    // and keys before `index` stay as written; later keys move one step (to
    // canonical text); keys on a deleted line are dropped.
    CellStyleMap moveStyleKeys(const CellStyleMap &styles, int rows, int columns) const;
    // Merged ranges (normalised first) shift, grow or shrink like the cells
    // they cover; a range whose lines are all deleted goes. The results are
    // clipped to the new grid of `rows` × `columns`; ranges outside it go.
    QList<ExcelRange> moveMergedRanges(const QList<ExcelRange> &ranges, int rows, int columns) const;

private:
    // The moved position of line `position`, or -1 when it is deleted.
    int movedLine(int position) const;
};

// `range` (normalised) cut to the grid of `rows` × `columns`, or nullopt when
// nothing of it lies inside.
std::optional<ExcelRange> clipToGrid(const ExcelRange &range, int rows, int columns);
