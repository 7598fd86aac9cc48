#pragma once

#include <QColor>
#include <QString>

// Colour text ("#RRGGBB") to and from display colours.
namespace ColorHex {

// Trims from both ends every character that is not a letter, mark or number,
// reads the rest as hexadecimal (up to the first non-hex character, "0x"
// prefix allowed) and picks the reading by the trimmed length in characters
// as a user sees them: 3 → RGB×17, 6 → RRGGBB, 8 → AARRGGBB; any other length
// gives rgba(1, 1, 0, 1/255). Never fails.
QColor colorFromHex(const QString &hex);

// "#RRGGBB", upper case, components truncated, alpha dropped; "#FFFFFF" for
// an invalid colour.
QString toHex(const QColor &color);

} // namespace ColorHex
