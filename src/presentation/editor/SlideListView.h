#pragma once

#include <QListView>

class SlideListModel;

// The slide list: rows painted by SlideRowDelegate, no selection highlight of
// its own. A click on a row emits rowClicked; dragging a row (10 points or
// more) shows where it would go and, on release, emits moveRequested with
// the row and the destination offset of a list move (the row it goes before,
// or the count for the end).
class SlideListView : public QListView
{
    Q_OBJECT
public:
    explicit SlideListView(SlideListModel *model, QWidget *parent = nullptr);

    // The destination offset a drop at `viewportPosition` would use.
    int dropOffsetAt(QPoint viewportPosition) const;

signals:
    void rowClicked(int row);
    void moveRequested(const QList<int> &sourceRows, int destinationOffset);

protected:
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QList<int> &roles = QList<int>()) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    int m_pressedRow = -1;
    QPoint m_pressPosition;
    bool m_dragging = false;
    int m_dropOffset = -1;
};
