#include "FloatingObjectView.h"

#include "FloatingObjectDrag.h"
#include "FloatingObjectToolbar.h"
#include "platform/widgets/AccentColors.h"
#include "platform/widgets/ColorHex.h"
#include "platform/widgets/ObjectDrag.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QSignalBlocker>

namespace {

constexpr int handleSize = 12;
constexpr int handleOverhang = handleSize / 2;
constexpr int textPadding = 4;
constexpr int textPixelSize = 12;
constexpr qreal textBoxRadius = 6;

QFont objectTextFont(QFont font)
{
    font.setPixelSize(textPixelSize);
    font.setWeight(QFont::Normal);
    return font;
}

} // namespace

FloatingObjectView::FloatingObjectView(const ExcelObject &object, QWidget *parent)
    : QWidget(parent)
    , m_object(object)
    , m_fill(ColorHex::colorFromHex(object.colorHex))
{
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
    setCursor(Qt::SizeAllCursor);
    updatePlacement();
}

FloatingObjectView::~FloatingObjectView()
{
    delete m_toolbar.data();
}

void FloatingObjectView::setObject(const ExcelObject &object)
{
    m_object = object;
    m_fill = ColorHex::colorFromHex(m_object.colorHex);
    syncTextEditor();
    if (m_toolbar)
        m_toolbar->setColor(m_fill);
    updatePlacement();
    update();
}

void FloatingObjectView::setSelected(bool selected)
{
    if (selected == m_selected)
        return;
    m_selected = selected;
    if (m_selected)
        showToolbar();
    else
        hideToolbar();
    syncTextEditor();
    if (m_selected && m_textEditor) {
        m_textEditor->setFocus(Qt::MouseFocusReason);
        m_textEditor->moveCursor(QTextCursor::End);
    }
    updatePlacement();
    update();
}

void FloatingObjectView::setVisibleArea(const QRect &area)
{
    m_visibleArea = area;
    updatePlacement();
}

QRect FloatingObjectView::objectRect() const
{
    const QPointF topLeft = QPointF(m_object.x, m_object.y) + m_dragOffset;
    return QRect(topLeft.toPoint(), QSize(qRound(m_object.width), qRound(m_object.height)));
}

QRect FloatingObjectView::handleRect() const
{
    const QRectF frame = frameRect();
    return QRect(qRound(frame.right()) - handleOverhang, qRound(frame.bottom()) - handleOverhang,
                 handleSize, handleSize);
}

FloatingObjectToolbar *FloatingObjectView::toolbar() const
{
    return m_toolbar;
}

QPlainTextEdit *FloatingObjectView::textEditor() const
{
    return m_textEditor;
}

void FloatingObjectView::updatePlacement()
{
    const QRect object = objectRect();
    const int overhang = m_selected ? handleOverhang : 0;
    setGeometry(object.adjusted(0, 0, overhang, overhang));
    if (m_textEditor)
        m_textEditor->setGeometry(QRect(QPoint(), object.size()).adjusted(textPadding, textPadding,
                                                                          -textPadding, -textPadding));
    if (m_toolbar && parentWidget()) {
        m_toolbar->resize(m_toolbar->sizeHint());
        m_toolbar->move(FloatingObjectDrag::toolbarPosition(object, m_toolbar->size(),
                                                            m_visibleArea.value_or(parentWidget()->rect())));
    }
}

QRectF FloatingObjectView::frameRect() const
{
    return QRectF(0, 0, qRound(m_object.width), qRound(m_object.height));
}

bool FloatingObjectView::contentContains(QPointF point) const
{
    const QRectF frame = frameRect();
    if (m_object.type != ExcelObjectType::Circle)
        return frame.contains(point);
    const qreal diameter = qMin(frame.width(), frame.height());
    QPainterPath circle;
    circle.addEllipse(QRectF(0, 0, diameter, diameter).translated(frame.center() - QPointF(diameter, diameter) / 2));
    return circle.contains(point);
}

void FloatingObjectView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    paintShape(painter);
    if (m_object.type == ExcelObjectType::TextBox && !m_textEditor)
        paintLabel(painter);
    if (m_selected)
        paintHandle(painter);
}

void FloatingObjectView::paintShape(QPainter &painter) const
{
    const QRectF frame = frameRect();
    const qreal lineWidth = m_selected ? 2 : 1;
    QColor outline = m_selected ? AccentColors::blue() : QColor(0, 0, 0);
    if (!m_selected)
        outline.setAlphaF(m_object.type == ExcelObjectType::TextBox ? 0.2f : 0.3f);

    // The outline lies inside the frame so the widget never clips it.
    const qreal inset = lineWidth / 2;
    QPainterPath fillPath;
    QPainterPath outlinePath;
    switch (m_object.type) {
    case ExcelObjectType::Rectangle:
        fillPath.addRect(frame);
        outlinePath.addRect(frame.adjusted(inset, inset, -inset, -inset));
        break;
    case ExcelObjectType::Circle: {
        const qreal diameter = qMin(frame.width(), frame.height());
        const QRectF circle = QRectF(0, 0, diameter, diameter)
                                  .translated(frame.center() - QPointF(diameter, diameter) / 2);
        fillPath.addEllipse(circle);
        outlinePath.addEllipse(circle.adjusted(inset, inset, -inset, -inset));
        break;
    }
    case ExcelObjectType::TextBox:
        fillPath.addRoundedRect(frame, textBoxRadius, textBoxRadius);
        outlinePath.addRoundedRect(frame.adjusted(inset, inset, -inset, -inset), textBoxRadius - inset,
                                   textBoxRadius - inset);
        break;
    }
    painter.fillPath(fillPath, m_fill);
    painter.strokePath(outlinePath, QPen(outline, lineWidth));
}

