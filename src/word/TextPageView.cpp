#include "TextPageView.h"

#include "word/layout/PageTextItem.h"
#include "word/layout/PageTextLayout.h"
#include "word/layout/UprightPictureHandler.h"
#include "word/layout/WordTextDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QWheelEvent>

#include <cmath>

TextPageView::TextPageView(WordTextDocument *document, QWidget *parent)
    : QGraphicsView(parent)
    , m_scene(new QGraphicsScene(this))
    , m_item(new PageTextItem(document))
    , m_pictures(new UprightPictureHandler(document, this))
{
    m_scene->addItem(m_item);
    setScene(m_scene);
    setFrameShape(QFrame::NoFrame);
    // The text area lies on the white page. Painting its own white makes the
    // viewport opaque, so a scroll moves what shows and paints only the strip
    // it uncovers, and a repaint of the text does not repaint the page below.
    setBackgroundBrush(Qt::white);
    setStyleSheet(QStringLiteral("QGraphicsView { background: white; }"));
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    setViewportUpdateMode(QGraphicsView::MinimalViewportUpdate);
    setOptimizationFlag(QGraphicsView::DontAdjustForAntialiasing);
    // The bars would lie over the text, and off-screen on a zoomed page: the
    // screen shows them at its page area's edge instead.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTransformationAnchor(QGraphicsView::NoAnchor);
    setResizeAnchor(QGraphicsView::NoAnchor);
    m_scene->setFocusItem(m_item);
    QAbstractTextDocumentLayout *layout = document->documentLayout();
    connect(layout, &QAbstractTextDocumentLayout::documentSizeChanged, this, &TextPageView::updateGeometry);
    // Paragraphs laid out in quiet time change the heights before the anchor.
    connect(layout, &QAbstractTextDocumentLayout::update, this, [this] {
        if (!m_holding && !m_editing)
            followAnchor();
    });
    for (QScrollBar *bar : {horizontalScrollBar(), verticalScrollBar()})
        connect(bar, &QScrollBar::valueChanged, this, &TextPageView::captureAnchor);
    updateGeometry();
    showStart();
}

void TextPageView::setZoom(double zoom)
{
    if (m_zoom == zoom)
        return;
    m_zoom = zoom;
    updateGeometry();
}

void TextPageView::setMargin(qreal margin)
{
    if (m_margin == margin)
        return;
    m_margin = margin;
    updateGeometry();
}

void TextPageView::setVertical(bool vertical)
{
    if (m_vertical == vertical)
        return;
    const QScopedValueRollback<bool> hold(m_holding, true);
    m_vertical = vertical;
    m_pictures->setVertical(vertical);
    if (auto *layout = qobject_cast<PageTextLayout *>(m_item->document()->documentLayout()))
        layout->setVertical(vertical);
    m_item->setVertical(vertical);
    updateGeometry();
}

void TextPageView::setColumnArea(qreal length)
{
    if (m_columnArea == length)
        return;
    m_columnArea = length;
    updateGeometry();
}

qreal TextPageView::lineLength() const
{
    const qreal area = m_vertical ? m_columnArea : DesignWidth;
    return qMax<qreal>(20, area - 2 * m_margin);
}

void TextPageView::updateGeometry()
{
    if (m_reportingSize)
        return;
    const QScopedValueRollback<bool> hold(m_holding, true);
    const qreal edge = leadingEdge();
    fitScene();
    // While a key edits the text, what comes before the edit stays put.
    if (m_editing)
        scrollLeadingEdgeTo(edge);
    else
        followAnchor();
}

void TextPageView::fitScene()
{
    if (m_item->textWidth() != lineLength())
        m_item->setTextWidth(lineLength());
    const QSizeF text = m_item->document()->documentLayout()->documentSize();
    const QSizeF visible = QSizeF(viewport()->size()) / m_zoom;
    const QTransform scale = QTransform::fromScale(m_zoom, m_zoom);
    if (transform() != scale)
        setTransform(scale);
    QRectF scene;
    if (!m_vertical) {
        m_item->setRotation(0);
        m_item->setPos(m_margin, m_margin);
        scene = QRectF(0, 0, DesignWidth, qMax(text.height() + 2 * m_margin, visible.height()));
    } else {
        // Columns grow to the left, from the right edge.
        const qreal width = qMax(text.height() + 2 * m_margin, visible.width());
        m_item->setRotation(90);
        m_item->setPos(width - m_margin, m_margin);
        scene = QRectF(0, 0, width, m_columnArea);
    }
    if (sceneRect() != scene)
        setSceneRect(scene);
}

