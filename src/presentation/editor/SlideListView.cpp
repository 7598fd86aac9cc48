#include "SlideListView.h"

#include "SlideListModel.h"
#include "SlideRowDelegate.h"
#include "platform/widgets/AccentColors.h"
#include "platform/widgets/ObjectDrag.h"

#include <QMouseEvent>
#include <QPainter>

SlideListView::SlideListView(SlideListModel *model, QWidget *parent) : QListView(parent)
{
    setModel(model);
    setItemDelegate(new SlideRowDelegate(this));
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFocusPolicy(Qt::NoFocus);
    setFrameShape(QFrame::NoFrame);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);
}

int SlideListView::dropOffsetAt(QPoint viewportPosition) const
{
    const int count = model()->rowCount();
    const QModelIndex under = indexAt(viewportPosition);
    if (!under.isValid())
        return viewportPosition.y() < 0 ? 0 : count;
    const QRect row = visualRect(under);
    return viewportPosition.y() < row.center().y() ? under.row() : under.row() + 1;
}

// QListView answers any data change by laying out every row again and
// repainting the whole viewport. Rows here never change size, so only the
// changed rows are repainted, one by one as the base view does for a row.
void SlideListView::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                                const QList<int> &roles)
{
    if (!topLeft.isValid() || !bottomRight.isValid())
        return;
    for (int row = topLeft.row(); row <= bottomRight.row(); ++row) {
        const QModelIndex changed = model()->index(row, 0, topLeft.parent());
        QAbstractItemView::dataChanged(changed, changed, roles);
    }
}

void SlideListView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressPosition = event->position().toPoint();
    m_pressedRow = indexAt(m_pressPosition).row();
    m_dragging = false;
}

void SlideListView::mouseDoubleClickEvent(QMouseEvent *event)
{
    mousePressEvent(event);
}

void SlideListView::mouseMoveEvent(QMouseEvent *event)
{
    if (m_pressedRow < 0)
        return;
    const QPoint position = event->position().toPoint();
    if (!m_dragging && !ObjectDrag::isDrag(position - m_pressPosition))
        return;
    m_dragging = true;
    m_dropOffset = dropOffsetAt(position);
    viewport()->update();
}

void SlideListView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || m_pressedRow < 0)
        return;
    const int row = m_pressedRow;
    m_pressedRow = -1;
    if (!m_dragging) {
        if (indexAt(event->position().toPoint()).row() == row)
            emit rowClicked(row);
        return;
    }
    m_dragging = false;
    const int offset = dropOffsetAt(event->position().toPoint());
    m_dropOffset = -1;
    viewport()->update();
    if (offset != row && offset != row + 1)
        emit moveRequested({row}, offset);
}

void SlideListView::paintEvent(QPaintEvent *event)
{
    QListView::paintEvent(event);
    if (!m_dragging || m_dropOffset < 0)
        return;
    const int count = model()->rowCount();
    int y = 0;
    if (count > 0) {
        y = m_dropOffset < count ? visualRect(model()->index(m_dropOffset, 0)).top()
                                 : visualRect(model()->index(count - 1, 0)).bottom() + 1;
    }
    QPainter painter(viewport());
    painter.fillRect(QRect(8, y - 1, viewport()->width() - 16, 2), AccentColors::blue());
}
