#include "BlockPainter.h"

#include "ListMarker.h"
#include "TextFormatProperty.h"
#include "VerticalOrientation.h"

#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QRawFont>
#include <QPainter>
#include <QPainterPath>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace {

char32_t characterAt(const QString &text, int index, int *length)
{
    const QChar c = text.at(index);
    if (c.isHighSurrogate() && index + 1 < text.size() && text.at(index + 1).isLowSurrogate()) {
        *length = 2;
        return QChar::surrogateToUcs4(c, text.at(index + 1));
    }
    *length = 1;
    return c.unicode();
}

} // namespace

BlockPainter::BlockPainter(QPainter *painter, Orientation orientation, const Colors &colors)
    : m_painter(painter)
    , m_orientation(orientation)
    , m_colors(colors)
{
}

QPainterPath BlockPainter::glyphPath(const QRawFont &font, quint32 glyph)
{
    const auto key = std::make_pair(font, glyph);
    const auto found = m_glyphPaths.constFind(key);
    if (found != m_glyphPaths.constEnd())
        return *found;
    return *m_glyphPaths.insert(key, font.pathForGlyph(glyph));
}

void BlockPainter::setSelection(int start, int end)
{
    m_selectionStart = start;
    m_selectionEnd = end;
}

int BlockPainter::layoutPosition(int blockPosition) const
{
    if (m_preeditPosition >= 0 && blockPosition >= m_preeditPosition)
        return blockPosition + m_preeditLength;
    return blockPosition;
}

bool BlockPainter::begin(const QTextBlock &block, bool withPreedit)
{
    m_layout = block.layout();
    if (!m_layout)
        return false;
    m_document = block.document();
    m_blockPosition = block.position();
    m_layoutText = block.text();
    const QString preedit = withPreedit ? m_layout->preeditAreaText() : QString();
    m_preeditPosition = preedit.isEmpty() ? -1 : m_layout->preeditAreaPosition();
    m_preeditLength = int(preedit.size());
    if (!preedit.isEmpty())
        m_layoutText.insert(qMin<int>(m_preeditPosition, int(m_layoutText.size())), preedit);
    return true;
}

void BlockPainter::paintBlock(const QTextBlock &block, const QRectF &clip)
{
    if (!begin(block, true))
        return;
    for (int i = 0; i < m_layout->lineCount(); ++i) {
        const QTextLine line = m_layout->lineAt(i);
        const QRectF rect = line.rect().translated(m_layout->position());
        if (rect.top() > clip.bottom())
            break;
        if (rect.bottom() >= clip.top())
            paintLine(block, line, clip);
    }
    paintMarker(block);
}

void BlockPainter::paintMarker(const QTextBlock &block)
{
    // It lies along the first line, as Latin text does, before its start.
    if (!block.textList())
        return;
    const ListMarker marker = ListMarker::of(block);
    if (marker.isEmpty())
        return;
    const bool selected = m_selectionStart < m_selectionEnd && m_selectionStart <= block.position()
        && m_selectionEnd > block.position();
    if (selected && m_colors.highlight.isValid())
        m_painter->fillRect(marker.rect(), m_colors.highlight);
    QColor color = marker.color().isValid() ? marker.color() : m_colors.text;
    if (selected && m_colors.highlightedText.isValid())
        color = m_colors.highlightedText;
    marker.paint(m_painter, color);
}

