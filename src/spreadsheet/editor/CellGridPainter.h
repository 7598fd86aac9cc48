#pragma once

#include "CellTextCache.h"
#include "GridSelection.h"
#include "spreadsheet/engine/model/CellStyle.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QRect>
#include <QRegion>

class ExcelDocument;
class QPainter;

// Draws the working sheet of a document in content coordinates: the header
// row and column, the cells with their styles and evaluated texts, the grid
// lines, the merged ranges over their cells and the selection edges. Only
// the cells meeting the given rectangle are drawn, and every row and column
// read is bounds-checked against the grid.
class CellGridPainter
{
public:
    CellGridPainter(const ExcelDocument &document, const QFont &baseFont);

    // Draws everything meeting `contentRect` over a white ground the caller
    // has laid; the painter is already in content coordinates.
    void paint(QPainter &painter, const QRect &contentRect, const GridSelection &selection) const;

    // The content area whose look depends on `selection`: the selected cell
    // and the selected range with their frames, and every merged range whose
    // fill either touches, clipped to the grid. Repainting it before and
    // after a change of selection is enough.
    QRegion selectionArea(const GridSelection &selection) const;

    // The look of one cell, shared with the in-place editor.
    QFont cellFont(const CellStyle &style) const { return m_fonts[fontIndex(style)]; }
    static QColor cellTextColor(const CellStyle &style);
    // Range tint, then selection tint, then the style's fill, then white.
    static QColor cellBackground(int row, int col, const CellStyle &style,
                                 const GridSelection &selection);

    // Characters of cell texts laid out so far.
    qsizetype laidOutTextLength() const { return m_texts.laidOutLength(); }

private:
    static int fontIndex(const CellStyle &style)
    {
        return (style.isBold ? 1 : 0) | (style.isItalic ? 2 : 0);
    }

    struct VisibleMerge {
        ExcelRange range; // clipped to the grid
        int startRow;     // top-left cell, which gives text and style
        int startCol;
    };

    QList<VisibleMerge> visibleMerges(int firstRow, int lastRow, int firstCol, int lastCol) const;
    void paintHeaders(QPainter &painter, const QRect &contentRect, int firstRow, int lastRow,
                      int firstCol, int lastCol) const;
    void paintCell(QPainter &painter, const QRect &rect, const QRect &contentRect, int row,
                   int col, const QString &columnName, const GridSelection &selection) const;
    void paintSelectionEdges(QPainter &painter, const GridSelection &selection) const;

    const ExcelDocument &m_document;
    void paintText(QPainter &painter, const QRect &rect, const QRect &contentRect,
                   const QString &text, const CellStyle &style) const;

    QFont m_fonts[4]; // regular, bold, italic, bold italic
    QFont m_headerFont;
    mutable CellTextCache m_texts;
};
