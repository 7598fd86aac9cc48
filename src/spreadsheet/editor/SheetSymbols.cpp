#include "SheetSymbols.h"

#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

// The resource lives in a static library, so it has to be registered by hand.
static void registerResource()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(SheetSymbols);
        return true;
    }();
    Q_UNUSED(registered);
}

namespace SheetSymbols {

QIcon icon(const QString &name, const QColor &color, int pixelSize)
{
    registerResource();
    QSvgRenderer renderer(QStringLiteral(":/sheet-symbols/%1.svg").arg(name));
    if (!renderer.isValid())
        return {};
    QIcon result;
    for (const int scale : {1, 2}) {
        QPixmap pixmap(pixelSize * scale, pixelSize * scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        renderer.render(&painter);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(pixmap.rect(), color);
        painter.end();
        pixmap.setDevicePixelRatio(scale);
        result.addPixmap(pixmap);
    }
    return result;
}

} // namespace SheetSymbols
