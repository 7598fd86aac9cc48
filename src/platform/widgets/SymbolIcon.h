#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

// The symbols every screen draws ("folder.fill", "bold", "tablecells.fill"…),
// one SVG each in the shared resources (":/icons/<name>.svg"), tinted on
// demand.
namespace SymbolIcon {

// The symbol `name` tinted with `color`, `pixelSize` logical pixels square,
// rendered for `devicePixelRatio`. An unknown name gives a null pixmap.
QPixmap pixmap(const QString &name, const QColor &color, int pixelSize,
               qreal devicePixelRatio = 2.0);

// A button's icon, drawn for 2x screens: `color` in the Off state and,
// when `checkedColor` is valid, `checkedColor` in the On state (a
// checkable button's checked look).
QIcon icon(const QString &name, const QColor &color, int pixelSize,
           const QColor &checkedColor = QColor());

// A list row's icon, drawn for 1x and 2x screens: `color` in the Normal
// mode, `selectedColor` in the Selected mode (the row under the highlight).
QIcon rowIcon(const QString &name, const QColor &color, const QColor &selectedColor,
              int pixelSize);

} // namespace SymbolIcon
