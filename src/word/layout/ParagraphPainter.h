#pragma once

#include <QAbstractTextDocumentLayout>
#include <QRectF>

class QPainter;
class QTextBlock;

// Draws laid-out paragraphs of the page in horizontal writing, in this
// order: the paragraph's background over its box, its list marker, its
// text with the context's selections, the caret, and a rule under it when
// it carries one (an empty paragraph carries it across its middle).
class ParagraphPainter
{
public:
    // `context` gives the clip (none: everything), the text colour, the
    // selections and the caret's position; `caretWidth` in pixels.
    ParagraphPainter(QPainter *painter, const QAbstractTextDocumentLayout::PaintContext &context,
                     qreal caretWidth);

    // Draws `block`, whose box (its band across the line length, from its
    // top to the next paragraph's space) is `box`.
    void paint(const QTextBlock &block, const QRectF &box) const;

    // Where the caret stands in `block` when the context has it there:
    // the caret's position within the block's layout, else -1. Text being
    // composed holds the caret within it.
    int caretIn(const QTextBlock &block) const;

private:
    QList<QTextLayout::FormatRange> selectionsIn(const QTextBlock &block) const;
    const QTextCharFormat *selectionAtStart(const QTextBlock &block) const;
    void paintMarker(const QTextBlock &block) const;
    void paintRule(const QTextBlock &block, const QRectF &box) const;

    QPainter *m_painter;
    const QAbstractTextDocumentLayout::PaintContext &m_context;
    qreal m_caretWidth;
};
