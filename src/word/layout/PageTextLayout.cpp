#include "PageTextLayout.h"

#include "DocumentPictureHandler.h"
#include "ParagraphLines.h"
#include "ParagraphPainter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTimerEvent>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// Paragraphs touching a band are looked for this far beyond it: lines may
// reach past their paragraph (a fixed line height smaller than the font).
constexpr qreal BandSlack = 64;

// An edit touching at most this much is laid out at once.
constexpr int ImmediateCharacters = 20000;
constexpr int ImmediateParagraphs = 64;

// How long one quiet-time step lays out paragraphs, and how long what it
// changes waits to be shown (a new size repaints the whole text item, new
// heights above the page move what it shows), unless the layout is done:
// a few steps at a time, not a repaint every step.
constexpr qint64 StepNanoseconds = 4'000'000;
constexpr qint64 ReportInterval = 250;

QRectF below(qreal y)
{
    return QRectF(0, y, qreal(INT_MAX), qreal(INT_MAX));
}

bool isWide(char16_t c)
{
    return c >= 0x1100 && !(c >= 0xD800 && c <= 0xDFFF);
}

// The last line of `layout` whose box starts at or above `y` (relative to
// the layout), else its first line.
QTextLine lineAtHeight(const QTextLayout *layout, const QTextBlockFormat &format, qreal y)
{
    QTextLine found = layout->lineCount() > 0 ? layout->lineAt(0) : QTextLine();
    for (int i = 1; i < layout->lineCount(); ++i) {
        const QTextLine line = layout->lineAt(i);
        const qreal boxTop = line.y() - ParagraphLines::lineBox(format, std::ceil(line.height())).textTop;
        if (boxTop > y)
            break;
        found = line;
    }
    return found;
}

} // namespace

PageTextLayout::PageTextLayout(QTextDocument *document)
    : QAbstractTextDocumentLayout(document)
{
    registerHandler(QTextFormat::ImageObject, new DocumentPictureHandler(this));
}

bool PageTextLayout::canLayout() const
{
    return !document()->pageSize().isNull();
}

PageTextLayout::PageArea PageTextLayout::readPageArea() const
{
    const QTextFrameFormat format = document()->rootFrame()->frameFormat();
    const qreal edge = format.border() + format.padding();
    PageArea page;
    page.left = format.leftMargin() + edge;
    page.top = format.topMargin() + edge;
    page.below = format.bottomMargin() + edge;
    page.sides = format.leftMargin() + format.rightMargin() + 2 * edge;
    const qreal width = document()->pageSize().width();
    page.lineLength = width < 0 ? -1 : qMax<qreal>(0, width - page.sides);
    return page;
}

PageTextLayout::Paragraph PageTextLayout::describe(const QTextBlock &block) const
{
    const QTextBlockFormat format = block.blockFormat();
    Paragraph paragraph;
    paragraph.spaceBefore = format.topMargin();
    paragraph.spaceAfter = format.bottomMargin();
    paragraph.shown = block.isVisible();
    return paragraph;
}

void PageTextLayout::estimate(Paragraph &paragraph, const QTextBlock &block, qreal lineLengthBefore) const
{
    const qreal length = m_page.lineLength;
    if (paragraph.lines > 0) {
        if (lineLengthBefore == length || length <= 0 || lineLengthBefore <= 0)
            return;
        // Its text refilled at the new length, each line as high as before.
        const qreal room = qMax<qreal>(1, length - paragraph.sideMargins);
        const int lines = qMax(1, int(std::ceil(paragraph.naturalWidth / room)));
        paragraph.height = paragraph.height * lines / paragraph.lines;
        paragraph.lines = lines;
        return;
    }
    // Never laid out: from its length in the standard font, wide
    // characters (kanji, kana) twice as wide as the others.
    qint64 units = 0;
    for (QChar c : block.text())
        units += isWide(c.unicode()) ? 2 : 1;
    const qreal advance = units * m_characterWidth;
    const int lines = length > 0 ? qMax(1, int(std::ceil(advance / length))) : 1;
    paragraph.height = paragraph.shown ? lines * m_lineSpacing : 0;
}