void TextPageView::resizeEvent(QResizeEvent *event)
{
    const QScopedValueRollback<bool> hold(m_holding, true);
    QGraphicsView::resizeEvent(event);
    updateGeometry();
}

void TextPageView::paintEvent(QPaintEvent *event)
{
    putAnchorBack();
    QGraphicsView::paintEvent(event);
    // A paint lays out the paragraphs it shows. When one of them before the
    // anchor changed height, the anchor moved: it goes back on the next turn.
    if (!anchorMoved())
        return;
    QMetaObject::invokeMethod(this, &TextPageView::putAnchorBack, Qt::QueuedConnection);
}

bool TextPageView::anchorMoved() const
{
    return !m_editing && !m_anchor.position.isNull() && caretRect(m_anchor.position) != m_anchor.line;
}

void TextPageView::putAnchorBack()
{
    // The layout lays out paragraphs in quiet time and reports them only now
    // and then. The screen still shows the text in its place, so scrolling
    // must draw the viewport anew rather than shift what it shows.
    if (!anchorMoved())
        return;
    const ViewportUpdateMode mode = viewportUpdateMode();
    setViewportUpdateMode(FullViewportUpdate);
    followAnchor();
    setViewportUpdateMode(mode);
}

QScrollBar *TextPageView::progressBar() const
{
    return m_vertical ? horizontalScrollBar() : verticalScrollBar();
}

qreal TextPageView::leadingEdge() const
{
    const QPoint corner = m_vertical ? QPoint(viewport()->width(), 0) : QPoint(0, 0);
    return m_item->mapFromScene(mapToScene(corner)).y();
}

void TextPageView::scrollLeadingEdgeTo(qreal edge)
{
    // Later lines lie below, or to the left in vertical writing.
    const long pixels = std::lround((edge - leadingEdge()) * m_zoom);
    QScrollBar *bar = progressBar();
    bar->setValue(bar->value() + int(m_vertical ? -pixels : pixels));
}

qreal TextPageView::anchorPoint(const QRectF &line) const
{
    return m_anchor.byEnd ? line.bottom() : line.top();
}

void TextPageView::captureAnchor()
{
    if (m_holding)
        return;
    layOutShown();
    const QTextCursor caret = m_item->textCursor();
    const QRectF caretLine = caretRect(caret);
    const QRect caretShown = mapFromScene(m_item->mapRectToScene(caretLine)).boundingRect();
    const qreal edge = leadingEdge();
    const qreal extent = (m_vertical ? viewport()->width() : viewport()->height()) / m_zoom;
    QTextCursor place(m_item->document());
    QRectF line = caretLine;
    bool byEnd = false;
    if (viewport()->rect().contains(caretShown.center())) {
        place.setPosition(caret.position());
        byEnd = caretLine.center().y() > edge + extent / 2;
    } else {
        const int atEdge = m_item->document()->documentLayout()->hitTest(QPointF(0, edge), Qt::FuzzyHit);
        place.setPosition(qBound(0, atEdge, m_item->document()->characterCount() - 1));
        line = caretRect(place);
    }
    // Text put in at the anchor (a whole new text included) comes after it.
    place.setKeepPositionOnInsert(true);
    m_anchor = {place, 0, byEnd, line};
    m_anchor.offset = (anchorPoint(line) - edge) * m_zoom;
}

void TextPageView::followAnchor()
{
    if (m_anchor.position.isNull())
        return;
    const QScopedValueRollback<bool> hold(m_holding, true);
    const qreal extent = (m_vertical ? viewport()->width() : viewport()->height()) / m_zoom;
    // Laying out what then shows may move the anchor and change the text's
    // size again, a little less each time.
    for (int pass = 0; pass < 8; ++pass) {
        fitScene();
        const QRectF line = caretRect(m_anchor.position);
        // How far past the edge the line starts; a line that was in view
        // stays in view, its last pixel included, when the view shrank or
        // the line grew.
        const qreal wanted = m_anchor.offset / m_zoom;
        const qreal lastStart = qMax<qreal>(0, extent - line.height() - 1 / m_zoom);
        qreal start = qMin(m_anchor.byEnd ? wanted - line.height() : wanted, lastStart);
        if (m_anchor.byEnd)
            start = qMax<qreal>(0, start);
        const qreal edge = line.top() - start;
        reportSizeIfShownPast(edge + extent);
        scrollLeadingEdgeTo(edge);
        const QSizeF size = m_item->document()->documentLayout()->documentSize();
        layOutShown();
        m_anchor.line = caretRect(m_anchor.position);
        if (m_anchor.line == line && m_item->document()->documentLayout()->documentSize() == size)
            break;
    }
}