void BlockPainter::paintLine(const QTextBlock &block, const QTextLine &line, const QRectF &)
{
    const int lineStart = line.textStart();
    const int lineEnd = lineStart + line.textLength();
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const int fragmentStart = fragment.position() - m_blockPosition;
        const int start = qMax(layoutPosition(fragmentStart), lineStart);
        const int end = qMin(layoutPosition(fragmentStart + fragment.length()), lineEnd);
        if (start >= end)
            continue;
        const QTextCharFormat format = fragment.charFormat();
        // Split the piece where the selection starts and ends.
        const int selStart = layoutPosition(m_selectionStart - m_blockPosition);
        const int selEnd = layoutPosition(m_selectionEnd - m_blockPosition);
        int cuts[4] = {start, qBound(start, selStart, end), qBound(start, selEnd, end), end};
        for (int k = 0; k < 3; ++k) {
            if (cuts[k] >= cuts[k + 1])
                continue;
            const bool selected = k == 1 && m_selectionStart < m_selectionEnd;
            const Piece piece{cuts[k], cuts[k + 1]};
            if (selected && m_colors.highlight.isValid())
                m_painter->fillRect(cellRect(line, piece), m_colors.highlight);
            else if (format.background().style() != Qt::NoBrush)
                m_painter->fillRect(cellRect(line, piece), format.background());
            QColor color = format.foreground().style() != Qt::NoBrush ? format.foreground().color()
                                                                      : m_colors.text;
            if (selected && m_colors.highlightedText.isValid())
                color = m_colors.highlightedText;
            paintRange(line, piece, format, color, m_blockPosition + cuts[k]);
        }
    }
    // Text being composed: drawn along the line, underlined by its own format.
    if (m_preeditPosition >= 0) {
        const int start = qMax(m_preeditPosition, lineStart);
        const int end = qMin(m_preeditPosition + m_preeditLength, lineEnd);
        if (start < end)
            paintTurnedGlyphs(line, {start, end}, QTextCharFormat(), m_colors.text);
    }
}

QRectF BlockPainter::cellRect(const QTextLine &line, Piece piece) const
{
    const qreal x0 = line.cursorToX(piece.start);
    const qreal x1 = line.cursorToX(piece.end);
    return QRectF(qMin(x0, x1), line.y(), std::abs(x1 - x0), line.height())
        .translated(m_layout->position());
}

void BlockPainter::paintRange(const QTextLine &line, Piece piece, const QTextCharFormat &format,
                              const QColor &color, int documentPosition)
{
    if (format.objectType() != QTextFormat::NoObject) {
        paintObject(line, piece, format, documentPosition);
        return;
    }
    if (m_orientation == Orientation::Horizontal) {
        paintTurnedGlyphs(line, piece, format, color);
        return;
    }
    int runStart = piece.start;
    while (runStart < piece.end) {
        int length = 1;
        const VerticalOrientation orientation = verticalOrientation(characterAt(m_layoutText, runStart, &length));
        if (orientation != VerticalOrientation::Turned) {
            paintUprightCharacter(line, {runStart, runStart + length}, format, color,
                                  orientation == VerticalOrientation::UprightUpperRight);
            runStart += length;
            continue;
        }
        int runEnd = runStart + length;
        while (runEnd < piece.end) {
            const char32_t next = characterAt(m_layoutText, runEnd, &length);
            if (verticalOrientation(next) != VerticalOrientation::Turned)
                break;
            runEnd += length;
        }
        paintTurnedGlyphs(line, {runStart, runEnd}, format, color);
        runStart = runEnd;
    }
}

void BlockPainter::paintObject(const QTextLine &line, Piece piece, const QTextCharFormat &format,
                               int documentPosition)
{
    // Pictures keep the line's direction; the document's handler draws them.
    QAbstractTextDocumentLayout *documentLayout = m_document->documentLayout();
    QTextObjectInterface *handler = documentLayout->handlerForObject(format.objectType());
    if (!handler)
        return;
    auto *document = const_cast<QTextDocument *>(m_document);
    const QSizeF size = handler->intrinsicSize(document, documentPosition, format);
    const qreal x = line.cursorToX(piece.start);
    const QRectF rect(QPointF(x, line.y() + line.ascent() - size.height()) + m_layout->position(), size);
    handler->drawObject(m_painter, rect, document, documentPosition, format);
}

