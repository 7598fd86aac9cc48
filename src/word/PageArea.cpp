#include "PageArea.h"

#include <QResizeEvent>

PageArea::PageArea(QWidget *parent)
    : QScrollArea(parent)
{
}

void PageArea::showSpot(const QRect &spot)
{
    constexpr int Room = 16; // pixels kept between the spot and the edge
    const QPoint centre = spot.center();
    ensureVisible(centre.x(), centre.y(), spot.width() / 2 + Room, spot.height() / 2 + Room);
}

void PageArea::resizeEvent(QResizeEvent *event)
{
    // The viewport has its new size already; the content is still where
    // the old one showed it.
    if (!widget() || !m_findSpot) {
        QScrollArea::resizeEvent(event);
        return;
    }
    const QRect spot = m_findSpot();
    const QRect shownBefore(-widget()->pos(), event->oldSize());
    const bool wasShown = !spot.isEmpty() && shownBefore.contains(spot.center());
    QScrollArea::resizeEvent(event);
    // The content may have moved on: a narrower column centres the page anew.
    if (wasShown)
        showSpot(m_findSpot());
}