void TextPageView::reportSizeIfShownPast(qreal end)
{
    // The layout reports a new size a while after it finds it, and the item
    // draws nothing past the size last reported: text followed there would
    // show blank until then.
    QAbstractTextDocumentLayout *layout = m_item->document()->documentLayout();
    if (end <= m_item->boundingRect().bottom())
        return;
    const QSizeF size = layout->documentSize();
    if (size == m_item->boundingRect().size())
        return;
    const QScopedValueRollback<bool> reporting(m_reportingSize, true);
    emit layout->documentSizeChanged(size);
    fitScene();
}

void TextPageView::layOutShown() const
{
    // A little past both edges, as a paint lays out a little more than it
    // shows.
    constexpr qreal Slack = 128;
    QAbstractTextDocumentLayout *layout = m_item->document()->documentLayout();
    const qreal edge = leadingEdge();
    const qreal end = edge + (m_vertical ? viewport()->width() : viewport()->height()) / m_zoom + Slack;
    const int first = layout->hitTest(QPointF(0, edge - Slack), Qt::FuzzyHit);
    if (first < 0)
        return;
    for (QTextBlock block = m_item->document()->findBlock(first); block.isValid(); block = block.next()) {
        if (layout->blockBoundingRect(block).top() > end)
            break;
    }
}

void TextPageView::showStart()
{
    {
        const QScopedValueRollback<bool> hold(m_holding, true);
        QScrollBar *bar = progressBar();
        bar->setValue(m_vertical ? bar->maximum() : bar->minimum());
    }
    captureAnchor();
}

void TextPageView::wheelEvent(QWheelEvent *event)
{
    putAnchorBack();
    // Vertical writing scrolls sideways; a plain wheel moves on to later
    // columns, which lie to the left.
    if (m_vertical && event->angleDelta().x() == 0) {
        QScrollBar *bar = horizontalScrollBar();
        bar->setValue(bar->value() + event->angleDelta().y() * bar->singleStep() / 40);
        event->accept();
        return;
    }
    QGraphicsView::wheelEvent(event);
}

QPointF TextPageView::nearestTextPoint(const QPointF &position) const
{
    const QPoint pixel = position.toPoint();
    if (itemAt(pixel) == m_item)
        return position;
    const QPointF inItem = m_item->mapFromScene(mapToScene(pixel));
    // A pixel inside: the view rounds the point to a whole pixel, and the
    // scene looks for the item under that pixel.
    const QRectF text = m_item->boundingRect();
    const qreal inset = qMin(1 / m_zoom, qMin(text.width(), text.height()) / 2);
    const QRectF inside = text.adjusted(inset, inset, -inset, -inset);
    const QPointF nearest(qBound(inside.left(), inItem.x(), inside.right()),
                          qBound(inside.top(), inItem.y(), inside.bottom()));
    return mapFromScene(m_item->mapToScene(nearest));
}

void TextPageView::mousePressEvent(QMouseEvent *event)
{
    // The press means what shows under it.
    putAnchorBack();
    const bool beside = deliverOnText(event, [this](QMouseEvent *onText) { QGraphicsView::mousePressEvent(onText); });
    if (!beside || event->button() != Qt::LeftButton || !m_item->hasFocus()) {
        captureAnchor();
        return;
    }
    // The caret goes to the position nearest to where the press was, which
    // the pixel inside the text may have missed by a narrow character.
    const QPointF inItem = m_item->mapFromScene(mapToScene(event->position().toPoint()));
    const int position = m_item->document()->documentLayout()->hitTest(inItem, Qt::FuzzyHit);
    if (position < 0)
        return;
    QTextCursor cursor = m_item->textCursor();
    cursor.setPosition(position, event->modifiers().testFlag(Qt::ShiftModifier) ? QTextCursor::KeepAnchor
                                                                                : QTextCursor::MoveAnchor);
    m_item->setTextCursor(cursor);
    captureAnchor();
}

void TextPageView::mouseDoubleClickEvent(QMouseEvent *event)
{
    putAnchorBack();
    deliverOnText(event, [this](QMouseEvent *onText) { QGraphicsView::mouseDoubleClickEvent(onText); });
    captureAnchor();
}

void TextPageView::mouseMoveEvent(QMouseEvent *event)
{
    putAnchorBack();
    QGraphicsView::mouseMoveEvent(event);
}

void TextPageView::mouseReleaseEvent(QMouseEvent *event)
{
    putAnchorBack();
    QGraphicsView::mouseReleaseEvent(event);
    captureAnchor();
}

