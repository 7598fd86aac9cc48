#include "FloatingObjectLayer.h"

#include "FloatingObjectView.h"
#include "FloatingObjectToolbar.h"
#include "spreadsheet/engine/ExcelDocument.h"

#include <QAbstractScrollArea>
#include <QChildEvent>
#include <QScrollBar>

FloatingObjectLayer::FloatingObjectLayer(ExcelDocument *document, QAbstractScrollArea *area)
    : QWidget(area->viewport())
    , m_document(document)
    , m_horizontal(area->horizontalScrollBar())
    , m_vertical(area->verticalScrollBar())
{
    setGeometry(parentWidget()->rect());
    parentWidget()->installEventFilter(this);
    connect(m_horizontal, &QScrollBar::valueChanged, this, &FloatingObjectLayer::placeViews);
    connect(m_vertical, &QScrollBar::valueChanged, this, &FloatingObjectLayer::placeViews);
    connect(document, &ExcelDocument::objectsChanged, this, &FloatingObjectLayer::syncViews);
    syncViews();
}

void FloatingObjectLayer::setSelectedObjectId(const QUuid &id)
{
    m_selectedId = id;
    for (auto it = m_views.cbegin(); it != m_views.cend(); ++it)
        it.value()->setSelected(!id.isNull() && it.key() == id);
    if (FloatingObjectView *selected = view(id); selected && selected->toolbar())
        selected->toolbar()->raise();
    emit selectedObjectIdChanged(id);
}

void FloatingObjectLayer::syncViews()
{
    QHash<QUuid, FloatingObjectView *> kept;
    QList<QUuid> order;
    for (const ExcelObject &object : m_document->objects()) {
        if (kept.contains(object.id))
            continue; // a repeated id is drawn once
        FloatingObjectView *objectView = m_views.take(object.id);
        if (!objectView)
            objectView = createView(object.id);
        objectView->setObject(object);
        objectView->setSelected(!m_selectedId.isNull() && object.id == m_selectedId);
        kept.insert(object.id, objectView);
        order.append(object.id);
    }
    // Deferred: a view may be deleted from inside its own toolbar's click.
    for (FloatingObjectView *gone : std::as_const(m_views)) {
        gone->hide();
        gone->deleteLater();
    }
    m_views = kept;
    restack(order);
    placeViews();
    raise(); // above the grid content, even if that was made after the layer
}

FloatingObjectView *FloatingObjectLayer::createView(const QUuid &id)
{
    ExcelObject placeholder;
    placeholder.id = id;
    auto *objectView = new FloatingObjectView(placeholder, this);
    connect(objectView, &FloatingObjectView::selectRequested, this, [this, id] { setSelectedObjectId(id); });
    connect(objectView, &FloatingObjectView::updateRequested, m_document, &ExcelDocument::updateObject);
    connect(objectView, &FloatingObjectView::deleteRequested, this, [this, id] { deleteObject(id); });
    objectView->show();
    return objectView;
}

void FloatingObjectLayer::restack(const QList<QUuid> &order)
{
    if (order == m_order)
        return;
    m_order = order;
    for (const QUuid &id : order)
        m_views.value(id)->raise();
    if (FloatingObjectView *selected = view(m_selectedId); selected && selected->toolbar())
        selected->toolbar()->raise();
}

void FloatingObjectLayer::placeViews()
{
    const QPoint origin(m_horizontal ? -m_horizontal->value() : 0, m_vertical ? -m_vertical->value() : 0);
    for (FloatingObjectView *objectView : std::as_const(m_views)) {
        objectView->setContentOrigin(origin);
        objectView->updatePlacement();
    }
    updateMask();
}

void FloatingObjectLayer::deleteObject(const QUuid &id)
{
    m_document->removeObject(id);
    setSelectedObjectId(QUuid());
}

// Only the objects and their toolbars take the mouse; elsewhere the grid does.
void FloatingObjectLayer::updateMask()
{
    QRegion region;
    for (QObject *child : children()) {
        auto *widget = qobject_cast<QWidget *>(child);
        if (widget && !widget->isHidden())
            region += widget->geometry();
    }
    if (region.isEmpty()) {
        hide();
        return;
    }
    setMask(region);
    show();
}

bool FloatingObjectLayer::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget()) {
        if (event->type() == QEvent::Resize) {
            setGeometry(parentWidget()->rect());
            placeViews();
        }
        return false;
    }
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
        updateMask();
        break;
    default:
        break;
    }
    return false;
}

void FloatingObjectLayer::childEvent(QChildEvent *event)
{
    if (event->added() && event->child()->isWidgetType())
        event->child()->installEventFilter(this);
    else if (event->removed())
        updateMask();
    QWidget::childEvent(event);
}
