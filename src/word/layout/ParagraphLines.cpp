#include "ParagraphLines.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextList>

#include <cmath>

namespace {

// An alignment QTextLayout cannot read two ways: left and right made
// absolute for the text's direction.
Qt::Alignment absoluteAlignment(Qt::Alignment alignment, Qt::LayoutDirection direction)
{
    const bool mirrored = direction == Qt::RightToLeft && !(alignment & Qt::AlignAbsolute);
    const Qt::Alignment horizontal = alignment & Qt::AlignHorizontal_Mask & ~Qt::AlignAbsolute;
    // Centred and justified lines read the same both ways; QTextLayout
    // justifies only an alignment that is justification alone.
    if (horizontal == Qt::AlignHCenter || horizontal == Qt::AlignJustify)
        return horizontal;
    const bool towardsEnd = horizontal == Qt::AlignRight;
    return (towardsEnd != mirrored ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignAbsolute;
}

} // namespace

ParagraphLines::Margins ParagraphLines::marginsOf(const QTextBlock &block)
{
    const QTextBlockFormat format = block.blockFormat();
    qreal steps = format.indent();
    if (const QTextList *list = block.textList())
        steps += list->format().indent();
    Margins margins{format.leftMargin(), format.rightMargin(), format.textIndent()};
    const qreal indent = steps * block.document()->indentWidth();
    if (block.textDirection() == Qt::RightToLeft)
        margins.right += indent;
    else
        margins.left += indent;
    return margins;
}

ParagraphLines::LineBox ParagraphLines::lineBox(const QTextBlockFormat &format, qreal naturalHeight)
{
    const qreal value = format.lineHeight();
    switch (format.lineHeightType()) {
    case QTextBlockFormat::ProportionalHeight:
        return value > 0 ? LineBox{naturalHeight * value / 100, 0} : LineBox{naturalHeight, 0};
    case QTextBlockFormat::FixedHeight:
        return value > 0 ? LineBox{value, (value - naturalHeight) / 2} : LineBox{naturalHeight, 0};
    case QTextBlockFormat::MinimumHeight:
        return value > naturalHeight ? LineBox{value, value - naturalHeight} : LineBox{naturalHeight, 0};
    case QTextBlockFormat::LineDistanceHeight:
        return {naturalHeight + qMax<qreal>(0, value), 0};
    default:
        return {naturalHeight, 0};
    }
}

QTextOption ParagraphLines::optionOf(const QTextBlock &block)
{
    const QTextBlockFormat format = block.blockFormat();
    QTextOption option = block.document()->defaultTextOption();
    const Qt::LayoutDirection direction = block.textDirection();
    option.setTextDirection(direction);
    option.setTabs(format.tabPositions());
    const Qt::Alignment alignment = format.hasProperty(QTextFormat::BlockAlignment) ? format.alignment()
                                                                                     : option.alignment();
    option.setAlignment(absoluteAlignment(alignment, direction));
    option.setWrapMode(format.nonBreakableLines() ? QTextOption::ManualWrap
                                                  : QTextOption::WrapAtWordBoundaryOrAnywhere);
    return option;
}

ParagraphLines::Measures ParagraphLines::layOut(const QTextBlock &block, qreal lineLength)
{
    QTextLayout *layout = block.layout();
    const QTextBlockFormat format = block.blockFormat();
    const Margins margins = marginsOf(block);
    const bool rightToLeft = block.textDirection() == Qt::RightToLeft;
    QTextOption option = optionOf(block);
    if (lineLength <= 0)
        option.setWrapMode(QTextOption::ManualWrap);
    layout->setTextOption(option);

    Measures measures;
    measures.sideMargins = margins.left + margins.right;
    layout->beginLayout();
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        const qreal indent = measures.lines == 0 ? margins.firstLine : 0;
        line.setLeadingIncluded(true);
        line.setLineWidth(qMax<qreal>(0, lineLength - margins.left - margins.right - indent));
        // Whole pixels from line to line keep single-spaced lines evenly apart.
        const LineBox box = lineBox(format, std::ceil(line.height()));
        line.setPosition(QPointF(margins.left + (rightToLeft ? 0 : indent), measures.height + box.textTop));
        measures.height += box.advance;
        measures.contentsRight = qMax(measures.contentsRight, line.x() + line.naturalTextWidth() + margins.right);
        measures.naturalWidth += line.naturalTextWidth();
        ++measures.lines;
    }
    layout->endLayout();
    return measures;
}