bool TextPageView::deliverOnText(QMouseEvent *event, const std::function<void(QMouseEvent *)> &handler)
{
    const QPointF point = nearestTextPoint(event->position());
    if (point == event->position()) {
        handler(event);
        return false;
    }
    // The scene finds the item under the event's screen position.
    QMouseEvent onText(event->type(), point, viewport()->mapToGlobal(point), event->button(), event->buttons(),
                       event->modifiers(), event->pointingDevice());
    handler(&onText);
    event->setAccepted(onText.isAccepted());
    return true;
}

QRectF TextPageView::caretRect() const
{
    return caretRect(m_item->textCursor());
}

QRectF TextPageView::caretRect(const QTextCursor &cursor) const
{
    // Asking for the paragraph's place lays it out when it was not yet.
    const QRectF block = m_item->document()->documentLayout()->blockBoundingRect(cursor.block());
    const QTextLayout *layout = cursor.block().layout();
    const QTextLine line = layout ? layout->lineForTextPosition(cursor.positionInBlock()) : QTextLine();
    if (!line.isValid())
        return QRectF(block.topLeft(), QSizeF(1, 1));
    return QRectF(line.cursorToX(cursor.positionInBlock()), line.y(), 1, line.height()).translated(layout->position());
}

QRect TextPageView::showCaret()
{
    constexpr int Room = 8; // pixels kept between the caret and the edge
    const QRectF caret = m_item->mapRectToScene(caretRect());
    ensureVisible(caret, Room, Room);
    captureAnchor();
    return mapFromScene(caret).boundingRect();
}

QRect TextPageView::caretOnViewport() const
{
    return mapFromScene(m_item->mapRectToScene(caretRect())).boundingRect();
}

void TextPageView::focusInEvent(QFocusEvent *event)
{
    QGraphicsView::focusInEvent(event);
    if (!m_item->hasFocus())
        m_item->setFocus(event->reason());
}

void TextPageView::keyPressEvent(QKeyEvent *event)
{
    putAnchorBack();
    if (moveCaretByPage(event)) {
        event->accept();
        captureAnchor();
        emit caretMoved();
        return;
    }
    // Undo and redo hold the view's place as the commands they revisit do,
    // rather than keep the text before the change still.
    const bool revisits = event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo);
    {
        const QScopedValueRollback<bool> editing(m_editing, !revisits);
        QGraphicsView::keyPressEvent(event);
    }
    if (revisits)
        putAnchorBack();
    captureAnchor();
    if (event->isAccepted())
        emit caretMoved();
}

void TextPageView::inputMethodEvent(QInputMethodEvent *event)
{
    {
        const QScopedValueRollback<bool> editing(m_editing, true);
        QGraphicsView::inputMethodEvent(event);
    }
    captureAnchor();
    emit caretMoved();
}

bool TextPageView::moveCaretByPage(QKeyEvent *event)
{
    int direction = 0;
    if (event->matches(QKeySequence::MoveToNextPage) || event->matches(QKeySequence::SelectNextPage))
        direction = 1;
    else if (event->matches(QKeySequence::MoveToPreviousPage) || event->matches(QKeySequence::SelectPreviousPage))
        direction = -1;
    if (direction == 0)
        return false;
    // What shows of the text across its lines: its height in horizontal
    // writing, its width in vertical writing, where later lines lie left.
    const QRect shown = viewport()->visibleRegion().boundingRect();
    const int pixels = m_vertical ? (shown.isEmpty() ? viewport()->width() : shown.width())
                                  : (shown.isEmpty() ? viewport()->height() : shown.height());
    // A line less than what shows, so the line at the edge stays in view.
    const QRectF caret = caretRect();
    const qreal step = direction * qMax<qreal>(caret.height(), pixels / m_zoom - caret.height());
    const QRectF text = m_item->boundingRect();
    const QPointF target(caret.center().x(), qBound(text.top(), caret.center().y() + step, text.bottom() - 1));
    QTextCursor cursor = m_item->textCursor();
    int position = m_item->document()->documentLayout()->hitTest(target, Qt::FuzzyHit);
    if (position < 0 || position == cursor.position()) // on the first or last line already
        position = direction > 0 ? m_item->document()->characterCount() - 1 : 0;
    // The text moves first, so the caret keeps its place on the screen.
    QScrollBar *bar = m_vertical ? horizontalScrollBar() : verticalScrollBar();
    bar->setValue(bar->value() + (m_vertical ? -1 : 1) * int(std::lround(step * m_zoom)));
    const bool select = event->matches(QKeySequence::SelectNextPage) || event->matches(QKeySequence::SelectPreviousPage);
    cursor.setPosition(position, select ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
    m_item->setTextCursor(cursor);
    return true;
}
