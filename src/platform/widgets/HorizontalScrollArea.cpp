#include "HorizontalScrollArea.h"

#include "WheelGuard.h"

#include <QScrollBar>
#include <QWheelEvent>

HorizontalScrollArea::HorizontalScrollArea(QWidget *parent)
    : QScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetResizable(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    viewport()->setAutoFillBackground(false);
    // The wheel is the only way to scroll a narrow row: it must not change
    // the pickers it passes over.
    WheelGuard::guard(this);
}

QSize HorizontalScrollArea::sizeHint() const
{
    const QSize content = widget() ? widget()->sizeHint() : QSize();
    return QSize(content.width(), content.height());
}

QSize HorizontalScrollArea::minimumSizeHint() const
{
    return QSize(0, widget() ? widget()->sizeHint().height() : 0);
}

void HorizontalScrollArea::wheelEvent(QWheelEvent *event)
{
    const QPoint delta = event->angleDelta();
    const int steps = delta.x() != 0 ? delta.x() : delta.y();
    QScrollBar *bar = horizontalScrollBar();
    bar->setValue(bar->value() - steps * bar->singleStep() / 40);
    event->accept();
}
