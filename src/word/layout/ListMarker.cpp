#include "ListMarker.h"

#include "textsystem/TextListMarker.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextList>

namespace {

QString markerText(const QTextBlock &block, const QTextList &list)
{
    switch (list.format().style()) {
    case QTextListFormat::ListDecimal:
    case QTextListFormat::ListLowerAlpha:
    case QTextListFormat::ListUpperAlpha:
    case QTextListFormat::ListLowerRoman:
    case QTextListFormat::ListUpperRoman:
        return list.itemText(block);
    case QTextListFormat::ListCircle:
        return TextListMarker::of(TextList::circle.toString()).bulletCharacter();
    case QTextListFormat::ListSquare:
        return TextListMarker::of(TextList::square.toString()).bulletCharacter();
    case QTextListFormat::ListDisc:
        return TextListMarker::of(TextList::disc.toString()).bulletCharacter();
    default:
        return QString(); // a list that shows no marker
    }
}

// The format of the paragraph's first character, which the marker wears.
QTextCharFormat leadingFormat(const QTextBlock &block)
{
    const QTextBlock::iterator first = block.begin();
    return first.atEnd() ? block.charFormat() : first.fragment().charFormat();
}

// Between the marker and the text: a third of an em, about a space.
constexpr qreal GapInEms = 1.0 / 3;

} // namespace

ListMarker ListMarker::of(const QTextBlock &block)
{
    ListMarker marker;
    const QTextList *list = block.textList();
    const QTextLayout *layout = block.layout();
    if (!list || !layout || layout->lineCount() == 0)
        return marker;
    marker.m_text = markerText(block, *list);
    if (marker.m_text.isEmpty())
        return marker;
    const QTextCharFormat format = leadingFormat(block);
    marker.m_font = format.font().resolve(block.document()->defaultFont());
    if (format.foreground().style() != Qt::NoBrush)
        marker.m_color = format.foreground().color();

    const QFontMetricsF metrics(marker.m_font);
    const qreal advance = metrics.horizontalAdvance(marker.m_text);
    const qreal gap = QFontInfo(marker.m_font).pixelSize() * GapInEms;
    const QTextLine line = layout->lineAt(0);
    const QPointF origin = layout->position();
    const qreal textStart = origin.x() + line.cursorToX(0);
    const qreal baseline = origin.y() + line.y() + line.ascent();
    const bool rightToLeft = block.textDirection() == Qt::RightToLeft;
    marker.m_origin = QPointF(rightToLeft ? textStart + gap : textStart - gap - advance, baseline);
    marker.m_rect = QRectF(marker.m_origin.x(), baseline - metrics.ascent(), advance,
                           metrics.ascent() + metrics.descent());
    return marker;
}

void ListMarker::paint(QPainter *painter, const QColor &color) const
{
    if (isEmpty())
        return;
    painter->setFont(m_font);
    if (color.isValid() || m_color.isValid())
        painter->setPen(color.isValid() ? color : m_color);
    painter->drawText(m_origin, m_text);
}
