#include "CellGridPainter.h"

#include "ExcelGridMetrics.h"
#include "platform/widgets/ColorHex.h"
#include "spreadsheet/engine/document/ExcelDocument.h"

#include <QLine>
#include <QPainter>
#include <QVarLengthArray>
#include <algorithm>

using namespace ExcelGridMetrics;

CellGridPainter::CellGridPainter(const ExcelDocument &document, const QFont &baseFont)
    : m_document(document)
{
    for (int i = 0; i < 4; ++i) {
        QFont font = baseFont;
        font.setPixelSize(12);
        font.setBold(i & 1);
        font.setItalic(i & 2);
        m_fonts[i] = font;
    }
    m_headerFont = baseFont;
    m_headerFont.setPixelSize(10);
    m_headerFont.setWeight(QFont::DemiBold);
}

QColor CellGridPainter::cellTextColor(const CellStyle &style)
{
    return style.textColorHex ? ColorHex::colorFromHex(*style.textColorHex) : QColor(Qt::black);
}

QColor CellGridPainter::cellBackground(int row, int col, const CellStyle &style,
                                       const GridSelection &selection)
{
    if (selection.isInRange(row, col))
        return accentTint(0.08);
    if (selection.isSelected(row, col))
        return accentTint(0.1);
    if (style.bgColorHex)
        return ColorHex::colorFromHex(*style.bgColorHex);
    return Qt::white;
}

void CellGridPainter::paint(QPainter &painter, const QRect &contentRect,
                            const GridSelection &selection) const
{
    const int rows = m_document.rowCount();
    const int cols = m_document.columnCount();
    const VisibleSpan span = visibleSpan(contentRect, rows, cols);
    paintHeaders(painter, contentRect, span.firstRow, span.lastRow, span.firstCol, span.lastCol);
    if (span.lastRow < span.firstRow || span.lastCol < span.firstCol)
        return;

    const QList<VisibleMerge> merges =
        visibleMerges(span.firstRow, span.lastRow, span.firstCol, span.lastCol);
    const int spanCols = span.lastCol - span.firstCol + 1;
    const int spanRows = span.lastRow - span.firstRow + 1;
    QVarLengthArray<char, 2048> covered(spanRows * spanCols);
    std::fill(covered.begin(), covered.end(), 0);
    for (const VisibleMerge &merge : merges) {
        for (int r = std::max(merge.range.startRow, span.firstRow);
             r <= std::min(merge.range.endRow, span.lastRow); ++r) {
            for (int c = std::max(merge.range.startCol, span.firstCol);
                 c <= std::min(merge.range.endCol, span.lastCol); ++c)
                covered[(r - span.firstRow) * spanCols + c - span.firstCol] = 1;
        }
    }

    QStringList columnNames;
    columnNames.reserve(spanCols);
    for (int c = span.firstCol; c <= span.lastCol; ++c)
        columnNames.append(CellReference::columnName(c));

    QVarLengthArray<QLine, 1024> lines;
    for (int r = span.firstRow; r <= span.lastRow; ++r) {
        for (int c = span.firstCol; c <= span.lastCol; ++c) {
            if (covered[(r - span.firstRow) * spanCols + c - span.firstCol])
                continue;
            const QRect rect = cellRect(r, c);
            paintCell(painter, rect, contentRect, r, c, columnNames[c - span.firstCol], selection);
            lines.append(QLine(rect.right(), rect.top(), rect.right(), rect.bottom()));
            lines.append(QLine(rect.left(), rect.bottom(), rect.right(), rect.bottom()));
        }
    }
    for (const VisibleMerge &merge : merges) {
        const QRect rect = rangeRect(merge.range);
        paintCell(painter, rect, contentRect, merge.startRow, merge.startCol,
                  CellReference::columnName(merge.startCol), selection);
        lines.append(QLine(rect.right(), rect.top(), rect.right(), rect.bottom()));
        lines.append(QLine(rect.left(), rect.bottom(), rect.right(), rect.bottom()));
    }
    painter.setPen(QPen(gridLineColor(), 0));
    painter.drawLines(lines.constData(), int(lines.size()));
    paintSelectionEdges(painter, selection);
}

QList<CellGridPainter::VisibleMerge> CellGridPainter::visibleMerges(int firstRow, int lastRow,
                                                                    int firstCol,
                                                                    int lastCol) const
{
    const int rows = m_document.rowCount();
    const int cols = m_document.columnCount();
    QList<VisibleMerge> result;
    for (const ExcelRange &stored : m_document.mergedRanges()) {
        const ExcelRange range = stored.normalized();
        // A merge whose top-left cell left the grid has nothing to show.
        if (range.startRow < 0 || range.startCol < 0 || range.startRow >= rows
            || range.startCol >= cols)
            continue;
        const ExcelRange clipped{range.startRow, range.startCol, std::min(range.endRow, rows - 1),
                                 std::min(range.endCol, cols - 1)};
        if (clipped.endRow < firstRow || clipped.startRow > lastRow || clipped.endCol < firstCol
            || clipped.startCol > lastCol)
            continue;
        result.append({clipped, range.startRow, range.startCol});
    }
    return result;
}

