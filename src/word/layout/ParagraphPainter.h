#pragma once

#include <QAbstractTextDocumentLayout>
#include <QRectF>

class QPainter;
class QTextBlock;

// Draws laid-out paragraphs of the page in horizontal writing, each in
// this order: its background over its box; a rule when it carries one
// (beneath the text, so text over it stays readable); its text with the
// context's selections; the caret; its list marker. Every step sets the
// painter state it draws with (pen, brush, font) and leaves it set.
//
// The rule is a band RuleThickness high across the text's width (between
// the margins) or the share of it the format gives, centred there, in the
// colour of the paragraph's text: across the middle of an empty paragraph
// (a paragraph that is a rule only), else just below the last line.
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
    QColor ruleColor(const QTextBlock &block) const;

    static constexpr qreal RuleThickness = 1;

    QPainter *m_painter;
    const QAbstractTextDocumentLayout::PaintContext &m_context;
    qreal m_caretWidth;
};