void BlockPainter::paintTurnedGlyphs(const QTextLine &line, Piece piece, const QTextCharFormat &format,
                                     const QColor &color)
{
    const QPen outline = format.textOutline();
    const bool outlined = format.hasProperty(QTextFormat::TextOutline) && outline.style() != Qt::NoPen;
    const QPointF origin = m_layout->position();
    const QList<QGlyphRun> runs = line.glyphRuns(piece.start, piece.end - piece.start);
    for (const QGlyphRun &run : runs) {
        if (!outlined) {
            m_painter->setPen(color);
            m_painter->drawGlyphRun(origin, run);
            continue;
        }
        QPainterPath path;
        const QList<quint32> glyphs = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (qsizetype i = 0; i < glyphs.size(); ++i)
            path.addPath(glyphPath(run.rawFont(), glyphs.at(i)).translated(positions.at(i)));
        path.translate(origin);
        m_painter->fillPath(path, color);
        QPen pen = outline;
        if (color.alpha() == 0)
            pen.setColor(Qt::transparent);
        m_painter->strokePath(path, pen);
    }
}

void BlockPainter::paintUprightCharacter(const QTextLine &line, Piece piece, const QTextCharFormat &format,
                                         const QColor &color, bool upperRight)
{
    // The layout's own glyphs (so the font matches the layout on any device),
    // turned back upright about the centre of their cell.
    const QRectF cell = cellRect(line, piece);
    const QPen outline = format.textOutline();
    const bool outlined = format.hasProperty(QTextFormat::TextOutline) && outline.style() != Qt::NoPen;
    const QList<QGlyphRun> runs = line.glyphRuns(piece.start, piece.end - piece.start);
    for (QGlyphRun run : runs) {
        const QList<QPointF> positions = run.positions();
        if (positions.isEmpty())
            continue;
        const QRawFont font = run.rawFont();
        // Centred across the line by its advance; along it, the cell may be
        // longer than the advance (UprightCells) and the glyph stands in
        // its middle.
        qreal advance = 0;
        for (const QPointF &step : font.advancesForGlyphIndexes(run.glyphIndexes()))
            advance += step.x();
        QPointF origin(-advance / 2, (font.ascent() - font.descent()) / 2);
        if (upperRight)
            origin += QPointF(advance * 0.45, -advance * 0.45);
        QList<QPointF> upright;
        upright.reserve(positions.size());
        for (const QPointF &position : positions)
            upright.append(origin + position - positions.first());
        run.setPositions(upright);
        m_painter->save();
        m_painter->translate(cell.center());
        m_painter->rotate(-90);
        if (outlined) {
            QPainterPath path;
            const QList<quint32> glyphs = run.glyphIndexes();
            for (qsizetype i = 0; i < glyphs.size(); ++i)
                path.addPath(glyphPath(font, glyphs.at(i)).translated(upright.at(i)));
            m_painter->fillPath(path, color);
            if (color.alpha() != 0)
                m_painter->strokePath(path, outline);
        } else {
            m_painter->setPen(color);
            m_painter->drawGlyphRun(QPointF(0, 0), run);
        }
        m_painter->restore();
    }
}

void BlockPainter::paintShadows(const QTextBlock &block, const QRectF &clip)
{
    // Shadows are drawn for the document's text only, not for text being composed.
    if (!begin(block, false))
        return;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QTextCharFormat format = fragment.charFormat();
        if (!format.hasProperty(TextFormatProperty::ShadowColor) || format.objectType() != QTextFormat::NoObject)
            continue;
        const int start = fragment.position() - m_blockPosition;
        const int end = start + fragment.length();
        // How far a shadow falls from its line: its offset and its blur.
        const QPointF offset = format.property(TextFormatProperty::ShadowOffset).toPointF();
        const qreal reach = 2 * qBound(0.0, format.doubleProperty(TextFormatProperty::ShadowBlurRadius), 100.0)
            + qMax(qAbs(offset.x()), qAbs(offset.y())) + 1;
        for (int i = 0; i < m_layout->lineCount(); ++i) {
            const QTextLine line = m_layout->lineAt(i);
            const int from = qMax(start, line.textStart());
            const int to = qMin(end, line.textStart() + line.textLength());
            if (from >= to)
                continue;
            const QRectF area = line.rect().united(line.naturalTextRect()).translated(m_layout->position());
            if (!area.adjusted(-reach, -reach, reach, reach).intersects(clip))
                continue;
            paintShadowRange(line, {from, to}, format);
        }
    }
}