void CellGridPainter::paintHeaders(QPainter &painter, const QRect &contentRect, int firstRow,
                                   int lastRow, int firstCol, int lastCol) const
{
    QVarLengthArray<QLine, 256> lines;
    auto header = [&](const QRect &rect, const QString &title) {
        painter.fillRect(rect, headerFillColor());
        if (!title.isEmpty())
            painter.drawText(rect, Qt::AlignCenter, title);
        lines.append(QLine(rect.right(), rect.top(), rect.right(), rect.bottom()));
        lines.append(QLine(rect.left(), rect.bottom(), rect.right(), rect.bottom()));
        if (rect.top() == 0)
            lines.append(QLine(rect.left(), 0, rect.right(), 0));
        if (rect.left() == 0)
            lines.append(QLine(0, rect.top(), 0, rect.bottom()));
    };
    painter.setFont(m_headerFont);
    painter.setPen(headerTextColor());
    const bool showHeaderRow = contentRect.top() < headerHeight;
    const bool showHeaderColumn = contentRect.left() < rowHeaderWidth;
    if (showHeaderRow && showHeaderColumn)
        header(QRect(0, 0, rowHeaderWidth, headerHeight), QString());
    if (showHeaderRow) {
        for (int c = firstCol; c <= lastCol; ++c)
            header(QRect(rowHeaderWidth + cellWidth * c, 0, cellWidth, headerHeight),
                   CellReference::columnName(c));
    }
    if (showHeaderColumn) {
        for (int r = firstRow; r <= lastRow; ++r)
            header(QRect(0, headerHeight + cellHeight * r, rowHeaderWidth, cellHeight),
                   QString::number(r + 1));
    }
    painter.setPen(QPen(gridLineColor(), 0));
    painter.drawLines(lines.constData(), int(lines.size()));
}

void CellGridPainter::paintCell(QPainter &painter, const QRect &rect, const QRect &contentRect,
                                int row, int col, const QString &columnName,
                                const GridSelection &selection) const
{
    const CellStyleMap &styles = m_document.cellStyles();
    CellStyle style;
    if (!styles.isEmpty()) {
        const auto found = styles.constFind(columnName + QString::number(row + 1));
        if (found != styles.constEnd())
            style = *found;
    }
    // The view clears to white before painting: only other fills are drawn.
    const QColor background = cellBackground(row, col, style, selection);
    if (background != Qt::white)
        painter.fillRect(rect, background);
    const QString text = m_document.evaluatedCell(row, col);
    if (!text.isEmpty())
        paintText(painter, rect, contentRect, text, style);
}

void CellGridPainter::paintText(QPainter &painter, const QRect &rect, const QRect &contentRect,
                                const QString &text, const CellStyle &style) const
{
    const int index = fontIndex(style);
    const QRect area = rect.adjusted(4, 0, -4, 0);
    // The text starts at the area's left edge: only what lies before the
    // painted part's right edge (a wide merged range reaches past it) can show.
    const int shownWidth = std::min(area.right(), contentRect.right()) - area.left() + 1;
    const QStaticText &laidOut = m_texts.text(text, index, m_fonts[index], shownWidth);
    const QSizeF size = laidOut.size();
    const QPointF origin(area.left(), area.top() + (area.height() - size.height()) / 2);
    painter.setFont(m_fonts[index]);
    painter.setPen(cellTextColor(style));
    if (size.width() <= area.width() && size.height() <= area.height()) {
        painter.drawStaticText(origin, laidOut);
        return;
    }
    painter.save();
    painter.setClipRect(area, Qt::IntersectClip);
    painter.drawStaticText(origin, laidOut);
    painter.restore();
}

QRegion CellGridPainter::selectionArea(const GridSelection &selection) const
{
    const int rows = m_document.rowCount();
    const int cols = m_document.columnCount();
    QList<ExcelRange> areas;
    if (selection.cell)
        areas.append({selection.cell->row, selection.cell->col, selection.cell->row,
                      selection.cell->col});
    if (selection.range)
        areas.append(selection.range->normalized());
    QRegion region;
    for (const ExcelRange &area : areas) {
        const ExcelRange clipped{std::max(area.startRow, 0), std::max(area.startCol, 0),
                                 std::min(area.endRow, rows - 1), std::min(area.endCol, cols - 1)};
        if (clipped.startRow > clipped.endRow || clipped.startCol > clipped.endCol)
            continue;
        region += rangeRect(clipped);
        for (const VisibleMerge &merge :
             visibleMerges(clipped.startRow, clipped.endRow, clipped.startCol, clipped.endCol))
            region += rangeRect(merge.range);
    }
    return region;
}

void CellGridPainter::paintSelectionEdges(QPainter &painter, const GridSelection &selection) const
{
    const int rows = m_document.rowCount();
    const int cols = m_document.columnCount();
    QRect frame;
    if (selection.range) {
        const ExcelRange &range = *selection.range;
        const ExcelRange clipped{std::max(range.startRow, 0), std::max(range.startCol, 0),
                                 std::min(range.endRow, rows - 1),
                                 std::min(range.endCol, cols - 1)};
        if (clipped.startRow > clipped.endRow || clipped.startCol > clipped.endCol)
            return;
        frame = rangeRect(clipped);
    } else if (selection.cell) {
        const CellAddress cell = *selection.cell;
        if (cell.row < 0 || cell.col < 0 || cell.row >= rows || cell.col >= cols)
            return;
        frame = cellRect(cell.row, cell.col);
        // A merged cell shows its frame only when its top-left cell is the selected one.
        if (const auto merge = m_document.mergedRange(cell.row, cell.col)) {
            if (merge->startRow != cell.row || merge->startCol != cell.col)
                return;
            frame = rangeRect({cell.row, cell.col, std::min(merge->endRow, rows - 1),
                               std::min(merge->endCol, cols - 1)});
        }
    } else {
        return;
    }
    painter.setPen(QPen(accentColor(), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(frame).adjusted(1, 1, -1, -1));
}
