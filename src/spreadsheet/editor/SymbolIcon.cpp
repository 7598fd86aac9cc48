#include "SymbolIcon.h"

#include <QFile>
#include <QPainter>
#include <QtMath>
#include <QSvgRenderer>

static void initEditorResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(spreadsheet_editor);
        return true;
    }();
    Q_UNUSED(done);
}

namespace SymbolIcon {

QPixmap pixmap(const QString &name, const QColor &color, int pixelSize, qreal devicePixelRatio)
{
    initEditorResources();
    QSvgRenderer renderer(QStringLiteral(":/spreadsheet/icons/%1.svg").arg(name));
    if (!renderer.isValid() || pixelSize <= 0)
        return {};
    const int side = qCeil(pixelSize * devicePixelRatio);
    QPixmap result(side, side);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    renderer.render(&painter, QRectF(0, 0, side, side));
    // Keep the symbol's shape and alpha, replace its colour.
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(result.rect(), color);
    painter.end();
    result.setDevicePixelRatio(devicePixelRatio);
    return result;
}

QIcon icon(const QString &name, const QColor &color, int pixelSize, const QColor &checkedColor)
{
    QIcon result;
    result.addPixmap(pixmap(name, color, pixelSize), QIcon::Normal, QIcon::Off);
    if (checkedColor.isValid())
        result.addPixmap(pixmap(name, checkedColor, pixelSize), QIcon::Normal, QIcon::On);
    return result;
}

} // namespace SymbolIcon
