#include "SlideCanvas.h"

#include "ObjectSelection.h"
#include "ObjectResizeHandle.h"
#include "PowerPointObjectView.h"
#include "platform/widgets/ColorHex.h"

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
    for (const QUuid &id : m_order)
        views.append(m_views.value(id));
    return views;
}

void SlideCanvas::setSlide(const Slide &slide)
{
    if (slide.bgColorHex != m_slide.bgColorHex)
        update();
    m_slide = slide;

    QList<QUuid> order;
    QHash<QUuid, PowerPointObjectView *> views;
    for (const SlideObject &object : m_slide.objects) {
        if (views.contains(object.id))
            continue; // a repeated id draws once, like the first match
        PowerPointObjectView *view = m_views.take(object.id);
        if (view)
            view->setObject(object);
        else
            view = createView(object);
        views.insert(object.id, view);
        order.append(object.id);
    }
    for (PowerPointObjectView *gone : std::as_const(m_views)) {
        gone->hide();
        gone->deleteLater();
    }
    m_views = std::move(views);
    if (order != m_order) {
        m_order = std::move(order);
        restack();
    }
    showSelection();
}

PowerPointObjectView *SlideCanvas::createView(const SlideObject &object)
{
    auto *view = new PowerPointObjectView(object, this);
    connect(view, &PowerPointObjectView::selectRequested, m_selection,
            &ObjectSelection::setSelectedObjectId);
    connect(view, &PowerPointObjectView::updateRequested, this, &SlideCanvas::updateRequested);
    return view;
}

void SlideCanvas::restack()
{
    for (const QUuid &id : std::as_const(m_order))
        m_views.value(id)->raiseWithHandle();
}

void SlideCanvas::showSelection()
{
    for (auto it = m_views.cbegin(); it != m_views.cend(); ++it)
        it.value()->setSelected(m_selection->isSelected(it.key()));
    if (PowerPointObjectView *selected = m_views.value(m_selection->selectedObjectId()))
        selected->resizeHandle()->raise();
}

void SlideCanvas::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    // The background's shadow lies inside the slide, so it shows only
    // through a background that is not opaque.
    painter.fillRect(event->rect(), palette().color(QPalette::Window));
    painter.fillRect(rect().translated(0, 5), QColor::fromRgbF(0, 0, 0, 0.2));
    painter.fillRect(rect(), ColorHex::colorFromHex(m_slide.bgColorHex));
}

void SlideCanvas::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        m_selection->clear();
}
