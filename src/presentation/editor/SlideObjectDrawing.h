#pragma once

#include "presentation/document/SlideObject.h"

#include <QColor>
#include <QFont>
#include <QRectF>

class QPainter;

// Drawing of slide objects shared by the editor canvas and the slide show.
// Stored values are never changed; what goes to Qt is clamped so a file
// holding a size of 0 or 1e300 draws something sane instead of failing.
namespace SlideObjectDrawing {

// Largest font pixel size and coordinate handed to Qt.
inline constexpr int maximumFontPixelSize = 2000;
inline constexpr double maximumCoordinate = 100000;

// The object's font at `scale` (1 on the canvas, 1.2 on the stage): `fontSize`
// pixels, bold and italic as stored, the pixel size clamped to 1…2000.
QFont font(const SlideObject &object, double scale, QFont base);
// The object's colour from its colour text (the fallback colour when invalid).
QColor color(const SlideObject &object);
// Its rectangle at `scale`, each value clamped to ±100000 and the size to ≥ 0.
QRectF rect(const SlideObject &object, double scale);
// Any number clamped as rect() clamps coordinates (NaN gives 0).
double clampedCoordinate(double value);

// A rectangle or circle filled with the object's colour, its text in white
// over the centre, `textPadding` in from the edges.
void paintShape(QPainter &painter, const SlideObject &object, const QRectF &rect,
                const QFont &font, double textPadding);
// The text of a text kind in the object's colour, wrapped inside `rect` and
// clipped to it. Of a long text only what fits is laid out; when lines are
// left out below, the text is aligned to the top so its start shows.
void paintText(QPainter &painter, const QString &text, const QColor &color, const QRectF &rect,
               const QFont &font, Qt::Alignment alignment);

} // namespace SlideObjectDrawing
