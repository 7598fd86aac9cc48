#pragma once

#include <QPointer>
#include <QScrollBar>

// A scroll bar standing in for another one that lies out of sight: it
// takes the source's range, steps and value, moves the source when it is
// moved, and shows only while there is something to scroll. The page's
// text view scrolls through this bar at the edge of the page area, as its
// own bars would lie off-screen on a zoomed page and over its text.
class MirrorScrollBar : public QScrollBar
{
    Q_OBJECT
public:
    explicit MirrorScrollBar(Qt::Orientation orientation, QWidget *parent = nullptr);

    // Follows `source` from now on; null: follows nothing and hides.
    void setSource(QScrollBar *source);

private:
    void takeRange();

    QPointer<QScrollBar> m_source;
    QList<QMetaObject::Connection> m_links;
};
