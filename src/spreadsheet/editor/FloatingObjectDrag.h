#pragma once

#include "spreadsheet/engine/model/ExcelObject.h"

#include <QPointF>
#include <QRect>
#include <QSize>

// Dragging a floating object of the grid (ObjectDrag applied to an
// ExcelObject), and where its toolbar goes. Positions and sizes are in
// points, in the grid content's coordinates (origin at the corner cell's
// top-left corner); translations are pointer movements since the press.
namespace FloatingObjectDrag {

// Neither side of an object shrinks below this by resizing.
inline constexpr double minimumSize = 20;
// Gap between the object toolbar and the object's edge.
inline constexpr int toolbarGapAbove = 35;
inline constexpr int toolbarGapBelow = 12;

// `object` moved by the translation; x and y never go below 0.
ExcelObject moved(ExcelObject object, QPointF translation);

// `atDragStart` (the object as it was when the resize drag began) grown by
// the translation; each side at least minimumSize. The position is kept.
ExcelObject resized(ExcelObject atDragStart, QPointF translation);

// Top-left corner of the object toolbar for an object shown at `objectRect`
// (viewport coordinates) inside `visibleRect`: trailing edges aligned and
// toolbarGapAbove above the object; below it (toolbarGapBelow under its
// bottom) when there is no room above. Never left of the visible area.
QPoint toolbarPosition(QRect objectRect, QSize toolbarSize, QRect visibleRect);

} // namespace FloatingObjectDrag
