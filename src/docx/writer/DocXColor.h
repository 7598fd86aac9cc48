#pragma once

#include <QColor>
#include <QString>
#include <optional>

namespace DocXColor {

// Six upper-case hexadecimal digits RRGGBB of the colour's RGB form, each
// channel × 255 truncated; "FFFFFF" for an invalid colour.
QString hexText(const QColor &color);
// hexText(), or nothing for a colour that cannot be converted (invalid) or is
// fully transparent: the element that would carry it is left out, since
// white would make text vanish on white paper.
std::optional<QString> visibleHexText(const QColor &color);

} // namespace DocXColor
