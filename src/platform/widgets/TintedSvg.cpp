#include "TintedSvg.h"

#include <QPainter>
#include <QSvgRenderer>

namespace TintedSvg {

QPixmap pixmap(const QString &path, const QColor &color, int pixelSize, qreal devicePixelRatio)
{
    QSvgRenderer renderer(path);
    const int side = qRound(pixelSize * devicePixelRatio);
    if (!renderer.isValid() || pixelSize <= 0 || side <= 0)
        return {};
    QPixmap result(side, side);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    renderer.render(&painter, QRectF(0, 0, side, side));
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(result.rect(), color);
    painter.end();
    result.setDevicePixelRatio(devicePixelRatio);
    return result;
}

} // namespace TintedSvg
