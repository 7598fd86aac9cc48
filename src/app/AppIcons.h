#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>

// The shell's own symbols, drawn as SVG in the application resources and
// tinted on demand.
namespace AppIcons {

enum class Symbol { SquareGrid2x2Fill, DocTextFill, TableCellsFill, RectangleInsetFill };

// The blue the shell draws its symbols and the edition line in.
inline QColor accentBlue() { return QColor(0x00, 0x7A, 0xFF); }

// `symbol` in `color`, `pixelSize` logical pixels square, rendered for
// `devicePixelRatio`.
QPixmap pixmap(Symbol symbol, const QColor &color, int pixelSize, qreal devicePixelRatio);

// `symbol` in `color` for the Normal mode and in `selectedColor` for the
// Selected mode, at `pixelSize` for 1x and 2x screens.
QIcon icon(Symbol symbol, const QColor &color, const QColor &selectedColor, int pixelSize);

} // namespace AppIcons