void PageTextLayout::measureStandardFont()
{
    const QFont font = document()->defaultFont();
    if (font == m_measuredFont)
        return;
    m_measuredFont = font;
    m_characterWidth = QFontMetricsF(font).averageCharWidth();
    // A line's height as the paragraphs' layouts measure it (in the
    // document's metrics), not as the font's hinted metrics give it.
    QTextLayout probe(QStringLiteral("Xg"), font);
    QTextOption option;
    option.setUseDesignMetrics(document()->useDesignMetrics());
    probe.setTextOption(option);
    probe.beginLayout();
    QTextLine line = probe.createLine();
    line.setLeadingIncluded(true);
    probe.endLayout();
    m_lineSpacing = std::ceil(line.height());
}

void PageTextLayout::rebuild()
{
    m_paragraphs.clear();
    m_paragraphs.reserve(document()->blockCount());
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        Paragraph paragraph = describe(block);
        estimate(paragraph, block, m_page.lineLength);
        m_paragraphs.append(paragraph);
        block.clearLayout();
    }
    m_tops.resize(m_paragraphs.size());
    m_validTops = 0;
    m_pending = int(m_paragraphs.size());
    m_firstPending = 0;
    m_widestKnown = false;
}

void PageTextLayout::documentChanged(int from, int charsRemoved, int charsAdded)
{
    Q_UNUSED(charsRemoved);
    QTextDocument *doc = document();
    const bool hadParagraphs = !m_paragraphs.isEmpty() && canLayout();
    const QSizeF sizeBefore = hadParagraphs ? documentSize() : QSizeF();
    QTextBlock first = doc->findBlock(from);
    if (!first.isValid())
        first = doc->lastBlock();
    QTextBlock last = doc->findBlock(from + charsAdded);
    if (!last.isValid())
        last = doc->lastBlock();
    const int firstIndex = first.blockNumber();
    const int lastIndex = last.blockNumber();
    const qreal topBefore = hadParagraphs ? topOf(qMin(firstIndex, int(m_paragraphs.size()) - 1)) : 0;

    m_page = readPageArea();
    measureStandardFont();
    const qreal lineLengthBefore = m_lineLength;
    const bool lengthChanged = m_page.lineLength != lineLengthBefore;
    // A new line length alone (a new page size) changes neither the text
    // nor the cells; the document reports it outside of any edit, where a
    // report of new cells would wait for the next keystroke and widen its
    // change. Edits and the switch of direction take it as part of theirs.
    if (!lengthChanged || m_switchingDirection)
        applyCells(first, last);
    const int lastOldIndex = lastIndex - (doc->blockCount() - int(m_paragraphs.size()));
    if (m_paragraphs.isEmpty() || lastOldIndex < firstIndex - 1 || lastOldIndex >= m_paragraphs.size()) {
        rebuild();
    } else {
        replace(first, lastIndex, lastOldIndex);
        if (lengthChanged)
            scaleToLineLength(lineLengthBefore);
    }
    m_lineLength = m_page.lineLength;

    if (!canLayout())
        return;
    if (!lengthChanged && lastIndex - firstIndex < ImmediateParagraphs
        && last.position() + last.length() - first.position() <= ImmediateCharacters) {
        int index = firstIndex;
        for (QTextBlock block = first; block.isValid() && index <= lastIndex; block = block.next(), ++index)
            ensureLaidOut(index, block);
    }
    const QSizeF sizeAfter = documentSize();
    const qreal changeTop = qMin(topBefore, topOf(firstIndex));
    if (sizeAfter != sizeBefore) {
        m_sizeChanged = false;
        m_reportedSize = sizeAfter;
        emit documentSizeChanged(sizeAfter);
        emit update(below(changeTop));
    } else {
        // The same total height: what lies below the change stayed put.
        const qreal end = lastIndex + 1 < m_paragraphs.size() ? topOf(lastIndex + 1) : endY();
        emit update(QRectF(0, changeTop, qreal(INT_MAX), end - changeTop));
    }
    if (m_pending > 0)
        m_idle.start(0, this);
}

