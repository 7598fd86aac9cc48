#include "PageTextLayout.h"

#include "DocumentPictureHandler.h"

#include <QElapsedTimer>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextList>
#include <QTimerEvent>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

// Qt's document layout computes in 26.6 fixed point and truncates when it
// converts; the same arithmetic gives the same positions to the pixel.
constexpr int FixedOne = 64;

int fixed(qreal value)
{
    // Outside values (a clip of INT_MAX) stay within range.
    constexpr qreal limit = qreal(INT_MAX / FixedOne - 1);
    return int(qBound(-limit, value, limit) * FixedOne);
}

qreal real(int value)
{
    return value / qreal(FixedOne);
}

// Paragraphs touching a band are looked for this far beyond it: lines may
// reach past their paragraph (a fixed line height smaller than the font).
constexpr qreal BandSlack = 64;

// An edit touching at most this much is laid out at once, as Qt does.
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

Qt::Alignment visualAlignment(Qt::LayoutDirection direction, Qt::Alignment alignment)
{
    if (!(alignment & Qt::AlignHorizontal_Mask))
        alignment |= Qt::AlignLeft;
    if (!(alignment & Qt::AlignAbsolute) && (alignment & (Qt::AlignLeft | Qt::AlignRight))) {
        if (direction == Qt::RightToLeft)
            alignment ^= (Qt::AlignLeft | Qt::AlignRight);
        alignment |= Qt::AlignAbsolute;
    }
    return alignment;
}

void fillBackground(QPainter *painter, const QRectF &rect, QBrush brush, const QPointF &origin,
                    const QRectF &gradientRect = QRectF())
{
    painter->save();
    if (brush.style() >= Qt::LinearGradientPattern && brush.style() <= Qt::ConicalGradientPattern) {
        if (!gradientRect.isNull()) {
            QTransform transform;
            transform.translate(gradientRect.left(), gradientRect.top());
            transform.scale(gradientRect.width(), gradientRect.height());
            brush.setTransform(transform);
            const_cast<QGradient *>(brush.gradient())->setCoordinateMode(QGradient::LogicalMode);
        }
    } else {
        painter->setBrushOrigin(origin);
    }
    painter->fillRect(rect, brush);
    painter->restore();
}

struct LineHeights
{
    int adjustment = 0;
    int height = 0;
    int bottom = 0;
};

LineHeights lineHeights(const QTextBlockFormat &format, const QTextLine &line, qreal scaling)
{
    LineHeights result;
    const qreal height = line.height();
    const int type = format.lineHeightType();
    const qreal raw = std::ceil(line.ascent() + line.descent() + line.leading());
    result.height = fixed(format.lineHeight(raw, scaling));
    result.bottom = fixed(format.lineHeight(height, scaling));
    if (type == QTextBlockFormat::FixedHeight)
        result.adjustment = fixed(line.ascent() + qMax(line.leading(), qreal(0))) - (result.height * 4) / 5;
    else if (type == QTextBlockFormat::MinimumHeight)
        result.adjustment = fixed(height) - result.height;
    return result;
}

