#include "FloatingObjectLayer.h"

#include "FloatingObjectToolbar.h"
#include "FloatingObjectView.h"
#include "spreadsheet/engine/document/ExcelDocument.h"

#include <QChildEvent>

FloatingObjectLayer::FloatingObjectLayer(ExcelDocument *document, QWidget *parent)
    : QWidget(parent)
    , m_document(document)
{
    if (parent)
        parent->installEventFilter(this);
    connect(document, &ExcelDocument::objectsChanged, this, &FloatingObjectLayer::syncViews);
    syncViews();
}

void FloatingObjectLayer::setSelectedObjectId(const QUuid &id)
{
    m_selectedId = id;
    for (auto it = m_views.cbegin(); it != m_views.cend(); ++it)
        it.value()->setSelected(!id.isNull() && it.key() == id);
    placeToolbars();
    emit selectedObjectIdChanged(id);
}

QRect FloatingObjectLayer::visibleArea() const
{
    QRect area = rect();
    QPoint offset;
    for (const QWidget *widget = this; !widget->isWindow() && widget->parentWidget();
         widget = widget->parentWidget()) {
        offset += widget->pos();
        area &= QRect(-offset, widget->parentWidget()->size());
    }
    return area;
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
        gone->setSelected(false); // its toolbar goes at once
        gone->hide();
        gone->deleteLater();
    }
    m_views = kept;
    restack(order);
    placeToolbars();
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
}

// Toolbars go below their object when the visible part has no room above.
void FloatingObjectLayer::placeToolbars()
{
    if (FloatingObjectView *selected = view(m_selectedId)) {
        selected->setVisibleArea(visibleArea());
        if (selected->toolbar())
            selected->toolbar()->raise();
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
    if (region == m_mask && (region.isEmpty() == testAttribute(Qt::WA_TransparentForMouseEvents)))
        return;
    m_mask = region;
    setAttribute(Qt::WA_TransparentForMouseEvents, region.isEmpty());
    if (region.isEmpty())
        clearMask();
    else
        setMask(region);
}

bool FloatingObjectLayer::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::ParentChange:
        if (parentWidget())
            parentWidget()->installEventFilter(this);
        placeToolbars();
        break;
    case QEvent::Move: // the grid moves the layer as it scrolls
    case QEvent::Resize:
        placeToolbars();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

bool FloatingObjectLayer::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget()) {
        if (event->type() == QEvent::Resize)
            placeToolbars();
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