void BlockPainter::paintShadowRange(const QTextLine &line, Piece piece, const QTextCharFormat &format)
{
    const QColor shadowColor = format.colorProperty(TextFormatProperty::ShadowColor);
    if (!shadowColor.isValid() || shadowColor.alpha() == 0)
        return;
    const QPointF offset = format.property(TextFormatProperty::ShadowOffset).toPointF();
    const qreal blurRadius = qBound(0.0, format.doubleProperty(TextFormatProperty::ShadowBlurRadius), 100.0);
    // Offsets are on the screen: x right, y up. The vertical layout is turned
    // a quarter clockwise, so the screen's right is the layout's up.
    const QPointF shift = m_orientation == Orientation::Horizontal ? QPointF(offset.x(), -offset.y())
                                                                   : QPointF(-offset.y(), -offset.x());
    QTextCharFormat shadowFormat = format;
    if (format.hasProperty(QTextFormat::TextOutline)) {
        QPen pen = format.textOutline();
        pen.setColor(shadowColor);
        shadowFormat.setTextOutline(pen);
    }
    const QTransform device = m_painter->worldTransform();
    const qreal scale = std::sqrt(std::abs(device.determinant()));
    if (blurRadius <= 0 || scale <= 0) {
        m_painter->save();
        m_painter->translate(shift);
        paintRange(line, piece, shadowFormat, shadowColor, m_blockPosition + piece.start);
        m_painter->restore();
        return;
    }
    // Drawn into an image in device pixels, blurred there, then laid over.
    // The blur spreads an outline's pixel or two away: the glyphs are drawn
    // filled only, many times faster than outlined.
    shadowFormat.clearProperty(QTextFormat::TextOutline);
    const QRectF cell = cellRect(line, piece).adjusted(-blurRadius * 2, -blurRadius * 2, blurRadius * 2,
                                                       blurRadius * 2);
    const QSize pixels = (cell.size() * scale).toSize().expandedTo(QSize(1, 1));
    if (qint64(pixels.width()) * pixels.height() > 64 * 1024 * 1024)
        return;
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter imagePainter(&image);
        imagePainter.setRenderHints(m_painter->renderHints());
        imagePainter.scale(scale, scale);
        imagePainter.translate(-cell.topLeft());
        QPainter *outer = m_painter;
        m_painter = &imagePainter;
        paintRange(line, piece, shadowFormat, shadowColor, m_blockPosition + piece.start);
        m_painter = outer;
    }
    blur(image, blurRadius * scale);
    m_painter->drawImage(QRectF(cell.topLeft() + shift, cell.size()), image);
}

void BlockPainter::paintCaret(const QTextBlock &block, int position, qreal width)
{
    const QRectF caret = caretRect(block, position, width);
    if (!caret.isEmpty())
        m_painter->fillRect(caret, m_colors.text);
}

QRectF BlockPainter::caretRect(const QTextBlock &block, int position, qreal width)
{
    const QTextLayout *layout = block.layout();
    if (!layout)
        return {};
    const int local = position - block.position();
    const QTextLine line = layout->lineForTextPosition(local);
    if (!line.isValid())
        return {};
    // As thick as the text at the caret, about the baseline: a picture that
    // widens the line does not lengthen the caret.
    QTextCursor cursor(block);
    cursor.setPosition(position);
    const QTextCharFormat format = TextFormatProperty::withoutObject(cursor.charFormat());
    const QFontMetricsF metrics(format.font().resolve(block.document()->defaultFont()));
    const qreal baseline = line.y() + line.ascent();
    const qreal top = qMax(line.y(), baseline - metrics.ascent());
    const qreal bottom = qMin(line.y() + line.height(), baseline + metrics.descent());
    return QRectF(line.cursorToX(local), top, width, bottom - top).translated(layout->position());
}

