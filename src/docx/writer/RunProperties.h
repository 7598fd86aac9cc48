#pragma once

#include "platform/XmlElement.h"
#include "textsystem/FontDescriptor.h"
#include "textsystem/TextAttributes.h"

#include <QString>
#include <vector>

// The run properties w:rPr of one attribute run, and the small run-level
// elements that carry them.
namespace RunProperties {

enum class FontFamily { Written, Omitted };

// w:rFonts (family, or face name without one; left out when both are empty),
// w:sz in half-points (left out when not a valid size), then w:b and w:i.
std::vector<XmlElement> fontElements(const FontDescriptor &font);

// w:rPr for `attributes`, its children in schema order: rStyle, rFonts, b, i,
// strike, dstrike, color, sz, u, shd, vertAlign, w14:textOutline. Always an
// element, possibly empty. With FontFamily::Omitted w:rFonts is left out.
XmlElement element(const TextAttributes &attributes, FontFamily fontFamily = FontFamily::Written);

// The same with w:sz replaced by `halfPoints` (ruby text).
XmlElement elementWithSize(const TextAttributes &attributes, qint64 halfPoints);

// The w:val of w:u for a line style: "words", a pattern (heavy on a thick
// line), "double", "thick", "single" or "none".
QString underlineValue(int style);

// w:color (the fill) and w14:textOutline for a stroked run; nothing when the
// stroke width or the font size is not a finite number.
std::vector<XmlElement> textOutlineElements(double strokeWidth, const FontDescriptor &font,
                                            const TextAttributes &attributes);

} // namespace RunProperties
