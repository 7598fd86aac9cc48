#pragma once

#include "presentation/document/Slide.h"

#include <QHash>
#include <QPointer>
#include <QUuid>
#include <QWidget>

class ObjectSelection;
class PowerPointObjectView;

// The 800 × 450 slide being edited: its background and its objects in
// drawing order. A slide of up to `viewLimit` objects has one
// PowerPointObjectView per object, which draws it. Widgets by the thousand
// cost time that grows with the square of their count, so on a slide with
// more objects the canvas draws every object itself, only where the screen
// needs it, and only the selected object and the one under a press have a
// view, which then takes the mouse and holds the in-place editor (masked
// where objects drawn above it lie).
// Views are matched to objects by id, so a change of the slide updates the
// views in place and never rebuilds one (a drag, the caret and focus
// survive every write). A click on the empty slide clears the selection.
class SlideCanvas : public QWidget
{
    Q_OBJECT
public:
    static constexpr QSize slideSize{800, 450};
    static constexpr qsizetype viewLimit = 100;

    SlideCanvas(ObjectSelection *selection, QWidget *parent = nullptr);

    // Shows `slide` (a copy is kept); views of objects no longer on it go.
    void setSlide(const Slide &slide);
    const Slide &slide() const { return m_slide; }

    // The object's view, or null when it has none.
    PowerPointObjectView *objectView(const QUuid &objectId) const { return m_views.value(objectId); }
    // The views there are, in drawing order.
    QList<PowerPointObjectView *> objectViews() const;
    // Objects the canvas itself drew in its last paint.
    qsizetype objectsDrawnLastPaint() const { return m_objectsDrawn; }

signals:
    void updateRequested(const SlideObject &edited);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool hasViewPerObject() const { return m_order.size() <= viewLimit; }
    bool wantsView(const QUuid &objectId) const;
    const SlideObject &objectWithId(const QUuid &objectId) const;
    QRect frameOf(const SlideObject &object) const;
    void syncViews();
    PowerPointObjectView *createView(const SlideObject &object);
    void dropView(PowerPointObjectView *view);
    void updateChangedObjects(const Slide &before, const QList<QUuid> &orderBefore);
    void showSelection();
    void maskViews();
    void restack();
    QUuid objectIdAt(QPointF point) const;
    void forwardMouse(QMouseEvent *event);

    ObjectSelection *m_selection;
    Slide m_slide;
    QHash<QUuid, PowerPointObjectView *> m_views;
    QList<QUuid> m_order;
    QHash<QUuid, qsizetype> m_indexOf; // the first object of each id
    QUuid m_pressedId; // the object a press on the canvas went to
    QPointer<PowerPointObjectView> m_pressedView;
    QUuid m_outlinedId; // the object the canvas draws with an outline
    bool m_viewsDrawObjects = true;
    qsizetype m_objectsDrawn = 0;
};