void PageTextLayout::applyCells(const QTextBlock &first, const QTextBlock &last)
{
    for (QTextBlock block = first; block.isValid(); block = block.next()) {
        m_cells.apply(block, m_vertical);
        if (block == last)
            break;
    }
}

void PageTextLayout::setVertical(bool vertical)
{
    if (m_vertical == vertical)
        return;
    m_vertical = vertical;
    // Every paragraph marked changed: the document hands the change to
    // documentChanged, which sets the cells while the change is handled.
    m_switchingDirection = true;
    document()->markContentsDirty(0, document()->characterCount());
    m_switchingDirection = false;
}

void PageTextLayout::replace(const QTextBlock &first, int lastIndex, int lastOldIndex)
{
    // The paragraphs of the change take the place of the ones they were;
    // one for one, they keep their last heights as estimates.
    const int firstIndex = first.blockNumber();
    const bool sameShape = lastOldIndex == lastIndex;
    QList<Paragraph> changed;
    changed.reserve(lastIndex - firstIndex + 1);
    int index = firstIndex;
    for (QTextBlock block = first; block.isValid() && index <= lastIndex; block = block.next(), ++index) {
        const Paragraph old = sameShape ? m_paragraphs.at(index) : Paragraph();
        Paragraph paragraph = describe(block);
        paragraph.height = old.height;
        paragraph.lines = old.lines;
        paragraph.naturalWidth = old.naturalWidth;
        paragraph.contentsRight = old.contentsRight;
        paragraph.sideMargins = old.sideMargins;
        // Scaled to a new line length, if any, with all the others.
        estimate(paragraph, block, m_page.lineLength);
        changed.append(paragraph);
        block.clearLayout();
    }
    for (int i = firstIndex; i <= lastOldIndex; ++i)
        m_pending -= m_paragraphs.at(i).laidOut ? 0 : 1;
    m_paragraphs.remove(firstIndex, lastOldIndex - firstIndex + 1);
    m_paragraphs.insert(firstIndex, changed.size(), Paragraph());
    std::copy(changed.begin(), changed.end(), m_paragraphs.begin() + firstIndex);
    m_pending += int(changed.size());
    m_tops.resize(m_paragraphs.size());
    m_validTops = qMin(m_validTops, firstIndex);
    m_firstPending = qMin(m_firstPending, firstIndex);
    m_widestKnown = false;
}

void PageTextLayout::scaleToLineLength(qreal lineLengthBefore)
{
    // Every line breaks anew: each height is estimated once for the new
    // line length, and every paragraph waits to be laid out again.
    int index = 0;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next(), ++index) {
        Paragraph &paragraph = m_paragraphs[index];
        estimate(paragraph, block, lineLengthBefore);
        if (paragraph.laidOut) {
            paragraph.laidOut = false;
            ++m_pending;
            block.clearLayout();
        }
    }
    m_validTops = 0;
    m_firstPending = 0;
    m_widestKnown = false;
}

void PageTextLayout::layoutParagraph(int index, const QTextBlock &block) const
{
    Paragraph &paragraph = m_paragraphs[index];
    const Paragraph before = paragraph;
    paragraph = describe(block);
    paragraph.laidOut = true;
    if (paragraph.shown) {
        const ParagraphLines::Measures measures = ParagraphLines::layOut(block, m_page.lineLength);
        paragraph.height = measures.height;
        paragraph.contentsRight = measures.contentsRight;
        paragraph.naturalWidth = measures.naturalWidth;
        paragraph.sideMargins = measures.sideMargins;
        paragraph.lines = measures.lines;
    }
    if (paragraph.height != before.height || paragraph.spaceBefore != before.spaceBefore
        || paragraph.spaceAfter != before.spaceAfter || paragraph.shown != before.shown)
        heightsChanged(index);
    if (paragraph.contentsRight != before.contentsRight)
        m_widestKnown = false;
}

