#pragma once

#include "spreadsheet/engine/model/ExcelSheet.h"

// True for raw cell text that starts with "=".
inline bool isFormulaText(const QString &raw) { return !raw.isEmpty() && raw.front() == u'='; }

// The text references read at (row, col): a plain cell's raw text, a
// formula's entry in `values`; "" outside either grid.
const QString &cellGridValue(const CellGrid &cells, const CellGrid &values, int row, int col);
