#include "SlideCanvas.h"

#include "ObjectSelection.h"
#include "ObjectResizeHandle.h"
#include "PowerPointObjectView.h"
#include "SlideObjectDrawing.h"
#include "platform/widgets/ColorHex.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>

SlideCanvas::SlideCanvas(ObjectSelection *selection, QWidget *parent)
    : QWidget(parent)
    , m_selection(selection)
{
    setFixedSize(slideSize);
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(m_selection, &ObjectSelection::changed, this, &SlideCanvas::showSelection);
}

QList<PowerPointObjectView *> SlideCanvas::objectViews() const
{
    QList<PowerPointObjectView *> views;
    for (const QUuid &id : m_order) {
        if (PowerPointObjectView *view = m_views.value(id))
            views.append(view);
    }
    return views;
}

void SlideCanvas::setSlide(const Slide &slide)
{
    const Slide before = m_slide;
    const QList<QUuid> orderBefore = m_order;
    m_slide = slide;

    m_order.clear();
    m_indexOf.clear();
    for (qsizetype i = 0; i < m_slide.objects.size(); ++i) {
        const QUuid &id = m_slide.objects[i].id;
        if (m_indexOf.contains(id))
            continue; // a repeated id draws once, like the first match
        m_indexOf.insert(id, i);
        m_order.append(id);
    }
    for (auto it = m_views.begin(); it != m_views.end();) {
        if (m_indexOf.contains(it.key())) {
            it.value()->setObject(objectWithId(it.key()));
            ++it;
        } else {
            dropView(it.value());
            it = m_views.erase(it);
        }
    }
    syncViews();
    if (m_order != orderBefore)
        restack();
    updateChangedObjects(before, orderBefore);
    showSelection();
}

// A view lies above everything the canvas draws; its mask leaves out the
// objects drawn above its object, so they show over its in-place editor and
// take the clicks there. A few hundred such objects are left out at most.
void SlideCanvas::maskViews()
{
    if (m_viewsDrawObjects)
        return;
    constexpr int maximumCovering = 256;
    for (auto it = m_views.cbegin(); it != m_views.cend(); ++it) {
        PowerPointObjectView *view = it.value();
        const QRect frame = view->geometry();
        QRegion shown(view->rect());
        int covering = 0;
        for (qsizetype i = m_order.indexOf(it.key()) + 1; i < m_order.size() && covering < maximumCovering; ++i) {
            const QRect above = frameOf(objectWithId(m_order[i]));
            if (above.intersects(frame)) {
                shown -= above.translated(-frame.topLeft());
                ++covering;
            }
        }
        if (covering == 0)
            view->clearMask();
        else
            view->setMask(shown);
    }
}

const SlideObject &SlideCanvas::objectWithId(const QUuid &objectId) const
{
    return m_slide.objects[m_indexOf.value(objectId)];
}

QRect SlideCanvas::frameOf(const SlideObject &object) const
{
    const PowerPointObjectView *view = m_views.value(object.id);
    const QPointF offset = view ? view->dragOffset() : QPointF();
    return SlideObjectDrawing::rect(object, 1).translated(offset).toRect();
}

bool SlideCanvas::wantsView(const QUuid &objectId) const
{
    return hasViewPerObject() || objectId == m_selection->selectedObjectId() || objectId == m_pressedId;
}

// Makes the views there should be and drops the others; views draw their
// objects only when every object has one.
void SlideCanvas::syncViews()
{
    for (auto it = m_views.begin(); it != m_views.end();) {
        if (wantsView(it.key())) {
            ++it;
        } else {
            dropView(it.value());
            it = m_views.erase(it);
        }
    }
    bool created = false;
    const auto ensureView = [&](const QUuid &id) {
        if (!m_views.contains(id) && m_indexOf.contains(id)) {
            m_views.insert(id, createView(objectWithId(id)));
            created = true;
        }
    };
    if (hasViewPerObject()) {
        for (const QUuid &id : std::as_const(m_order))
            ensureView(id);
    } else {
        ensureView(m_selection->selectedObjectId());
        ensureView(m_pressedId);
    }
    if (m_viewsDrawObjects != hasViewPerObject()) {
        m_viewsDrawObjects = hasViewPerObject();
        for (PowerPointObjectView *view : std::as_const(m_views))
            view->setDrawsObject(m_viewsDrawObjects);
        update();
    }
    if (created)
        restack();
}

PowerPointObjectView *SlideCanvas::createView(const SlideObject &object)
{
    auto *view = new PowerPointObjectView(object, this);
    view->setDrawsObject(m_viewsDrawObjects);
    connect(view, &PowerPointObjectView::selectRequested, m_selection,
            &ObjectSelection::setSelectedObjectId);
    connect(view, &PowerPointObjectView::updateRequested, this, &SlideCanvas::updateRequested);
    return view;
}

