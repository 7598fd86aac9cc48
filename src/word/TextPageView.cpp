#include "TextPageView.h"

#include "PageTextItem.h"
#include "UprightPictureHandler.h"
#include "WordTextDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QKeyEvent>
#include <QMouseEvent>
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
    setBackgroundBrush(Qt::NoBrush);
    setStyleSheet(QStringLiteral("QGraphicsView { background: transparent; }"));
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing | QPainter::SmoothPixmapTransform);
    setViewportUpdateMode(QGraphicsView::MinimalViewportUpdate);
    setOptimizationFlag(QGraphicsView::DontAdjustForAntialiasing);
    setTransformationAnchor(QGraphicsView::NoAnchor);
    setResizeAnchor(QGraphicsView::NoAnchor);
    m_scene->setFocusItem(m_item);
    connect(document->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
            &TextPageView::updateGeometry);
    updateGeometry();
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
    m_vertical = vertical;
    m_pictures->setVertical(vertical);
    m_item->setVertical(vertical);
    updateGeometry();
    if (vertical)
        horizontalScrollBar()->setValue(horizontalScrollBar()->maximum());
    else
        verticalScrollBar()->setValue(0);
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
    if (m_item->textWidth() != lineLength())
        m_item->setTextWidth(lineLength());
    const QSizeF text = m_item->document()->documentLayout()->documentSize();
    const QSizeF visible = QSizeF(viewport()->size()) / m_zoom;
    setTransform(QTransform::fromScale(m_zoom, m_zoom));
    if (!m_vertical) {
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        m_item->setRotation(0);
        m_item->setPos(m_margin, m_margin);
        setSceneRect(0, 0, DesignWidth, qMax(text.height() + 2 * m_margin, visible.height()));
        return;
    }
    // Columns grow to the left: keep the distance from the right edge, so the
    // columns in view stay in view while text is added.
    QScrollBar *bar = horizontalScrollBar();
    const int fromRight = bar->maximum() - bar->value();
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const qreal width = qMax(text.height() + 2 * m_margin, visible.width());
    m_item->setRotation(90);
    m_item->setPos(width - m_margin, m_margin);
    setSceneRect(0, 0, width, m_columnArea);
    bar->setValue(bar->maximum() - fromRight);
}

void TextPageView::resizeEvent(QResizeEvent *event)
{
    QGraphicsView::resizeEvent(event);
    updateGeometry();
}

void TextPageView::wheelEvent(QWheelEvent *event)
{
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
    const bool beside = deliverOnText(event, [this](QMouseEvent *onText) { QGraphicsView::mousePressEvent(onText); });
    if (!beside || event->button() != Qt::LeftButton || !m_item->hasFocus())
        return;
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
}

void TextPageView::mouseDoubleClickEvent(QMouseEvent *event)
{
    deliverOnText(event, [this](QMouseEvent *onText) { QGraphicsView::mouseDoubleClickEvent(onText); });
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
    const QTextCursor cursor = m_item->textCursor();
    const QTextLayout *layout = cursor.block().layout();
    const QTextLine line = layout ? layout->lineForTextPosition(cursor.positionInBlock()) : QTextLine();
    if (!line.isValid())
        return QRectF(m_item->document()->documentLayout()->blockBoundingRect(cursor.block()).topLeft(), QSizeF(1, 1));
    return QRectF(line.cursorToX(cursor.positionInBlock()), line.y(), 1, line.height()).translated(layout->position());
}

QRect TextPageView::showCaret()
{
    constexpr int Room = 8; // pixels kept between the caret and the edge
    const QRectF caret = m_item->mapRectToScene(caretRect());
    ensureVisible(caret, Room, Room);
    return mapFromScene(caret).boundingRect();
}

void TextPageView::focusInEvent(QFocusEvent *event)
{
    QGraphicsView::focusInEvent(event);
    if (!m_item->hasFocus())
        m_item->setFocus(event->reason());
}

void TextPageView::keyPressEvent(QKeyEvent *event)
{
    if (moveCaretByPage(event)) {
        event->accept();
        emit caretMoved();
        return;
    }
    QGraphicsView::keyPressEvent(event);
    if (event->isAccepted())
        emit caretMoved();
}

void TextPageView::inputMethodEvent(QInputMethodEvent *event)
{
    QGraphicsView::inputMethodEvent(event);
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
