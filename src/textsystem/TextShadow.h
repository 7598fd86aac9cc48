#pragma once

#include "textsystem/RealEquality.h"

#include <QColor>
#include <QPointF>

// A drop shadow under the glyphs. `offset` in points, x to the right and y
// upwards (a shadow below the text has a negative y); `blurRadius` in points.
struct TextShadow
{
    QColor color;
    QPointF offset;
    double blurRadius = 0.0;

    friend bool operator==(const TextShadow &a, const TextShadow &b)
    {
        return a.color == b.color && sameReal(a.offset.x(), b.offset.x()) && sameReal(a.offset.y(), b.offset.y())
            && sameReal(a.blurRadius, b.blurRadius);
    }
};
