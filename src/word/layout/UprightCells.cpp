#include "UprightCells.h"

#include "VerticalOrientation.h"

#include <QFont>
#include <QFontInfo>
#include <QGlyphRun>
#include <QImage>
#include <QRawFont>
#include <QTextBlock>
#include <QTextDocument>

namespace {

QTextCharFormat spacing(qreal extra)
{
    QTextCharFormat format;
    format.setFontLetterSpacingType(QFont::AbsoluteSpacing);
    format.setFontLetterSpacing(extra);
    return format;
}

bool sameRanges(const QList<QTextLayout::FormatRange> &a, const QList<QTextLayout::FormatRange> &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a.at(i).start != b.at(i).start || a.at(i).length != b.at(i).length
            || a.at(i).format.fontLetterSpacing() != b.at(i).format.fontLetterSpacing())
            return false;
    }
    return true;
}

// Text being composed stands in the layout's text at its position: what
// follows moves on by its length, and a run it falls into is split there.
void shiftPastComposition(QList<QTextLayout::FormatRange> &ranges, const QTextLayout *layout)
{
    const int length = layout ? int(layout->preeditAreaText().size()) : 0;
    if (length == 0)
        return;
    const int at = layout->preeditAreaPosition();
    for (qsizetype i = 0; i < ranges.size(); ++i) {
        QTextLayout::FormatRange &range = ranges[i];
        if (range.start >= at) {
            range.start += length;
        } else if (range.start + range.length > at) {
            QTextLayout::FormatRange after = range;
            after.start = at + length;
            after.length = range.start + range.length - at;
            range.length = at - range.start;
            ranges.insert(++i, after);
        }
    }
}

// How many pixel rows `glyph` inks as drawn (hinted), counting rows whose
// coverage reaches a quarter somewhere: fainter rows of antialiasing read
// as blank beside the next character.
int rasterized = 0;

int inkRows(const QRawFont &font, quint32 glyph)
{
    ++rasterized;
    const QImage coverage = font.alphaMapForGlyph(glyph, QRawFont::PixelAntialiasing);
    int first = -1;
    int last = -1;
    for (int y = 0; y < coverage.height(); ++y) {
        for (int x = 0; x < coverage.width(); ++x) {
            if (qAlpha(coverage.pixel(x, y)) >= 64) {
                if (first < 0)
                    first = y;
                last = y;
                break;
            }
        }
    }
    return first < 0 ? 0 : last - first + 1;
}

} // namespace

int UprightCells::glyphsRasterized()
{
    return rasterized;
}

qreal UprightCells::extraFor(const QFont &font)
{
    const QString key = font.key();
    const auto found = m_extraByFont.constFind(key);
    if (found != m_extraByFont.constEnd())
        return *found;
    const qreal size = QFontInfo(font).pixelSize();
    const qreal extra = size > ExactPixelSize ? scaledExtraFor(font, size) : measuredExtraFor(font);
    if (m_extraByFont.size() >= MaxFonts)
        m_extraByFont.clear();
    m_extraByFont.insert(key, extra);
    return extra;
}

qreal UprightCells::scaledExtraFor(const QFont &font, qreal pixelSize)
{
    // Ink, gap and advance all grow with the size; what a pixel of hinting
    // adds or takes is small beside the gap at these sizes.
    QFont reference = font;
    reference.setPixelSize(ExactPixelSize);
    return extraFor(reference) * pixelSize / ExactPixelSize;
}

qreal UprightCells::measuredExtraFor(const QFont &font)
{
    // Some of the tallest ideographs laid out in the font show which font
    // draws them (the font itself or a fallback), the advance the layout
    // gives each and how many pixel rows its ink takes.
    const QString sample = QStringLiteral("書縦鬱龍あ");
    QTextLayout probe(sample, font);
    probe.beginLayout();
    const QTextLine line = probe.createLine();
    probe.endLayout();
    qreal extra = 0;
    for (int i = 0; i < sample.size(); ++i) {
        const QList<QGlyphRun> runs = line.glyphRuns(i, 1);
        if (runs.isEmpty() || runs.first().glyphIndexes().isEmpty())
            continue;
        const QRawFont drawing = runs.first().rawFont();
        const int ink = inkRows(drawing, runs.first().glyphIndexes().first());
        const qreal gap = qMax<qreal>(1, drawing.pixelSize() / 16);
        const qreal advance = line.cursorToX(i + 1) - line.cursorToX(i);
        extra = qMax(extra, ink + gap - advance);
    }
    return extra;
}

qreal UprightCells::extraFor(const QTextBlock &block, const QTextFragment &fragment)
{
    const QFont standard = block.document()->defaultFont();
    if (standard != m_standardFont) {
        m_standardFont = standard;
        m_extraByFormat.clear();
    }
    const int index = fragment.charFormatIndex();
    const auto found = m_extraByFormat.constFind(index);
    if (found != m_extraByFormat.constEnd())
        return *found;
    const qreal extra = extraFor(fragment.charFormat().font().resolve(standard));
    if (m_extraByFormat.size() >= MaxFonts)
        m_extraByFormat.clear();
    m_extraByFormat.insert(index, extra);
    return extra;
}

QList<QTextLayout::FormatRange> UprightCells::rangesFor(const QTextBlock &block, bool vertical)
{
    QList<QTextLayout::FormatRange> ranges;
    if (!vertical)
        return ranges;
    const int blockStart = block.position();
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QTextCharFormat format = fragment.charFormat();
        if (format.objectType() != QTextFormat::NoObject)
            continue;
        const QString text = fragment.text();
        const int start = fragment.position() - blockStart;
        qreal extra = -1; // found at the fragment's first upright character
        for (int i = 0; i < text.size();) {
            const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
            const char32_t c = pair ? QChar::surrogateToUcs4(text.at(i), text.at(i + 1)) : text.at(i).unicode();
            const int length = pair ? 2 : 1;
            if (verticalOrientation(c) == VerticalOrientation::Turned) {
                i += length;
                continue;
            }
            if (extra < 0)
                extra = extraFor(block, fragment);
            if (extra <= 0)
                break;
            if (!ranges.isEmpty() && ranges.last().start + ranges.last().length == start + i
                && ranges.last().format.fontLetterSpacing() == extra)
                ranges.last().length += length;
            else
                ranges.append({start + i, length, spacing(extra)});
            i += length;
        }
    }
    shiftPastComposition(ranges, block.layout());
    return ranges;
}

void UprightCells::apply(const QTextBlock &block, bool vertical)
{
    QTextLayout *layout = block.layout();
    if (!layout)
        return;
    const QList<QTextLayout::FormatRange> wanted = rangesFor(block, vertical);
    if (!sameRanges(layout->formats(), wanted))
        layout->setFormats(wanted);
}