void PageTextLayout::ensureLaidOut(int index, const QTextBlock &block) const
{
    if (m_paragraphs.at(index).laidOut || !canLayout())
        return;
    layoutParagraph(index, block);
    --m_pending;
}

void PageTextLayout::prepare(int index, const QTextBlock &block) const
{
    const qreal height = m_paragraphs.at(index).height;
    ensureLaidOut(index, block);
    if (m_paragraphs.at(index).height != height)
        markStale(topOf(index));
    place(index, block);
}

void PageTextLayout::markStale(qreal top) const
{
    if (m_staleArea.isNull())
        m_staleClock.start();
    m_staleArea |= below(top);
    m_idle.start(0, const_cast<PageTextLayout *>(this));
}

void PageTextLayout::heightsChanged(int index) const
{
    m_validTops = qMin(m_validTops, index + 1);
    if (!m_sizeChanged) {
        m_sizeChanged = true;
        m_sizeClock.start();
    }
}

qreal PageTextLayout::spaceBetween(int index) const
{
    const Paragraph &paragraph = m_paragraphs.at(index);
    if (index == 0 || !paragraph.shown)
        return 0;
    return qMax<qreal>(0, qMax(paragraph.spaceBefore, m_paragraphs.at(index - 1).spaceAfter));
}

qreal PageTextLayout::topOf(int index) const
{
    if (index < m_validTops)
        return m_tops.at(index);
    if (m_validTops == 0) {
        m_tops[0] = m_page.top;
        m_validTops = 1;
    }
    for (int i = m_validTops; i <= index; ++i)
        m_tops[i] = m_tops.at(i - 1) + m_paragraphs.at(i - 1).height + spaceBetween(i);
    m_validTops = index + 1;
    return m_tops.at(index);
}

qreal PageTextLayout::endY() const
{
    const int last = int(m_paragraphs.size()) - 1;
    return topOf(last) + m_paragraphs.at(last).height;
}

int PageTextLayout::indexAt(qreal y) const
{
    const int last = int(m_paragraphs.size()) - 1;
    topOf(last);
    const auto after = std::upper_bound(m_tops.begin(), m_tops.begin() + last + 1, y);
    return qMax(0, int(after - m_tops.begin()) - 1);
}

int PageTextLayout::shownIndexAt(qreal y) const
{
    const int found = indexAt(y);
    for (int i = found; i >= 0; --i) {
        if (m_paragraphs.at(i).shown)
            return i;
    }
    for (int i = found + 1; i < m_paragraphs.size(); ++i) {
        if (m_paragraphs.at(i).shown)
            return i;
    }
    return -1;
}

QRectF PageTextLayout::boxOf(int index) const
{
    return QRectF(m_page.left, topOf(index), qMax<qreal>(0, m_page.lineLength), m_paragraphs.at(index).height);
}

void PageTextLayout::place(int index, const QTextBlock &block) const
{
    const QPointF position(m_page.left, topOf(index));
    QTextLayout *layout = block.layout();
    if (layout->position() != position)
        layout->setPosition(position);
}

QSizeF PageTextLayout::documentSize() const
{
    if (m_paragraphs.isEmpty() || !canLayout())
        return QSizeF();
    if (!m_widestKnown) {
        m_widestContents = 0;
        for (const Paragraph &paragraph : std::as_const(m_paragraphs))
            m_widestContents = qMax(m_widestContents, paragraph.contentsRight);
        m_widestKnown = true;
    }
    return QSizeF(qMax(m_page.lineLength, m_widestContents) + m_page.sides, endY() + m_page.below);
}