void SlideCanvas::dropView(PowerPointObjectView *view)
{
    update(view->geometry());
    view->hide();
    view->deleteLater();
}

// Repaints what the canvas draws of the objects that changed: all of it when
// the background or the order changed, else the old and new frames.
void SlideCanvas::updateChangedObjects(const Slide &before, const QList<QUuid> &orderBefore)
{
    if (hasViewPerObject()) { // views draw the objects
        if (m_slide.bgColorHex != before.bgColorHex)
            update();
        return;
    }
    if (m_slide.bgColorHex != before.bgColorHex || m_order != orderBefore
        || m_slide.objects.size() != before.objects.size())
        return update();
    for (qsizetype i = 0; i < m_slide.objects.size(); ++i) {
        const SlideObject &now = m_slide.objects[i];
        if (now != before.objects[i])
            update(frameOf(now).united(frameOf(before.objects[i])));
    }
}

void SlideCanvas::restack()
{
    for (const QUuid &id : std::as_const(m_order)) {
        if (PowerPointObjectView *view = m_views.value(id))
            view->raiseWithHandle();
    }
}

void SlideCanvas::showSelection()
{
    syncViews();
    for (auto it = m_views.cbegin(); it != m_views.cend(); ++it)
        it.value()->setSelected(m_selection->isSelected(it.key()));
    if (PowerPointObjectView *selected = m_views.value(m_selection->selectedObjectId()))
        selected->resizeHandle()->raise();
    maskViews();
    const QUuid outlined = hasViewPerObject() ? QUuid() : m_selection->selectedObjectId();
    if (outlined == m_outlinedId)
        return;
    for (const QUuid &id : {m_outlinedId, outlined}) {
        if (m_indexOf.contains(id))
            update(frameOf(objectWithId(id)));
    }
    m_outlinedId = outlined;
}

void SlideCanvas::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    // The background's shadow lies inside the slide, so it shows only
    // through a background that is not opaque.
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    painter.fillRect(rect().translated(0, 5), QColor::fromRgbF(0, 0, 0, 0.2));
    painter.fillRect(rect(), ColorHex::colorFromHex(m_slide.bgColorHex));
    m_objectsDrawn = 0;
    if (hasViewPerObject())
        return;
    const QRect exposed = event->rect();
    for (const QUuid &id : std::as_const(m_order)) {
        const SlideObject &object = objectWithId(id);
        const QRect frame = frameOf(object);
        if (!frame.intersects(exposed))
            continue;
        // Drawn as the object's own view would draw it, clipped to its frame.
        painter.save();
        painter.translate(frame.topLeft());
        painter.setClipRect(QRect(QPoint(), frame.size()), Qt::IntersectClip);
        PowerPointObjectView::paintObject(painter, object, QRectF(QPoint(), frame.size()),
                                          m_selection->isSelected(id), font());
        painter.restore();
        ++m_objectsDrawn;
    }
}

// The topmost object under `point` that has no view (a view takes its own
// clicks), or a null id.
QUuid SlideCanvas::objectIdAt(QPointF point) const
{
    for (auto it = m_order.crbegin(); it != m_order.crend(); ++it) {
        if (!m_views.contains(*it) && frameOf(objectWithId(*it)).contains(point.toPoint()))
            return *it;
    }
    return {};
}

// On a slide drawn by the canvas, a press on an object gives it a view and
// hands the press, and the moves and release that follow, to that view.
void SlideCanvas::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || m_pressedView)
        return;
    m_pressedId = objectIdAt(event->position());
    if (m_pressedId.isNull())
        return;
    syncViews();
    m_pressedView = m_views.value(m_pressedId);
    forwardMouse(event);
}

void SlideCanvas::mouseMoveEvent(QMouseEvent *event)
{
    if (m_pressedView)
        forwardMouse(event);
}

void SlideCanvas::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    if (!m_pressedId.isNull()) {
        if (m_pressedView)
            forwardMouse(event);
        m_pressedId = QUuid();
        m_pressedView = nullptr;
        syncViews();
        return;
    }
    if (rect().contains(event->position().toPoint()))
        m_selection->clear();
}

void SlideCanvas::forwardMouse(QMouseEvent *event)
{
    PowerPointObjectView *view = m_pressedView;
    QMouseEvent mapped(event->type(), view->mapFromParent(event->position()), event->scenePosition(),
                       event->globalPosition(), event->button(), event->buttons(), event->modifiers(),
                       event->pointingDevice());
    QCoreApplication::sendEvent(view, &mapped);
}