bool isWide(char16_t c)
{
    return c >= 0x1100 && !(c >= 0xD800 && c <= 0xDFFF);
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

qreal PageTextLayout::deviceScale() const
{
    QPaintDevice *device = paintDevice();
    if (!device)
        return 1;
    const QScreen *screen = QGuiApplication::primaryScreen();
    const int defaultDpi = screen ? qRound(screen->logicalDotsPerInchY()) : 100;
    return device->logicalDpiY() != defaultDpi ? qreal(device->logicalDpiY()) / defaultDpi : 1;
}

PageTextLayout::Frame PageTextLayout::readFrame() const
{
    const QTextFrameFormat format = document()->rootFrame()->frameFormat();
    const int top = fixed(format.topMargin());
    const int bottom = fixed(format.bottomMargin());
    const int border = fixed(format.border());
    const int padding = fixed(format.padding());
    Frame frame;
    frame.leftMargin = fixed(format.leftMargin());
    frame.rightMargin = fixed(format.rightMargin());
    const qreal available = qMax(qreal(0), document()->pageSize().width());
    const int width = fixed(format.width().value(available));
    frame.marginWidth = 2 * (border + padding) + frame.leftMargin + frame.rightMargin;
    frame.left = frame.leftMargin + border + padding;
    frame.width = width - frame.marginWidth;
    frame.top = top + border + padding;
    frame.bottom = border + padding + bottom;
    return frame;
}

PageTextLayout::Paragraph PageTextLayout::describe(const QTextBlock &block) const
{
    const QTextBlockFormat format = block.blockFormat();
    Paragraph paragraph;
    paragraph.topMargin = format.topMargin();
    paragraph.bottomMargin = format.bottomMargin();
    paragraph.shown = block.isVisible();
    return paragraph;
}

int PageTextLayout::estimatedHeight(const QTextBlock &block, const Paragraph &previous, int oldWidth) const
{
    const int width = m_frame.width;
    if (previous.height > 0 && previous.lines > 0) {
        if (oldWidth == width || width <= 0)
            return previous.height;
        const int lines = qMax(1, int((qint64(previous.naturalWidth) + width - 1) / width));
        return int(qint64(previous.height) * lines / previous.lines);
    }
    // Never laid out: from its length in the standard font, wide
    // characters (kanji, kana) twice as wide as the others.
    const QString text = block.text();
    qint64 units = 0;
    for (QChar c : text)
        units += isWide(c.unicode()) ? 2 : 1;
    const qreal advance = units * m_characterWidth;
    const int lines = width > 0 ? qMax(1, int(std::ceil(advance / real(width)))) : 1;
    return lines * m_lineHeight;
}

void PageTextLayout::rebuild()
{
    m_paragraphs.clear();
    m_paragraphs.reserve(document()->blockCount());
    const int width = m_frame.width;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        Paragraph paragraph = describe(block);
        paragraph.height = estimatedHeight(block, Paragraph(), width);
        m_paragraphs.append(paragraph);
        block.clearLayout();
    }
    m_tops.resize(m_paragraphs.size());
    m_validTops = 0;
    m_pending = int(m_paragraphs.size());
    m_firstPending = 0;
    m_widestKnown = false;
    m_lineWidth = width;
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
    const int topBefore = hadParagraphs ? topOf(qMin(firstIndex, int(m_paragraphs.size()) - 1)) : 0;

    m_frame = readFrame();
    const QFontMetricsF metrics(doc->defaultFont());
    m_characterWidth = metrics.averageCharWidth();
    m_lineHeight = fixed(std::ceil(metrics.height()));
    const bool widthChanged = m_frame.width != m_lineWidth;
    const int lastOldIndex = lastIndex - (doc->blockCount() - int(m_paragraphs.size()));
    if (m_paragraphs.isEmpty() || lastOldIndex < firstIndex - 1 || lastOldIndex >= m_paragraphs.size())
        rebuild();
    else
        replace(first, lastIndex, lastOldIndex);
    if (widthChanged)
        relayoutAll();
    m_lineWidth = m_frame.width;

    if (!canLayout())
        return;
    if (!widthChanged && lastIndex - firstIndex < ImmediateParagraphs
        && last.position() + last.length() - first.position() <= ImmediateCharacters) {
        int index = firstIndex;
        for (QTextBlock block = first; block.isValid() && index <= lastIndex; block = block.next(), ++index)
            ensureLaidOut(index, block);
    }
    const QSizeF sizeAfter = documentSize();
    const qreal changeTop = real(qMin(topBefore, topOf(firstIndex)));
    if (sizeAfter != sizeBefore) {
        m_sizeChanged = false;
        m_reportedSize = sizeAfter;
        emit documentSizeChanged(sizeAfter);
        emit update(below(changeTop));
    } else {
        // The same total height: what lies below the change stayed put.
        const int end = lastIndex + 1 < m_paragraphs.size() ? topOf(lastIndex + 1) : endY();
        emit update(QRectF(0, changeTop, qreal(INT_MAX), real(end) - changeTop));
    }
    if (m_pending > 0)
        m_idle.start(0, this);
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
        paragraph.height = estimatedHeight(block, old, m_lineWidth);
        paragraph.lines = old.lines;
        paragraph.naturalWidth = old.naturalWidth;
        paragraph.contentsWidth = old.contentsWidth;
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

void PageTextLayout::relayoutAll()
{
    // Every line breaks anew: heights are scaled to the new line length.
    int index = 0;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next(), ++index) {
        Paragraph &paragraph = m_paragraphs[index];
        paragraph.height = estimatedHeight(block, paragraph, m_lineWidth);
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
    if (paragraph.shown)
        breakLines(paragraph, block);
    if (paragraph.height != before.height || paragraph.topMargin != before.topMargin
        || paragraph.bottomMargin != before.bottomMargin || paragraph.shown != before.shown)
        heightsChanged(index);
    if (paragraph.contentsWidth != before.contentsWidth)
        m_widestKnown = false;
}

void PageTextLayout::breakLines(Paragraph &paragraph, const QTextBlock &block) const
{

    QTextLayout *layout = block.layout();
    const QTextBlockFormat format = block.blockFormat();
    const Qt::LayoutDirection direction = block.textDirection();
    const Frame &root = m_frame;
    const QTextOption defaults = document()->defaultTextOption();

    int extraMargin = 0;
    if (defaults.flags() & QTextOption::AddSpaceForLineAndParagraphSeparators)
        extraMargin = fixed(QFontMetricsF(block.charFormat().font()).horizontalAdvance(QChar(0x21B5)));
    qreal indentSteps = format.indent();
    if (QTextObject *object = document()->objectForFormat(format))
        indentSteps += object->format().toListFormat().indent();
    const int indent = qIsNull(indentSteps) ? 0 : fixed(indentSteps * deviceScale() * document()->indentWidth());
    const bool rightToLeft = direction == Qt::RightToLeft;
    const int totalLeftMargin = fixed(format.leftMargin()) + (rightToLeft ? extraMargin : indent);
    const int totalRightMargin = fixed(format.rightMargin()) + (rightToLeft ? indent : extraMargin);

    QTextOption option = defaults;
    option.setTextDirection(direction);
    option.setTabs(format.tabPositions());
    const Qt::Alignment alignment = format.hasProperty(QTextFormat::BlockAlignment) ? format.alignment()
                                                                                     : defaults.alignment();
    option.setAlignment(visualAlignment(direction, alignment));
    if (format.nonBreakableLines() || document()->pageSize().width() < 0)
        option.setWrapMode(QTextOption::ManualWrap);
    layout->setTextOption(option);
    const bool wordOrAnywhere = option.wrapMode() == QTextOption::WrapAtWordBoundaryOrAnywhere;

    const int lineStart = root.left + totalLeftMargin;
    const int lineEnd = root.left + root.width - totalRightMargin;
    const qreal scaling = deviceScale();
    int y = 0;
    int bottom = 0;
    layout->beginLayout();
    bool firstLine = true;
    for (;;) {
        QTextLine line = layout->createLine();
        if (!line.isValid())
            break;
        line.setLeadingIncluded(true);
        int left = qMax(root.left, lineStart);
        int right = qMin(root.left + root.width, lineEnd);
        if (firstLine) {
            const int textIndent = fixed(format.textIndent());
            if (rightToLeft)
                right -= textIndent;
            else
                left += textIndent;
            firstLine = false;
        }
        line.setLineWidth(real(right - left));
        if (fixed(line.naturalTextWidth()) > right - left) {
            // A word or picture longer than the line: break it anywhere.
            line.setLineWidth(real(right - left));
            if (fixed(line.naturalTextWidth()) > right - left) {
                if (wordOrAnywhere) {
                    option.setWrapMode(QTextOption::WrapAnywhere);
                    layout->setTextOption(option);
                }
                line.setLineWidth(qMax<qreal>(line.naturalTextWidth(), real(right - left)));
                if (wordOrAnywhere) {
                    option.setWrapMode(QTextOption::WordWrap);
                    layout->setTextOption(option);
                }
            }
        }
        const LineHeights heights = lineHeights(format, line, scaling);
        line.setPosition(QPointF(real(left - root.left), real(y - heights.adjustment)));
        bottom = y + heights.bottom;
        y += heights.height;
        paragraph.contentsWidth = qMax(paragraph.contentsWidth,
                                       fixed(line.x() + line.naturalTextWidth()) + totalRightMargin);
        paragraph.naturalWidth += fixed(line.naturalTextWidth());
        ++paragraph.lines;
    }
    paragraph.height = qMax(y, bottom);
    layout->endLayout();
}

void PageTextLayout::ensureLaidOut(int index, const QTextBlock &block) const
{
    if (m_paragraphs.at(index).laidOut || !canLayout())
        return;
    layoutParagraph(index, block);
    --m_pending;
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

int PageTextLayout::gapBefore(int index) const
{
    const Paragraph &paragraph = m_paragraphs.at(index);
    if (index == 0 || !paragraph.shown)
        return 0;
    qreal margin = qMax(paragraph.topMargin, m_paragraphs.at(index - 1).bottomMargin);
    if (margin > 0 && paintDevice())
        margin *= deviceScale();
    return fixed(margin);
}

int PageTextLayout::topOf(int index) const
{
    if (index < m_validTops)
        return m_tops.at(index);
    if (m_validTops == 0) {
        m_tops[0] = m_frame.top;
        m_validTops = 1;
    }
    for (int i = m_validTops; i <= index; ++i)
        m_tops[i] = m_tops.at(i - 1) + m_paragraphs.at(i - 1).height + gapBefore(i);
    m_validTops = index + 1;
    return m_tops.at(index);
}

int PageTextLayout::endY() const
{
    const int last = int(m_paragraphs.size()) - 1;
    return topOf(last) + m_paragraphs.at(last).height;
}

int PageTextLayout::indexAt(int y) const
{
    const int last = int(m_paragraphs.size()) - 1;
    topOf(last);
    const auto after = std::upper_bound(m_tops.begin(), m_tops.begin() + last + 1, y);
    return qMax(0, int(after - m_tops.begin()) - 1);
}

void PageTextLayout::place(int index, const QTextBlock &block) const
{
    const QPointF position(real(m_frame.left), real(topOf(index)));
    QTextLayout *layout = block.layout();
    if (layout->position() != position)
        layout->setPosition(position);
}

QSizeF PageTextLayout::documentSize() const
{
    if (m_paragraphs.isEmpty() || !canLayout())
        return QSizeF();
    const Frame &root = m_frame;
    if (!m_widestKnown) {
        m_widestContents = 0;
        for (const Paragraph &paragraph : std::as_const(m_paragraphs))
            m_widestContents = qMax(m_widestContents, paragraph.contentsWidth);
        m_widestKnown = true;
    }
    const int width = qMax(root.width, m_widestContents) + root.marginWidth;
    return QSizeF(real(width), real(endY() + root.bottom));
}

int PageTextLayout::pageCount() const
{
    const QSizeF page = document()->pageSize();
    if (page.height() < 0)
        return 1;
    return int(std::ceil(documentSize().height() / page.height()));
}

QList<QTextBlock> PageTextLayout::blocksIn(qreal top, qreal bottom) const
{
    QList<QTextBlock> blocks;
    if (m_paragraphs.isEmpty() || !canLayout())
        return blocks;
    const int bandEnd = fixed(bottom + BandSlack);
    int index = indexAt(fixed(top - BandSlack));
    int firstChange = -1;
    for (QTextBlock block = document()->findBlockByNumber(index); block.isValid(); block = block.next(), ++index) {
        if (topOf(index) > bandEnd)
            break;
        const int height = m_paragraphs.at(index).height;
        ensureLaidOut(index, block);
        if (firstChange < 0 && m_paragraphs.at(index).height != height)
            firstChange = index;
        if (!m_paragraphs.at(index).shown)
            continue;
        place(index, block);
        const QRectF rect = block.layout()->boundingRect().translated(block.layout()->position());
        if (rect.bottom() >= top && rect.top() <= bottom)
            blocks.append(block);
    }
    // Paragraphs below the band moved with the heights found: whatever of
    // them was drawn before is out of date. The band itself is being drawn.
    if (firstChange >= 0) {
        markStale(qMax(bottom, real(topOf(firstChange))));
    }
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
    const int height = m_paragraphs.at(index).height;
    ensureLaidOut(index, block);
    if (m_paragraphs.at(index).height != height) {
        // What was drawn below it has moved.
        markStale(real(topOf(index)));
    }
    place(index, block);
    QRectF rect = block.layout()->boundingRect();
    rect.moveTopLeft(block.layout()->position());
    return rect;
}

QRectF PageTextLayout::frameBoundingRect(QTextFrame *frame) const
{
    if (!frame || !canLayout() || m_paragraphs.isEmpty())
        return QRectF();
    if (frame == document()->rootFrame())
        return QRectF(QPointF(0, 0), documentSize());
    // A frame's paragraphs flow with the others: the band they fill.
    const QTextBlock first = document()->findBlock(frame->firstPosition());
    const QTextBlock last = document()->findBlock(frame->lastPosition());
    const QRectF top = blockBoundingRect(first);
    const QRectF bottom = blockBoundingRect(last);
    return QRectF(real(m_frame.left), top.top(), real(m_frame.width), bottom.bottom() - top.top());
}

int PageTextLayout::hitTest(const QPointF &point, Qt::HitTestAccuracy accuracy) const
{
    if (m_paragraphs.isEmpty() || !canLayout())
        return accuracy == Qt::ExactHit ? -1 : 0;
    // The point as Qt's layout sees it, in fixed point.
    const QPointF probe(real(fixed(point.x())), real(fixed(point.y())));
    int index = indexAt(fixed(probe.y() - BandSlack));
    QTextBlock block = document()->findBlockByNumber(index);
    int position = 0;
    bool exact = false;
    const QTextLayout *hitLayout = nullptr;
    // The first paragraph whose lines reach the point, else the end of the
    // last paragraph above it.
    for (; block.isValid(); block = block.next(), ++index) {
        blockBoundingRect(block);
        if (!m_paragraphs.at(index).shown)
            continue;
        const QTextLayout *layout = block.layout();
        const QRectF text = layout->boundingRect().translated(layout->position());
        if (probe.y() < text.top())
            break;
        if (probe.y() > text.bottom()) {
            position = block.position() + block.length();
            continue;
        }
        hitLayout = layout;
        const QPointF local = probe - layout->position();
        int offset = 0;
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            const QRectF rect = line.naturalTextRect();
            if (rect.top() > local.y()) {
                offset = qMin(offset, line.textStart());
            } else if (rect.bottom() <= local.y()) {
                offset = qMax(offset, line.textStart() + line.textLength());
            } else {
                exact = rect.left() <= local.x() && rect.right() >= local.x();
                offset = line.xToCursor(local.x(), accuracy == Qt::ExactHit ? QTextLine::CursorOnCharacter
                                                                            : QTextLine::CursorBetweenCharacters);
                break;
            }
        }
        position = block.position() + offset;
        break;
    }
    if (accuracy == Qt::ExactHit && !exact)
        return -1;
    int lastPosition = document()->rootFrame()->lastPosition();
    if (hitLayout && !hitLayout->preeditAreaText().isEmpty())
        lastPosition += int(hitLayout->preeditAreaText().size());
    return qBound(0, position, lastPosition);
}

void PageTextLayout::resizeInlineObject(QTextInlineObject item, int posInDocument, const QTextFormat &format)
{
    const QTextCharFormat charFormat = format.toCharFormat();
    QTextObjectInterface *handler = handlerForObject(charFormat.objectType());
    if (!handler)
        return;
    const QSizeF size = handler->intrinsicSize(document(), posInDocument, format);
    item.setWidth(size.width());
    switch (charFormat.verticalAlignment()) {
    case QTextCharFormat::AlignMiddle: {
        const QFontMetrics metrics(charFormat.font());
        const qreal halfX = metrics.xHeight() / 2.;
        item.setAscent((size.height() + halfX) / 2.);
        item.setDescent((size.height() - halfX) / 2.);
        break;
    }
    default:
        item.setDescent(0);
        item.setAscent(size.height());
        break;
    }
}

void PageTextLayout::draw(QPainter *painter, const PaintContext &context)
{
    if (m_paragraphs.isEmpty() || !canLayout())
        return;
    QList<QTextBlock> blocks;
    if (context.clip.isValid()) {
        blocks = blocksIn(context.clip.top(), context.clip.bottom());
    } else {
        completeLayout();
        blocks = blocksIn(-BandSlack, real(endY()) + BandSlack);
    }
    const Frame &root = m_frame;
    const QSizeF size = documentSize();
    const QRectF frameRect(QPointF(0, 0), size);
    const QRectF &clip = context.clip;
    if (clip.isValid()
        && (0 > clip.bottom() || size.height() < clip.top() || 0 > clip.right() || size.width() < clip.left()))
        return;
    const QTextFrameFormat frameFormat = document()->rootFrame()->frameFormat();
    const QBrush background = frameFormat.background();
    if (background != Qt::NoBrush) {
        // The root frame's background fills the whole area drawn.
        QRectF gradientRect;
        gradientRect.setWidth(painter->device()->width());
        gradientRect.setHeight(painter->device()->height());
        const QPointF origin(frameFormat.leftMargin() + frameFormat.border(),
                             frameFormat.topMargin() + frameFormat.border());
        fillBackground(painter, clip, background, origin, gradientRect);
    }
    const QRectF clipRect = frameRect.adjusted(real(root.leftMargin), 0, -real(root.rightMargin), 0);
    for (const QTextBlock &block : std::as_const(blocks))
        drawBlock(painter, context, block, clipRect);
}

void PageTextLayout::drawBlock(QPainter *painter, const PaintContext &context, const QTextBlock &block,
                               const QRectF &clipRect) const
{
    const QTextLayout *layout = block.layout();
    const QRectF rect = layout->boundingRect().translated(layout->position());
    if (!block.isVisible() || (context.clip.isValid() && (rect.bottom() < context.clip.y() || rect.top() > context.clip.bottom())))
        return;
    const QTextBlockFormat format = block.blockFormat();
    const QBrush background = format.background();
    if (background != Qt::NoBrush) {
        QRectF area = rect;
        if (document()->pageSize().width() <= 0)
            area.setRight(documentSize().width() - real(m_frame.rightMargin));
        fillBackground(painter, area, background, rect.topLeft());
    }

    QList<QTextLayout::FormatRange> selections;
    const int start = block.position();
    const int length = block.length();
    const QTextCharFormat *selectionFormat = nullptr;
    for (const Selection &range : context.selections) {
        const int selectionStart = range.cursor.selectionStart() - start;
        const int selectionEnd = range.cursor.selectionEnd() - start;
        if (selectionStart < length && selectionEnd > 0 && selectionEnd > selectionStart) {
            QTextLayout::FormatRange piece;
            piece.start = selectionStart;
            piece.length = selectionEnd - selectionStart;
            piece.format = range.format;
            selections.append(piece);
        } else if (!range.cursor.hasSelection() && range.format.hasProperty(QTextFormat::FullWidthSelection)
                   && block.contains(range.cursor.position())) {
            // A full-width selection needs only a position to mark its line.
            const QTextLine line = layout->lineForTextPosition(range.cursor.position() - start);
            QTextLayout::FormatRange piece;
            piece.start = line.textStart();
            piece.length = line.textLength();
            if (piece.start + piece.length == length - 1)
                ++piece.length;
            piece.format = range.format;
            selections.append(piece);
        }
        if (selectionStart < 0 && selectionEnd >= 1)
            selectionFormat = &range.format;
    }

    QTextObject *object = document()->objectForFormat(format);
    if (object && object->format().toListFormat().style() != QTextListFormat::ListStyleUndefined)
        drawListItem(painter, context, block, selectionFormat);

    const QPen pen = painter->pen();
    painter->setPen(context.palette.color(QPalette::Text));
    layout->draw(painter, QPointF(), selections, context.clip.isValid() ? (context.clip & clipRect) : clipRect);
    if ((context.cursorPosition >= start && context.cursorPosition < start + length)
        || (context.cursorPosition < -1 && !layout->preeditAreaText().isEmpty())) {
        int cursor = context.cursorPosition;
        if (cursor < -1)
            cursor = layout->preeditAreaPosition() - (cursor + 2);
        else
            cursor -= start;
        layout->drawCursor(painter, QPointF(), cursor, m_cursorWidth);
    }
    if (format.hasProperty(QTextFormat::BlockTrailingHorizontalRulerWidth)) {
        const qreal width = format.lengthProperty(QTextFormat::BlockTrailingHorizontalRulerWidth).value(rect.width());
        painter->setPen(context.palette.color(QPalette::Dark));
        const qreal y = block.length() == 1 ? rect.top() + rect.height() / 2 : rect.bottom();
        const qreal middle = rect.left() + rect.width() / 2;
        painter->drawLine(QLineF(middle - width / 2, y, middle + width / 2, y));
    }
    painter->setPen(pen);
}

void PageTextLayout::drawListItem(QPainter *painter, const PaintContext &context, const QTextBlock &block,
                                  const QTextCharFormat *selectionFormat) const
{
    const QTextBlockFormat format = block.blockFormat();
    const QTextCharFormat charFormat = block.charFormat();
    QFont font(charFormat.font());
    if (paintDevice())
        font = QFont(font, paintDevice());
    const QFontMetrics metrics(font);
    QTextObject *const object = document()->objectForFormat(format);
    const QTextListFormat listFormat = object->format().toListFormat();
    int style = listFormat.style();
    if (format.hasProperty(QTextFormat::ListStyle))
        style = QTextListFormat::Style(format.intProperty(QTextFormat::ListStyle));
    QTextLayout *layout = block.layout();
    if (layout->lineCount() == 0)
        return;
    const QTextLine firstLine = layout->lineAt(0);
    QPointF position = layout->position().toPoint();
    const Qt::LayoutDirection direction = block.textDirection();
    {
        const QRectF textRect = firstLine.naturalTextRect();
        position += textRect.topLeft().toPoint();
        if (direction == Qt::RightToLeft)
            position.rx() += textRect.width();
    }

    QString itemText;
    QSizeF size;
    switch (style) {
    case QTextListFormat::ListDecimal:
    case QTextListFormat::ListLowerAlpha:
    case QTextListFormat::ListUpperAlpha:
    case QTextListFormat::ListLowerRoman:
    case QTextListFormat::ListUpperRoman:
        itemText = static_cast<QTextList *>(object)->itemText(block);
        size.setWidth(metrics.horizontalAdvance(itemText));
        size.setHeight(metrics.height());
        break;
    case QTextListFormat::ListSquare:
    case QTextListFormat::ListCircle:
    case QTextListFormat::ListDisc:
        size.setWidth(metrics.lineSpacing() / 3);
        size.setHeight(size.width());
        break;
    default:
        return;
    }

    QRectF rect(position, size);
    qreal offset = metrics.horizontalAdvance(u' ');
    if (direction == Qt::LeftToRight)
        offset = -offset - size.width();
    rect.translate(offset, (metrics.height() / 2) - (size.height() / 2));

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const bool marker = format.marker() != QTextBlockFormat::MarkerType::NoMarker;
    if (selectionFormat) {
        painter->setPen(QPen(selectionFormat->foreground(), 0));
        if (!marker)
            painter->fillRect(rect, selectionFormat->background());
    } else {
        QBrush foreground = charFormat.foreground();
        if (foreground == Qt::NoBrush)
            foreground = context.palette.text();
        painter->setPen(QPen(foreground, 0));
    }
    const QBrush brush = context.palette.brush(QPalette::Text);
    if (marker) {
        const int adjust = metrics.lineSpacing() / 6;
        rect.adjust(-adjust, 0, -adjust, 0);
        const QRectF outer = rect.adjusted(-adjust, -adjust, adjust, adjust);
        if (selectionFormat)
            painter->fillRect(outer, selectionFormat->background());
        if (format.marker() == QTextBlockFormat::MarkerType::Checked) {
            painter->setPen(QPen(painter->pen().color(), 2));
            painter->drawLine(rect.topLeft(), rect.bottomRight());
            painter->drawLine(rect.topRight(), rect.bottomLeft());
            painter->setPen(QPen(painter->pen().color(), 0));
        }
        painter->drawRect(outer);
    }
    switch (style) {
    case QTextListFormat::ListDecimal:
    case QTextListFormat::ListLowerAlpha:
    case QTextListFormat::ListUpperAlpha:
    case QTextListFormat::ListLowerRoman:
    case QTextListFormat::ListUpperRoman: {
        QTextLayout itemLayout(itemText, font, paintDevice());
        itemLayout.setCacheEnabled(true);
        QTextOption option(Qt::AlignLeft | Qt::AlignAbsolute);
        option.setTextDirection(direction);
        itemLayout.setTextOption(option);
        itemLayout.beginLayout();
        QTextLine line = itemLayout.createLine();
        if (line.isValid())
            line.setLeadingIncluded(true);
        itemLayout.endLayout();
        itemLayout.draw(painter, QPointF(rect.left(), position.y()));
        break;
    }
    case QTextListFormat::ListSquare:
        if (!marker)
            painter->fillRect(rect, brush);
        break;
    case QTextListFormat::ListCircle:
        if (!marker) {
            painter->setPen(QPen(brush, 0));
            painter->drawEllipse(rect.translated(0.5, 0.5));
        }
        break;
    case QTextListFormat::ListDisc:
        if (!marker) {
            painter->setBrush(brush);
            painter->setPen(Qt::NoPen);
            painter->drawEllipse(rect);
        }
        break;
    default:
        break;
    }
    painter->restore();
}

void PageTextLayout::layoutSomePending()
{
    QElapsedTimer clock;
    clock.start();
    int index = m_firstPending;
    QTextBlock block = document()->findBlockByNumber(index);
    while (block.isValid() && m_pending > 0) {
        if (!m_paragraphs.at(index).laidOut) {
            const int top = topOf(index);
            const int height = m_paragraphs.at(index).height;
            ensureLaidOut(index, block);
            if (m_paragraphs.at(index).height != height)
                markStale(real(top));
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