int PageTextLayout::pageCount() const
{
    const QSizeF page = document()->pageSize();
    if (page.height() <= 0)
        return 1;
    return int(std::ceil(documentSize().height() / page.height()));
}

QList<QTextBlock> PageTextLayout::blocksIn(qreal top, qreal bottom) const
{
    QList<QTextBlock> blocks;
    if (m_paragraphs.isEmpty() || !canLayout())
        return blocks;
    const qreal bandEnd = bottom + BandSlack;
    int index = indexAt(top - BandSlack);
    int firstChange = -1;
    for (QTextBlock block = document()->findBlockByNumber(index); block.isValid(); block = block.next(), ++index) {
        if (topOf(index) > bandEnd)
            break;
        const qreal height = m_paragraphs.at(index).height;
        ensureLaidOut(index, block);
        if (firstChange < 0 && m_paragraphs.at(index).height != height)
            firstChange = index;
        if (!m_paragraphs.at(index).shown)
            continue;
        place(index, block);
        // Its box (background, space of its line heights) and its lines,
        // which may reach past the box.
        const QRectF lines = block.layout()->boundingRect().translated(block.layout()->position());
        const QRectF area = lines.united(boxOf(index));
        if (area.bottom() >= top && area.top() <= bottom)
            blocks.append(block);
    }
    // Paragraphs below the band moved with the heights found: whatever of
    // them was drawn before is out of date. The band itself is being drawn.
    if (firstChange >= 0)
        markStale(qMax(bottom, topOf(firstChange)));
    return blocks;
}

void PageTextLayout::completeLayout() const
{
    int index = 0;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next(), ++index)
        ensureLaidOut(index, block);
    m_firstPending = index;
    if (m_sizeChanged)
        m_idle.start(0, const_cast<PageTextLayout *>(this));
}

QRectF PageTextLayout::blockBoundingRect(const QTextBlock &block) const
{
    if (!block.isValid() || !block.isVisible() || !canLayout() || block.blockNumber() >= m_paragraphs.size())
        return QRectF();
    const int index = block.blockNumber();
    prepare(index, block);
    const QTextLayout *layout = block.layout();
    return boxOf(index).united(layout->boundingRect().translated(layout->position()));
}

QRectF PageTextLayout::frameBoundingRect(QTextFrame *frame) const
{
    if (!frame || !canLayout() || m_paragraphs.isEmpty())
        return QRectF();
    if (frame == document()->rootFrame())
        return QRectF(QPointF(0, 0), documentSize());
    // A frame's paragraphs flow with the others: the band they fill.
    const QRectF top = blockBoundingRect(document()->findBlock(frame->firstPosition()));
    const QRectF bottom = blockBoundingRect(document()->findBlock(frame->lastPosition()));
    return QRectF(m_page.left, top.top(), m_page.lineLength, bottom.bottom() - top.top());
}

int PageTextLayout::hitTest(const QPointF &point, Qt::HitTestAccuracy accuracy) const
{
    const int miss = accuracy == Qt::ExactHit ? -1 : 0;
    if (m_paragraphs.isEmpty() || !canLayout())
        return miss;
    // The paragraph whose band (from its top to the next one's) holds the
    // point's height; above the first, the first.
    const int index = shownIndexAt(point.y());
    if (index < 0)
        return miss;
    const QTextBlock block = document()->findBlockByNumber(index);
    prepare(index, block);
    const QTextLayout *layout = block.layout();
    const QPointF local = point - layout->position();
    const QTextLine line = lineAtHeight(layout, block.blockFormat(), local.y());
    if (!line.isValid())
        return accuracy == Qt::ExactHit ? -1 : block.position();
    if (accuracy == Qt::ExactHit) {
        const QRectF text = line.naturalTextRect();
        if (local.x() < text.left() || local.x() > text.right() || local.y() < line.y()
            || local.y() > line.y() + line.height())
            return -1;
    }
    const int offset = line.xToCursor(local.x(), accuracy == Qt::ExactHit ? QTextLine::CursorOnCharacter
                                                                          : QTextLine::CursorBetweenCharacters);
    const int composed = int(layout->preeditAreaText().size());
    return block.position() + qBound(0, offset, block.length() - 1 + composed);
}

