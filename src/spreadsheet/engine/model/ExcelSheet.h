#pragma once

#include "spreadsheet/engine/model/CellStyle.h"
#include "spreadsheet/engine/model/ExactResults.h"
#include "spreadsheet/engine/model/ExcelObject.h"
#include "spreadsheet/engine/model/ExcelRange.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QStringList>
#include <QUuid>

// A grid of texts: a list of rows, each a list of cell texts. Implicitly
// shared, so copies are cheap until written.
using CellGrid = QList<QStringList>;

// Styles keyed by canonical cell reference text ("B3").
using CellStyleMap = QMap<QString, CellStyle>;

// `rows` × `columns` empty texts (negative sizes count as 0).
CellGrid makeEmptyGrid(int rows, int columns);
// `grid` cut or padded with "" to exactly `rows` × `columns`, keeping the
// texts where the two shapes overlap.
CellGrid resizeGrid(CellGrid grid, int rows, int columns);
// The length of the longest row; 0 without rows.
int gridWidth(const CellGrid &grid);
// True when `grid` has `rows` rows, each of `columns` texts.
bool hasShape(const CellGrid &grid, int rows, int columns);

// One worksheet.
struct ExcelSheet {
    QUuid id;
    QString name;
    CellGrid cells;                // raw texts; "=..." is a formula
    CellGrid evaluatedCells;       // display values, same shape as cells
    CellGrid cachedEvaluatedCells; // values cached in the file the sheet came from
    CellStyleMap cellStyles;
    QList<ExcelObject> objects;
    QList<ExcelRange> mergedRanges;
    // Unrounded numeric formula results whose display text rounds them, as of
    // the last evaluation; what a file caches for those cells.
    ExactResults exactResults;

    friend bool operator==(const ExcelSheet &, const ExcelSheet &) = default;
};