namespace {

// One box blur of `length` bytes `step` apart, from `source` into `target`:
// each byte becomes the sum of the span around it (clipped at the ends),
// divided by the span through `divided`.
void boxBlurLine(const uchar *source, uchar *target, qsizetype step, int length, int box, const uchar *divided)
{
    int sum = 0;
    for (int i = 0; i <= box && i < length; ++i)
        sum += source[i];
    // The span reaches past the start, lies within the line, then reaches
    // past the end: no checks per byte in the middle.
    int i = 0;
    for (; i < qMin(box, length); ++i) {
        target[i * step] = divided[sum];
        if (i + box + 1 < length)
            sum += source[i + box + 1];
    }
    for (; i + box + 1 < length; ++i) {
        target[i * step] = divided[sum];
        sum += source[i + box + 1] - source[i - box];
    }
    for (; i < length; ++i) {
        target[i * step] = divided[sum];
        sum -= source[i - box];
    }
}

} // namespace

void BlockPainter::blur(QImage &image, qreal radius)
{
    // Three box blurs in each direction approximate a Gaussian. Each channel
    // is blurred on its own, as a plane of bytes; a channel that is zero
    // everywhere (the colour channels of a black shadow) stays zero.
    const int box = qMax(1, int(std::lround(radius / 1.5)));
    const int width = image.width();
    const int height = image.height();
    if (width == 0 || height == 0)
        return;
    const int span = 2 * box + 1;
    // Sums divided by the span, looked up rather than divided per pixel.
    QList<uchar> dividedSums(255 * span + 1);
    for (int sum = 0; sum < dividedSums.size(); ++sum)
        dividedSums[sum] = uchar(sum / span);
    const uchar *const divided = dividedSums.constData();
    uchar *const bits = image.bits();
    const qsizetype stride = image.bytesPerLine();
    quint32 used = 0;
    for (int y = 0; y < height; ++y) {
        const auto *row = reinterpret_cast<const quint32 *>(bits + y * stride);
        for (int x = 0; x < width; ++x)
            used |= row[x];
    }
    QList<uchar> planeBuffer(qsizetype(width) * height);
    QList<uchar> lineBuffer(qMax(width, height));
    uchar *const plane = planeBuffer.data();
    uchar *const line = lineBuffer.data();
    for (int channel = 0; channel < 4; ++channel) {
        const int shift = channel * 8;
        if (((used >> shift) & 0xff) == 0)
            continue;
        for (int y = 0; y < height; ++y) {
            const auto *row = reinterpret_cast<const quint32 *>(bits + y * stride);
            for (int x = 0; x < width; ++x)
                plane[qsizetype(y) * width + x] = uchar(row[x] >> shift);
        }
        for (int k = 0; k < 3; ++k) {
            for (int y = 0; y < height; ++y) {
                uchar *const row = plane + qsizetype(y) * width;
                std::copy(row, row + width, line);
                boxBlurLine(line, row, 1, width, box, divided);
            }
            for (int x = 0; x < width; ++x) {
                for (int y = 0; y < height; ++y)
                    line[y] = plane[qsizetype(y) * width + x];
                boxBlurLine(line, plane + x, width, height, box, divided);
            }
        }
        const quint32 keep = ~(quint32(0xff) << shift);
        for (int y = 0; y < height; ++y) {
            auto *row = reinterpret_cast<quint32 *>(bits + y * stride);
            for (int x = 0; x < width; ++x)
                row[x] = (row[x] & keep) | (quint32(plane[qsizetype(y) * width + x]) << shift);
        }
    }
}