void PageTextLayout::resizeInlineObject(QTextInlineObject item, int posInDocument, const QTextFormat &format)
{
    QTextObjectInterface *handler = handlerForObject(format.objectType());
    const QSizeF size = handler ? handler->intrinsicSize(document(), posInDocument, format) : QSizeF();
    const QTextCharFormat charFormat = format.toCharFormat();
    // A picture stands on the baseline; one aligned to the middle has its
    // centre where the middle of the lowercase letters is.
    qreal ascent = size.height();
    if (charFormat.verticalAlignment() == QTextCharFormat::AlignMiddle) {
        const QFontMetricsF metrics(charFormat.font().resolve(document()->defaultFont()));
        ascent = (size.height() + metrics.xHeight()) / 2;
    }
    item.setWidth(size.width());
    item.setAscent(ascent);
    item.setDescent(size.height() - ascent);
}

void PageTextLayout::paintPageBackground(QPainter *painter, const QRectF &area) const
{
    const QBrush background = document()->rootFrame()->frameFormat().background();
    if (background.style() != Qt::NoBrush)
        painter->fillRect(area, background);
}

void PageTextLayout::draw(QPainter *painter, const PaintContext &context)
{
    if (m_paragraphs.isEmpty() || !canLayout())
        return;
    QRectF area = context.clip;
    if (!area.isValid()) {
        completeLayout();
        area = QRectF(QPointF(0, 0), documentSize());
    }
    const QList<QTextBlock> blocks = blocksIn(area.top(), area.bottom());
    paintPageBackground(painter, area);
    const ParagraphPainter paragraphs(painter, context, m_cursorWidth);
    for (const QTextBlock &block : blocks)
        paragraphs.paint(block, boxOf(block.blockNumber()));
}

void PageTextLayout::layoutSomePending()
{
    QElapsedTimer clock;
    clock.start();
    int index = m_firstPending;
    QTextBlock block = document()->findBlockByNumber(index);
    while (block.isValid() && m_pending > 0) {
        if (!m_paragraphs.at(index).laidOut) {
            const qreal top = topOf(index);
            const qreal height = m_paragraphs.at(index).height;
            ensureLaidOut(index, block);
            if (m_paragraphs.at(index).height != height)
                markStale(top);
        }
        block = block.next();
        m_firstPending = ++index;
        if (clock.nsecsElapsed() > StepNanoseconds)
            break;
    }
    if (!block.isValid() && m_pending != 0) {
        // The count went astray: count again.
        m_pending = int(std::count_if(m_paragraphs.begin(), m_paragraphs.end(),
                                      [](const Paragraph &paragraph) { return !paragraph.laidOut; }));
        m_firstPending = 0;
    }
}

void PageTextLayout::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != m_idle.timerId()) {
        QAbstractTextDocumentLayout::timerEvent(event);
        return;
    }
    if (!canLayout() || m_paragraphs.size() != document()->blockCount()) {
        m_idle.stop();
        return;
    }
    if (m_pending > 0)
        layoutSomePending();
    if (!m_staleArea.isNull() && (m_pending == 0 || m_staleClock.elapsed() > ReportInterval)) {
        const QRectF stale = m_staleArea;
        m_staleArea = QRectF();
        emit update(stale);
    }
    if (m_sizeChanged && (m_pending == 0 || m_sizeClock.elapsed() > ReportInterval)) {
        m_sizeChanged = false;
        const QSizeF size = documentSize();
        if (size != m_reportedSize) {
            m_reportedSize = size;
            emit documentSizeChanged(size);
        }
    }
    if (m_pending == 0 && !m_sizeChanged && m_staleArea.isNull())
        m_idle.stop();
}
