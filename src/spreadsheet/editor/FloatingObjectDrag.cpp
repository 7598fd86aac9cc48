#include "FloatingObjectDrag.h"

#include "platform/widgets/ObjectDrag.h"

#include <algorithm>

namespace FloatingObjectDrag {

ExcelObject moved(ExcelObject object, QPointF translation)
{
    const QPointF position = ObjectDrag::moved({object.x, object.y}, translation);
    object.x = position.x();
    object.y = position.y();
    return object;
}

ExcelObject resized(ExcelObject atDragStart, QPointF translation)
{
    const QSizeF size =
        ObjectDrag::resized({atDragStart.width, atDragStart.height}, translation, minimumSize);
    atDragStart.width = size.width();
    atDragStart.height = size.height();
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
