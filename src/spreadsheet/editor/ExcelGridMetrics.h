#pragma once

#include "spreadsheet/engine/model/CellReference.h"
#include "spreadsheet/engine/model/ExcelRange.h"

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <optional>


// Measures and colours of the spreadsheet grid, in logical pixels. Content
// coordinates have their origin at the top-left corner of the corner cell;
// the header row and the row-header column scroll with the cells.
namespace ExcelGridMetrics {

inline constexpr int rowHeaderWidth = 40;
inline constexpr int cellWidth = 100;
inline constexpr int cellHeight = 24;
inline constexpr int headerHeight = 24;

inline QColor headerTextColor() { return QColor(0x32, 0x31, 0x30); }
inline QColor headerFillColor() { return QColor(0xF3, 0xF2, 0xF1); }
inline QColor gridLineColor() { return QColor(0xD2, 0xD0, 0xCE); }
inline QColor accentColor() { return QColor(0x10, 0x7C, 0x41); }
// The accent at `opacity` laid over white, as the cell tints are drawn.
QColor accentTint(double opacity);

// Content size of a grid of `rows` × `columns` cells, headers included.
QSize contentSize(int rows, int columns);
// Rectangle of cell (row, col) in content coordinates; no bounds check.
QRect cellRect(int row, int col);
// Rectangle covering every cell of `range` (normalised by the caller).
QRect rangeRect(const ExcelRange &range);

// The cell under a content point, by floor division, or nullopt over the
// headers or outside the `rows` × `columns` grid.
std::optional<CellAddress> cellAt(QPoint contentPoint, int rows, int columns);

// The cell a drag reports at a content point: (x − 40) / 100 and
// (y − 24) / 24 truncated toward zero, so the headers map to row or column
// 0; nullopt outside the grid.
std::optional<CellAddress> dragCellAt(QPointF contentPoint, int rows, int columns);

// Rows [first, last] and columns [first, last] that meet `contentRect`,
// clamped to the grid; empty ranges give last < first.
struct VisibleSpan {
    int firstRow = 0;
    int lastRow = -1;
    int firstCol = 0;
    int lastCol = -1;
};
VisibleSpan visibleSpan(const QRect &contentRect, int rows, int columns);

} // namespace ExcelGridMetrics
