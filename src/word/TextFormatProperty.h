#pragma once

#include <QTextFormat>

class QTextCharFormat;

// Character format properties of ours for what QTextFormat has no property
// for. They travel with the text through undo, copy and paste inside the
// editor.
namespace TextFormatProperty {

enum : int {
    // double: outline width as a percentage of the font size; negative means
    // filled with the foreground colour and outlined, positive outlined only.
    StrokeWidth = QTextFormat::UserProperty + 0x400,
    StrokeColor,      // QColor of the outline
    ShadowColor,      // QColor; its presence marks the run as shadowed
    ShadowOffset,     // QPointF in points: x to the right, y upwards, so (3, -3) is right and down
    ShadowBlurRadius, // double, points
};

// Brings the pen Qt draws outlines with in line with StrokeWidth and
// StrokeColor at the format's font size (`fallbackSize` pixels when the
// format has none); no stroke clears the pen.
void syncOutline(QTextCharFormat &format, qreal fallbackSize);

// The font size in pixels that `format` shows in: its pixel size, else its
// point size, else `fallbackSize`.
qreal pixelSize(const QTextCharFormat &format, qreal fallbackSize);

} // namespace TextFormatProperty
