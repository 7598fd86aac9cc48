#pragma once

#include <QString>
#include <QStringView>
#include <optional>

// The marker style of a list level in WordprocessingML numbering. Ordered by
// value. None numbers its items without showing a marker.
enum class DocXListStyle {
    Bullet = 0,
    Decimal = 1,
    LowerLetter = 2,
    UpperLetter = 3,
    LowerRoman = 4,
    UpperRoman = 5,
    None = 6,
};

namespace DocXListStyles {

// 0…6; nothing for any other value.
std::optional<DocXListStyle> fromValue(int value);
// The style of a text list's marker format: the first numbering token it
// contains decides (none, decimal, lower latin, lower roman, upper latin,
// upper roman); every other marker is a bullet.
DocXListStyle fromMarkerFormat(QStringView markerFormat);
// The w:numFmt value: "bullet", "decimal", "lowerLetter"..., "none".
QString numberFormat(DocXListStyle style);

} // namespace DocXListStyles
