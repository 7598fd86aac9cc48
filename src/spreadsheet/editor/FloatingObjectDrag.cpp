#include "FloatingObjectDrag.h"

#include <QLineF>
#include <algorithm>

namespace FloatingObjectDrag {

bool isDrag(QPointF translation)
{
    return QLineF(QPointF(), translation).length() >= minimumDistance;
}

ExcelObject moved(ExcelObject object, QPointF translation)
{
    object.x = std::max(0.0, object.x + translation.x());
    object.y = std::max(0.0, object.y + translation.y());
    return object;
}

ExcelObject resized(ExcelObject atDragStart, QPointF translation)
{
    atDragStart.width = std::max(minimumSize, atDragStart.width + translation.x());
    atDragStart.height = std::max(minimumSize, atDragStart.height + translation.y());
    return atDragStart;
}

QPoint toolbarPosition(QRect objectRect, QSize toolbarSize, QRect visibleRect)
{
    const int left = std::max(visibleRect.left(), objectRect.right() + 1 - toolbarSize.width());
    const int aboveTop = objectRect.top() - toolbarGapAbove - toolbarSize.height();
    if (aboveTop >= visibleRect.top())
        return {left, aboveTop};
    return {left, objectRect.bottom() + 1 + toolbarGapBelow};
}

} // namespace FloatingObjectDrag
