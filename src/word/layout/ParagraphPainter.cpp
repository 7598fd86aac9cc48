#include "ParagraphPainter.h"

#include "ListMarker.h"
#include "ParagraphLines.h"

#include <QPainter>
#include <QTextBlock>
#include <QTextLayout>

ParagraphPainter::ParagraphPainter(QPainter *painter, const QAbstractTextDocumentLayout::PaintContext &context,
                                   qreal caretWidth)
    : m_painter(painter)
    , m_context(context)
    , m_caretWidth(caretWidth)
{
}

void ParagraphPainter::paint(const QTextBlock &block, const QRectF &box) const
{
    const QTextLayout *layout = block.layout();
    if (!layout || !block.isVisible())
        return;
    const QBrush background = block.blockFormat().background();
    if (background.style() != Qt::NoBrush)
        m_painter->fillRect(box, background);
    paintRule(block, box);

    // The pen gives the text (and the caret) its colour where its format
    // gives none.
    m_painter->setPen(m_context.palette.color(QPalette::Text));
    layout->draw(m_painter, QPointF(), selectionsIn(block), m_context.clip);
    const int caret = caretIn(block);
    if (caret >= 0)
        layout->drawCursor(m_painter, QPointF(), caret, m_caretWidth);
    paintMarker(block);
}

int ParagraphPainter::caretIn(const QTextBlock &block) const
{
    const int position = m_context.cursorPosition;
    const QTextLayout *layout = block.layout();
    if (position < -1) {
        // While text is composed, the position counts back from -2 within it.
        if (layout->preeditAreaText().isEmpty())
            return -1;
        return layout->preeditAreaPosition() + (-position - 2);
    }
    if (position < block.position() || position >= block.position() + block.length())
        return -1;
    return position - block.position();
}

QList<QTextLayout::FormatRange> ParagraphPainter::selectionsIn(const QTextBlock &block) const
{
    QList<QTextLayout::FormatRange> ranges;
    const int start = block.position();
    const int end = start + block.length();
    for (const QAbstractTextDocumentLayout::Selection &selection : m_context.selections) {
        const int from = qMax(selection.cursor.selectionStart(), start);
        const int to = qMin(selection.cursor.selectionEnd(), end);
        if (from < to)
            ranges.append({from - start, to - from, selection.format});
    }
    return ranges;
}

const QTextCharFormat *ParagraphPainter::selectionAtStart(const QTextBlock &block) const
{
    for (const QAbstractTextDocumentLayout::Selection &selection : m_context.selections) {
        if (selection.cursor.selectionStart() <= block.position()
            && selection.cursor.selectionEnd() > block.position())
            return &selection.format;
    }
    return nullptr;
}

void ParagraphPainter::paintMarker(const QTextBlock &block) const
{
    if (!block.textList())
        return;
    const ListMarker marker = ListMarker::of(block);
    if (marker.isEmpty())
        return;
    // A marker goes with its paragraph's selection.
    const QTextCharFormat *selected = selectionAtStart(block);
    if (selected) {
        if (selected->background().style() != Qt::NoBrush)
            m_painter->fillRect(marker.rect(), selected->background());
        marker.paint(m_painter, selected->foreground().style() != Qt::NoBrush ? selected->foreground().color()
                                                                             : marker.color());
        return;
    }
    marker.paint(m_painter, marker.color().isValid() ? marker.color() : m_context.palette.color(QPalette::Text));
}

void ParagraphPainter::paintRule(const QTextBlock &block, const QRectF &box) const
{
    const QTextBlockFormat format = block.blockFormat();
    if (!format.hasProperty(QTextFormat::BlockTrailingHorizontalRulerWidth))
        return;
    const QTextLayout *layout = block.layout();
    if (layout->lineCount() == 0)
        return;
    // A band across the text's width (or the share of it the format asks
    // for), centred between the margins.
    const ParagraphLines::Margins margins = ParagraphLines::marginsOf(block);
    const qreal textLeft = box.left() + margins.left;
    const qreal textWidth = qMax<qreal>(0, box.width() - margins.left - margins.right);
    const qreal width = qBound<qreal>(
        0, format.lengthProperty(QTextFormat::BlockTrailingHorizontalRulerWidth).value(textWidth), textWidth);
    // An empty paragraph is the rule alone: it stands where its text would.
    // Under text, it stands just below the last line.
    const QTextLine last = layout->lineAt(layout->lineCount() - 1);
    const qreal lineTop = layout->position().y() + last.y();
    const qreal middle = lineTop + (block.length() <= 1 ? last.height() / 2 : last.height() + RuleThickness / 2);
    m_painter->fillRect(QRectF(textLeft + (textWidth - width) / 2, middle - RuleThickness / 2, width, RuleThickness),
                        ruleColor(block));
}

QColor ParagraphPainter::ruleColor(const QTextBlock &block) const
{
    const QBrush foreground = block.charFormat().foreground();
    return foreground.style() != Qt::NoBrush ? foreground.color() : m_context.palette.color(QPalette::Text);
}
