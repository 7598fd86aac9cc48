#include "ExcelGridMetrics.h"

#include "spreadsheet/engine/model/CellReference.h"

#include <algorithm>
#include <cmath>

namespace ExcelGridMetrics {

QColor accentTint(double opacity)
{
    const QColor accent = accentColor();
    auto mix = [opacity](int channel) { return qRound(channel * opacity + 255 * (1 - opacity)); };
    return QColor(mix(accent.red()), mix(accent.green()), mix(accent.blue()));
}

QSize contentSize(int rows, int columns)
{
    return QSize(rowHeaderWidth + cellWidth * std::max(columns, 0),
                 headerHeight + cellHeight * std::max(rows, 0));
}

QRect cellRect(int row, int col)
{
    return QRect(rowHeaderWidth + cellWidth * col, headerHeight + cellHeight * row, cellWidth,
                 cellHeight);
}

QRect rangeRect(const ExcelRange &range)
{
    return QRect(cellRect(range.startRow, range.startCol).topLeft(),
                 cellRect(range.endRow, range.endCol).bottomRight());
}

std::optional<CellAddress> cellAt(QPoint contentPoint, int rows, int columns)
{
    const int x = contentPoint.x() - rowHeaderWidth;
    const int y = contentPoint.y() - headerHeight;
    if (x < 0 || y < 0)
        return std::nullopt;
    const int col = x / cellWidth;
    const int row = y / cellHeight;
    if (row >= rows || col >= columns)
        return std::nullopt;
    return CellAddress{row, col};
}

std::optional<CellAddress> dragCellAt(QPointF contentPoint, int rows, int columns)
{
    const double x = (contentPoint.x() - rowHeaderWidth) / cellWidth;
    const double y = (contentPoint.y() - headerHeight) / cellHeight;
    if (!std::isfinite(x) || !std::isfinite(y) || std::abs(x) > 1e9 || std::abs(y) > 1e9)
        return std::nullopt;
    const int col = int(std::trunc(x));
    const int row = int(std::trunc(y));
    if (col < 0 || col >= columns || row < 0 || row >= rows)
        return std::nullopt;
    return CellAddress{row, col};
}

VisibleSpan visibleSpan(const QRect &contentRect, int rows, int columns)
{
    VisibleSpan span;
    if (contentRect.isEmpty() || rows <= 0 || columns <= 0)
        return span;
    auto firstIndex = [](int offset, int origin, int size) {
        return std::max(0, (offset - origin) / size);
    };
    span.firstCol = firstIndex(contentRect.left(), rowHeaderWidth, cellWidth);
    span.lastCol = std::min(columns - 1, (contentRect.right() - rowHeaderWidth) / cellWidth);
    span.firstRow = firstIndex(contentRect.top(), headerHeight, cellHeight);
    span.lastRow = std::min(rows - 1, (contentRect.bottom() - headerHeight) / cellHeight);
    if (contentRect.right() < rowHeaderWidth)
        span.lastCol = -1;
    if (contentRect.bottom() < headerHeight)
        span.lastRow = -1;
    return span;
}

} // namespace ExcelGridMetrics