void FloatingObjectView::paintLabel(QPainter &painter) const
{
    const QRectF textRect = frameRect().adjusted(textPadding, textPadding, -textPadding, -textPadding);
    painter.save();
    painter.setClipRect(textRect);
    painter.setFont(objectTextFont(font()));
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, m_object.text);
    painter.restore();
}

void FloatingObjectView::paintHandle(QPainter &painter) const
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(AccentColors::blue());
    painter.drawEllipse(handleRect());
}

void FloatingObjectView::mousePressEvent(QMouseEvent *event)
{
    const QPointF position = event->position();
    if (m_dragKind != DragKind::None) {
        event->accept(); // another button during a drag: kept from the grid below
        return;
    }
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    if (m_selected && handleRect().contains(position.toPoint())) {
        m_dragKind = DragKind::Resize;
        m_dragStartObject = m_object;
    } else if (contentContains(position)) {
        m_dragKind = DragKind::Move;
    } else {
        event->ignore();
        return;
    }
    m_dragging = false;
    m_pressGlobal = event->globalPosition();
    event->accept();
}

void FloatingObjectView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_dragKind == DragKind::None) {
        const bool overHandle = m_selected && handleRect().contains(event->position().toPoint());
        setCursor(overHandle ? Qt::SizeFDiagCursor : Qt::SizeAllCursor);
        return;
    }
    const QPointF translation = event->globalPosition() - m_pressGlobal;
    if (!m_dragging && !ObjectDrag::isDrag(translation))
        return;
    m_dragging = true;
    if (m_dragKind == DragKind::Move) {
        m_dragOffset = translation;
        updatePlacement();
    } else {
        emit updateRequested(FloatingObjectDrag::resized(m_dragStartObject, translation));
    }
}

void FloatingObjectView::mouseReleaseEvent(QMouseEvent *event)
{
    // Another button let go while the left one drags ends nothing.
    if (event->button() != Qt::LeftButton)
        return;
    const DragKind kind = std::exchange(m_dragKind, DragKind::None);
    const bool dragged = std::exchange(m_dragging, false);
    if (kind == DragKind::None)
        return;
    if (kind == DragKind::Move && dragged) {
        const ExcelObject movedObject =
            FloatingObjectDrag::moved(m_object, event->globalPosition() - m_pressGlobal);
        m_dragOffset = {};
        updatePlacement();
        emit updateRequested(movedObject);
    } else if (kind == DragKind::Move) {
        emit selectRequested();
    }
}

void FloatingObjectView::showToolbar()
{
    if (m_toolbar || !parentWidget())
        return;
    m_toolbar = new FloatingObjectToolbar(parentWidget());
    m_toolbar->setColor(m_fill);
    connect(m_toolbar, &FloatingObjectToolbar::colorPicked, this, &FloatingObjectView::sendColor);
    connect(m_toolbar, &FloatingObjectToolbar::deleteRequested, this, &FloatingObjectView::deleteRequested);
    m_toolbar->show();
    m_toolbar->raise();
}

void FloatingObjectView::hideToolbar()
{
    if (!m_toolbar)
        return;
    m_toolbar->hide();
    m_toolbar->deleteLater();
    m_toolbar = nullptr;
}

void FloatingObjectView::syncTextEditor()
{
    const bool wanted = m_selected && m_object.type == ExcelObjectType::TextBox;
    if (!wanted) {
        // Deferred: the editor may be the widget whose event led here.
        if (m_textEditor) {
            m_textEditor->hide();
            m_textEditor->deleteLater();
            m_textEditor = nullptr;
        }
        return;
    }
    if (!m_textEditor) {
        m_textEditor = new QPlainTextEdit(this);
        m_textEditor->setFrameShape(QFrame::NoFrame);
        m_textEditor->setFont(objectTextFont(font()));
        m_textEditor->document()->setDocumentMargin(0);
        m_textEditor->setStyleSheet(QStringLiteral("QPlainTextEdit { background: transparent; }"));
        m_textEditor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        m_textEditor->setCursor(Qt::IBeamCursor);
        connect(m_textEditor, &QPlainTextEdit::textChanged, this, &FloatingObjectView::sendText);
        m_textEditor->show();
    }
    if (m_textEditor->toPlainText() != m_object.text) {
        const QSignalBlocker blocker(m_textEditor);
        m_textEditor->setPlainText(m_object.text);
    }
}

void FloatingObjectView::sendText()
{
    ExcelObject edited = m_object;
    edited.text = m_textEditor->toPlainText();
    emit updateRequested(edited);
}

void FloatingObjectView::sendColor(const QColor &color)
{
    ExcelObject edited = m_object;
    edited.colorHex = ColorHex::toHex(color);
    emit updateRequested(edited);
}
