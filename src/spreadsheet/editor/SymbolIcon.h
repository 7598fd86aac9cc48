#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

// The editor's own symbols ("folder.fill", "bold", "xmark.circle"...), drawn
// as SVG in the editor's resources and tinted on demand.
namespace SymbolIcon {

// The symbol `name` tinted with `color`, `pixelSize` logical pixels square,
// rendered for `devicePixelRatio`. An unknown name gives a null pixmap.
QPixmap pixmap(const QString &name, const QColor &color, int pixelSize,
               qreal devicePixelRatio = 2.0);

// An icon holding the tinted symbol; `checkedColor`, when valid, tints the
// On state (a checkable button's checked look).
QIcon icon(const QString &name, const QColor &color, int pixelSize,
           const QColor &checkedColor = QColor());

} // namespace SymbolIcon
