#pragma once

#include "presentation/document/Slide.h"

#include <QHash>
#include <QUuid>
#include <QWidget>

class ObjectSelection;
class PowerPointObjectView;

// The 800 × 450 slide being edited: its background and one
// PowerPointObjectView per object, in drawing order. Views are matched to
// objects by id, so a change of the slide updates the views in place and
// never rebuilds one (a drag, the caret and focus survive every write).
// A click on the empty slide clears the selection.
class SlideCanvas : public QWidget
{
    Q_OBJECT
public:
    static constexpr QSize slideSize{800, 450};

    SlideCanvas(ObjectSelection *selection, QWidget *parent = nullptr);

    // Shows `slide` (a copy is kept); views of objects no longer on it go.
    void setSlide(const Slide &slide);
    const Slide &slide() const { return m_slide; }

    PowerPointObjectView *objectView(const QUuid &objectId) const { return m_views.value(objectId); }
    QList<PowerPointObjectView *> objectViews() const;

signals:
    void updateRequested(const SlideObject &edited);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    PowerPointObjectView *createView(const SlideObject &object);
    void showSelection();
    void restack();

    ObjectSelection *m_selection;
    Slide m_slide;
    QHash<QUuid, PowerPointObjectView *> m_views;
    QList<QUuid> m_order;
};
