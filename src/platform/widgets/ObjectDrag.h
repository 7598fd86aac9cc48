#pragma once

#include <QPointF>
#include <QSizeF>

// The arithmetic of dragging an object on a canvas: moving it by the pointer
// and resizing it by a handle. Positions and sizes are in points; a
// translation is the pointer's movement since the press.
namespace ObjectDrag {

// A pointer movement shorter than this is a tap, not a drag.
inline constexpr double minimumDistance = 10;

// True once the pointer has travelled minimumDistance or more (Euclidean).
bool isDrag(QPointF translation);

// `position` moved by the translation; x and y never go below 0.
QPointF moved(QPointF position, QPointF translation);

// `sizeAtStart` (the size when the resize drag began) grown by the
// translation; each side at least `minimumSize`.
QSizeF resized(QSizeF sizeAtStart, QPointF translation, double minimumSize);

} // namespace ObjectDrag
