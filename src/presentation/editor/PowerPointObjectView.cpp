#include "PowerPointObjectView.h"

#include "ObjectResizeHandle.h"
#include "SlideObjectDrawing.h"
#include "platform/widgets/AccentColors.h"
#include "platform/widgets/ObjectDrag.h"

#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QTextEdit>
#include <algorithm>

namespace Draw = SlideObjectDrawing;

namespace {

const QString emptyTextPlaceholder = QStringLiteral("ダブルクリックして入力");
constexpr double shapeTextPadding = 4;

} // namespace

PowerPointObjectView::PowerPointObjectView(const SlideObject &object, QWidget *canvas)
    : QWidget(canvas)
    , m_object(object)
    , m_handle(new ObjectResizeHandle(canvas))
{
    setAttribute(Qt::WA_NoSystemBackground);
    connect(m_handle, &ObjectResizeHandle::dragStarted, this, &PowerPointObjectView::startResize);
    connect(m_handle, &ObjectResizeHandle::dragged, this, &PowerPointObjectView::resizeBy);
    placeOnCanvas();
    show();
}

PowerPointObjectView::~PowerPointObjectView()
{
    delete m_handle;
}

bool PowerPointObjectView::isTextKind() const
{
    return SlideObjectTypes::isTextKind(m_object.type);
}

void PowerPointObjectView::setObject(const SlideObject &object)
{
    if (object == m_object)
        return;
    m_object = object;
    placeOnCanvas();
    if (m_editor) {
        styleEditor();
        loadEditor();
    }
    update();
}

void PowerPointObjectView::setSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    if (isTextKind()) {
        if (selected)
            ensureEditor();
        if (m_editor)
            m_editor->setVisible(selected);
    }
    m_handle->setVisible(selected);
    if (selected)
        m_handle->raise();
    update();
}

void PowerPointObjectView::raiseWithHandle()
{
    raise();
    m_handle->raise();
}

void PowerPointObjectView::setDrawsObject(bool draws)
{
    if (draws == m_drawsObject)
        return;
    m_drawsObject = draws;
    if (draws)
        clearMask(); // a mask is the canvas's, for what it draws above
    update();
}

void PowerPointObjectView::placeOnCanvas()
{
    const QRectF frame = Draw::rect(m_object, 1).translated(m_dragOffset);
    const QRect before = geometry();
    setGeometry(frame.toRect());
    if (!m_drawsObject) // the canvas draws the object where the view now lies
        parentWidget()->update(before.united(geometry()));
    m_handle->placeAt(frame.bottomRight());
}

void PowerPointObjectView::ensureEditor()
{
    if (m_editor)
        return;
    m_editor = new QTextEdit(this);
    m_editor->setAcceptRichText(false);
    m_editor->setFrameShape(QFrame::NoFrame);
    m_editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_editor->document()->setDocumentMargin(0);
    styleEditor();
    loadEditor();
    connect(m_editor, &QTextEdit::textChanged, this, &PowerPointObjectView::editorTextChanged);
}

void PowerPointObjectView::styleEditor()
{
    QPalette palette = m_editor->palette();
    palette.setColor(QPalette::Base, QColor::fromRgbF(1, 1, 1, 0.1));
    palette.setColor(QPalette::Text, Draw::color(m_object));
    m_editor->setPalette(palette);
    const QFont objectFont = Draw::font(m_object, 1, this->font());
    if (m_editor->font() != objectFont)
        m_editor->setFont(objectFont);
    const QRect inner = QRect(QPoint(), size()).adjusted(textPadding, textPadding, -textPadding, -textPadding);
    m_editor->setGeometry(inner.isValid() ? inner : QRect());
}

// Only a text that differs from the editor's is loaded (an edit made in the
// inspector); the caret is kept where it was, as far as the new text allows.
void PowerPointObjectView::loadEditor()
{
    if (m_editor->toPlainText() == m_object.text)
        return;
    const int caret = m_editor->textCursor().position();
    const QSignalBlocker blocker(m_editor);
    m_editor->setPlainText(m_object.text);
    QTextCursor cursor = m_editor->textCursor();
    cursor.setPosition(std::min(caret, int(m_object.text.size())));
    m_editor->setTextCursor(cursor);
}

void PowerPointObjectView::editorTextChanged()
{
    SlideObject edited = m_object;
    edited.text = m_editor->toPlainText();
    if (edited.text == m_object.text)
        return;
    emit updateRequested(edited);
}

void PowerPointObjectView::paintEvent(QPaintEvent *)
{
    if (!m_drawsObject)
        return;
    QPainter painter(this);
    paintObject(painter, m_object, QRectF(rect()), m_selected, font());
}

void PowerPointObjectView::paintObject(QPainter &painter, const SlideObject &object, const QRectF &frame,
                                       bool selected, const QFont &baseFont)
{
    const QFont objectFont = Draw::font(object, 1, baseFont);
    if (SlideObjectTypes::isTextKind(object.type)) {
        if (!selected) {
            const QString &text = object.text.isEmpty() ? emptyTextPlaceholder : object.text;
            Draw::paintText(painter, text, Draw::color(object),
                            frame.adjusted(textPadding, textPadding, -textPadding, -textPadding), objectFont,
                            Qt::AlignLeft | Qt::AlignTop);
        }
    } else {
        Draw::paintShape(painter, object, frame, objectFont, shapeTextPadding);
    }
    if (selected) {
        painter.setPen(QPen(AccentColors::blue(), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(frame.adjusted(0.5, 0.5, -0.5, -0.5));
    }
}

// The view moves while it is dragged; the canvas does not.
QPointF PowerPointObjectView::canvasPosition(const QMouseEvent *event) const
{
    return mapToParent(event->position());
}

void PowerPointObjectView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = true;
    m_dragging = false;
    m_pressPosition = canvasPosition(event);
}

void PowerPointObjectView::mouseDoubleClickEvent(QMouseEvent *event)
{
    mousePressEvent(event);
}

void PowerPointObjectView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressed)
        return;
    const QPointF translation = canvasPosition(event) - m_pressPosition;
    if (!m_dragging && !ObjectDrag::isDrag(translation))
        return;
    m_dragging = true;
    m_dragOffset = translation;
    placeOnCanvas();
}

void PowerPointObjectView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_pressed)
        return;
    m_pressed = false;
    if (!m_dragging) {
        emit selectRequested(m_object.id);
        if (m_editor && m_editor->isVisible())
            m_editor->setFocus(Qt::MouseFocusReason);
        return;
    }
    m_dragging = false;
    const QPointF moved = ObjectDrag::moved(QPointF(m_object.x, m_object.y), m_dragOffset);
    m_dragOffset = QPointF();
    SlideObject edited = m_object;
    edited.x = std::min(moved.x(), maximumX);
    edited.y = std::min(moved.y(), maximumY);
    placeOnCanvas();
    emit updateRequested(edited);
}

void PowerPointObjectView::startResize()
{
    m_sizeAtResizeStart = QSizeF(m_object.width, m_object.height);
}

void PowerPointObjectView::resizeBy(QPointF translation)
{
    const QSizeF size = ObjectDrag::resized(m_sizeAtResizeStart, translation, minimumSize);
    SlideObject edited = m_object;
    edited.width = size.width();
    edited.height = size.height();
    emit updateRequested(edited);
}

ObjectResizeHandle *PowerPointObjectView::resizeHandle() const
{
    return m_handle;
}
