#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

// The word processor's symbols ("bold", "list.bullet", "printer"...), our own
// SVG drawings in the module's resources, tinted on demand.
namespace WordSymbols {

// The resource path of symbol `name`.
QString path(const QString &name);

// An icon of symbol `name`, `pixelSize` logical pixels square, in `color`
// (dark grey by default), with a paler disabled state.
QIcon icon(const QString &name, int pixelSize, const QColor &color = QColor(40, 40, 44));

} // namespace WordSymbols
