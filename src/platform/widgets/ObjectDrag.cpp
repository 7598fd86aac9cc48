#include "ObjectDrag.h"

#include <QLineF>
#include <algorithm>

namespace ObjectDrag {

bool isDrag(QPointF translation)
{
    return QLineF(QPointF(), translation).length() >= minimumDistance;
}

QPointF moved(QPointF position, QPointF translation)
{
    return {std::max(0.0, position.x() + translation.x()),
            std::max(0.0, position.y() + translation.y())};
}

QSizeF resized(QSizeF sizeAtStart, QPointF translation, double minimumSize)
{
    return {std::max(minimumSize, sizeAtStart.width() + translation.x()),
            std::max(minimumSize, sizeAtStart.height() + translation.y())};
}

} // namespace ObjectDrag
