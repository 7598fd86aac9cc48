#include "ObjectResizeHandle.h"

#include "platform/widgets/AccentColors.h"
#include "platform/widgets/ObjectDrag.h"

#include <QMouseEvent>
#include <QPainter>

ObjectResizeHandle::ObjectResizeHandle(QWidget *canvas) : QWidget(canvas)
{
    setFixedSize(diameter, diameter);
    setCursor(Qt::SizeFDiagCursor);
    hide();
}

void ObjectResizeHandle::placeAt(QPointF corner)
{
    move((corner - QPointF(diameter / 2.0, diameter / 2.0)).toPoint());
}

void ObjectResizeHandle::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(AccentColors::blue());
    painter.drawEllipse(rect());
}

// Translations are taken on the canvas, which does not move while the
// handle does, so the pointer's path is measured without feedback.
QPointF ObjectResizeHandle::canvasPosition(const QMouseEvent *event) const
{
    return mapToParent(event->position());
}

void ObjectResizeHandle::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = true;
    m_dragging = false;
    m_pressPosition = canvasPosition(event);
}

void ObjectResizeHandle::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressed)
        return;
    const QPointF translation = canvasPosition(event) - m_pressPosition;
    if (!m_dragging && !ObjectDrag::isDrag(translation))
        return;
    if (!m_dragging) {
        m_dragging = true;
        emit dragStarted();
    }
    emit dragged(translation);
}

void ObjectResizeHandle::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_pressed)
        return;
    m_pressed = false;
    if (m_dragging) {
        m_dragging = false;
        emit dragFinished();
    }
}
