#include "ParagraphLines.h"

#include <QTextBlock>
#include <QTextBoundaryFinder>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextList>

#include <algorithm>
#include <cmath>

namespace {

// How a paragraph's lines are laid out, read from its format and the
// document, in the terms QTextLayout takes.
struct LineRules
{
    Qt::LayoutDirection direction = Qt::LeftToRight;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignAbsolute;
    QList<QTextOption::Tab> tabs;
    qreal tabDistance = 0; // between the default stops after the last tab
    bool breaks = true;    // at the line length
    bool designMetrics = false;
};

// A format's alignment as QTextLayout takes it in either direction: left
// and right absolute (left is the start, right the end, and they swap
// sides right to left unless the format's are absolute already); centred
// and justified lines read the same both ways, and justification only
// works alone. An alignment not listed starts the line.
struct AlignmentRow
{
    Qt::Alignment format;
    Qt::Alignment leftToRight;
    Qt::Alignment rightToLeft;
};

constexpr Qt::Alignment AbsoluteLeft = Qt::AlignLeft | Qt::AlignAbsolute;
constexpr Qt::Alignment AbsoluteRight = Qt::AlignRight | Qt::AlignAbsolute;
constexpr AlignmentRow Alignments[] = {
    {Qt::AlignLeft, AbsoluteLeft, AbsoluteRight},
    {Qt::AlignRight, AbsoluteRight, AbsoluteLeft},
    {AbsoluteLeft, AbsoluteLeft, AbsoluteLeft},
    {AbsoluteRight, AbsoluteRight, AbsoluteRight},
    {Qt::AlignHCenter, Qt::AlignHCenter, Qt::AlignHCenter},
    {Qt::AlignHCenter | Qt::AlignAbsolute, Qt::AlignHCenter, Qt::AlignHCenter},
    {Qt::AlignJustify, Qt::AlignJustify, Qt::AlignJustify},
    {Qt::AlignJustify | Qt::AlignAbsolute, Qt::AlignJustify, Qt::AlignJustify},
};

Qt::Alignment layoutAlignment(Qt::Alignment alignment, Qt::LayoutDirection direction)
{
    const Qt::Alignment horizontal = alignment & Qt::AlignHorizontal_Mask;
    const AlignmentRow *row = std::find_if(std::begin(Alignments), std::end(Alignments),
                                           [&](const AlignmentRow &row) { return row.format == horizontal; });
    if (row == std::end(Alignments))
        row = &Alignments[0];
    return direction == Qt::RightToLeft ? row->rightToLeft : row->leftToRight;
}

LineRules rulesOf(const QTextBlock &block)
{
    const QTextBlockFormat format = block.blockFormat();
    const QTextDocument *document = block.document();
    LineRules rules;
    rules.direction = block.textDirection();
    rules.alignment = layoutAlignment(format.alignment(), rules.direction);
    rules.tabs = format.tabPositions();
    rules.tabDistance = document->defaultTextOption().tabStopDistance();
    rules.breaks = !format.nonBreakableLines();
    rules.designMetrics = document->useDesignMetrics();
    return rules;
}

QTextOption optionFrom(const LineRules &rules)
{
    QTextOption option(rules.alignment);
    option.setTextDirection(rules.direction);
    option.setTabs(rules.tabs);
    option.setTabStopDistance(rules.tabDistance);
    option.setWrapMode(rules.breaks ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::ManualWrap);
    option.setUseDesignMetrics(rules.designMetrics);
    return option;
}

// Breaking at word boundaries, QTextLayout measures the whole unbreakable
// stretch a line starts in, however long, before it breaks a word longer
// than the line anywhere: along a word of a million letters every line
// measures the rest of the word again. A line that starts in a stretch
// longer than this many characters is broken anywhere instead, which
// measures the line alone; only where the rest of the stretch then fits
// is the line broken at word boundaries after all, as a short word's is.
constexpr int LongStretch = 256;

int longWordLines = 0;

// The ends of the paragraph's unbreakable stretches, asked for at line
// starts that only move forward: the boundaries are found once, in time
// that grows with the text's length.
class Stretches
{
public:
    explicit Stretches(const QString &text)
        : m_text(text)
    {
        // A paragraph this short holds no long stretch: no finder needed.
        if (text.size() > LongStretch)
            m_finder = QTextBoundaryFinder(QTextBoundaryFinder::Line, text);
    }

    // Where the letters of the stretch holding `position` end (its
    // trailing spaces left out); `position` when no stretch there can be
    // long.
    int lettersEnd(int position)
    {
        if (!m_finder.isValid())
            return position;
        while (m_next <= position && m_next < m_text.size()) {
            const int previous = m_next;
            const qsizetype next = m_finder.toNextBoundary();
            m_next = next < 0 ? int(m_text.size()) : int(next);
            m_lettersEnd = m_next;
            while (m_lettersEnd > previous && m_text.at(m_lettersEnd - 1).isSpace())
                --m_lettersEnd;
        }
        return qMax(m_lettersEnd, position);
    }

private:
    QString m_text;
    QTextBoundaryFinder m_finder;
    int m_next = 0;       // the first boundary after the last position asked for
    int m_lettersEnd = 0; // the letters' end before it
};

// The text the block's layout lays out: the block's own, with the text
// being composed in it.
QString textOf(const QTextBlock &block)
{
    QString text = block.text();
    const QString preedit = block.layout()->preeditAreaText();
    if (!preedit.isEmpty())
        text.insert(qBound(0, block.layout()->preeditAreaPosition(), int(text.size())), preedit);
    return text;
}

// Breaks `line` within `width`: anywhere when it starts in a long
// stretch, at word boundaries otherwise (and when the stretch's rest fits).
void breakLine(QTextLayout *layout, QTextLine &line, qreal width, Stretches &stretches)
{
    const int start = line.textStart();
    const int lettersEnd = stretches.lettersEnd(start);
    if (lettersEnd - start > LongStretch) {
        const QTextOption atWords = layout->textOption();
        QTextOption anywhere = atWords;
        anywhere.setWrapMode(QTextOption::WrapAnywhere);
        layout->setTextOption(anywhere);
        line.setLineWidth(width);
        layout->setTextOption(atWords);
        if (line.textStart() + line.textLength() < lettersEnd)
            return;
    }
    line.setLineWidth(width);
    if (lettersEnd - start > LongStretch && line.textStart() + line.textLength() < lettersEnd)
        ++longWordLines;
}

} // namespace

int ParagraphLines::longWordLinesBrokenAtWords()
{
    return longWordLines;
}

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
    return optionFrom(rulesOf(block));
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
    const bool wraps = option.wrapMode() != QTextOption::ManualWrap;
    Stretches stretches(wraps ? textOf(block) : QString());
    layout->beginLayout();
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        const qreal indent = measures.lines == 0 ? margins.firstLine : 0;
        line.setLeadingIncluded(true);
        const qreal width = qMax<qreal>(0, lineLength - margins.left - margins.right - indent);
        if (wraps)
            breakLine(layout, line, width, stretches);
        else
            line.setLineWidth(width);
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
