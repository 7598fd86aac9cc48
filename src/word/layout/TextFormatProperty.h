#pragma once

#include "textsystem/StyledTextDocument.h"

#include <QTextFormat>

class QTextCharFormat;

// The character format properties the editor reads and writes beyond Qt's
// own; they are the ones the styled-text conversion saves and reads back.
namespace TextFormatProperty {

// double: outline width as a percentage of the font size; negative means
// filled with the foreground colour and outlined, positive outlined only.
constexpr int StrokeWidth = StyledTextDocument::StrokeWidth;
constexpr int StrokeColor = StyledTextDocument::StrokeColor;
// QColor; its presence marks the run as shadowed.
constexpr int ShadowColor = StyledTextDocument::ShadowColor;
// QPointF in points: x to the right, y upwards, so (3, -3) is right and down.
constexpr int ShadowOffset = StyledTextDocument::ShadowOffset;
constexpr int ShadowBlurRadius = StyledTextDocument::ShadowBlurRadius;

// Exact values read from a file, which take precedence over Qt's own when
// the text is saved: a command that changes what they describe drops them.
constexpr int ExactPointSize = StyledTextDocument::FontPointSize;
constexpr int ExactFaceName = StyledTextDocument::FontFaceName;
constexpr int ExactUnderlineStyle = StyledTextDocument::UnderlineStyle;
constexpr int ExactStrikethroughStyle = StyledTextDocument::StrikethroughStyle;
constexpr int Attachment = StyledTextDocument::Attachment;

// Brings the pen Qt draws outlines with in line with StrokeWidth and
// StrokeColor at the format's font size (`fallbackSize` pixels when the
// format has none); no stroke clears the pen.
void syncOutline(QTextCharFormat &format, qreal fallbackSize);

// The font size in pixels that `format` shows in: its pixel size, else its
// point size, else `fallbackSize`.
qreal pixelSize(const QTextCharFormat &format, qreal fallbackSize);

// `format` without the properties that make a run a picture (the object
// type, the image's name and size, the attachment), so what is typed after
// a picture is text.
QTextCharFormat withoutObject(QTextCharFormat format);

} // namespace TextFormatProperty
