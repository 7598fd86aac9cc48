#pragma once

#include <QColor>

// The accent colours every screen shares, named once.
namespace AccentColors {

// The blue of selections, checked toggles and main actions on light surfaces.
inline QColor blue() { return QColor(0x00, 0x7A, 0xFF); }
// blue() under a pressed button.
inline QColor pressedBlue() { return QColor(0x00, 0x62, 0xCC); }
// The brighter blue that reads on dark surfaces (HUD cards and popovers).
inline QColor blueOnDark() { return QColor(0x0A, 0x84, 0xFF); }
// blueOnDark() under a pressed button.
inline QColor pressedBlueOnDark() { return QColor(0x00, 0x60, 0xDF); }
// The green of spreadsheet symbols on dark surfaces.
inline QColor greenOnDark() { return QColor(0x30, 0xD1, 0x58); }
// The red of error lines.
inline QColor red() { return QColor(0xFF, 0x3B, 0x30); }

} // namespace AccentColors
