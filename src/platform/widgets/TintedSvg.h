#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>

// Symbols drawn as SVG and tinted on demand.
namespace TintedSvg {

// The SVG at `path` (a file or a ":/" resource) drawn `pixelSize` logical
// pixels square for `devicePixelRatio`, keeping its shape and alpha and
// taking its colour from `color`. A path without a valid SVG, or a size
// under 1, gives a null pixmap.
QPixmap pixmap(const QString &path, const QColor &color, int pixelSize, qreal devicePixelRatio);

} // namespace TintedSvg
