#include "SymbolIcon.h"

#include "TintedSvg.h"

// The resources live in a static library: nothing refers to them, so the
// linker would drop them unless they are registered by name here.
static void registerResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(resources);
        return true;
    }();
    Q_UNUSED(registered);
}

namespace SymbolIcon {

QPixmap pixmap(const QString &name, const QColor &color, int pixelSize, qreal devicePixelRatio)
{
    registerResources();
    return TintedSvg::pixmap(QStringLiteral(":/icons/%1.svg").arg(name), color, pixelSize,
                             devicePixelRatio);
}

QIcon icon(const QString &name, const QColor &color, int pixelSize, const QColor &checkedColor)
{
    QIcon result;
    result.addPixmap(pixmap(name, color, pixelSize), QIcon::Normal, QIcon::Off);
    if (checkedColor.isValid())
        result.addPixmap(pixmap(name, checkedColor, pixelSize), QIcon::Normal, QIcon::On);
    return result;
}

QIcon rowIcon(const QString &name, const QColor &color, const QColor &selectedColor, int pixelSize)
{
    QIcon result;
    for (qreal ratio : {1.0, 2.0}) {
        result.addPixmap(pixmap(name, color, pixelSize, ratio), QIcon::Normal);
        result.addPixmap(pixmap(name, selectedColor, pixelSize, ratio), QIcon::Selected);
    }
    return result;
}

} // namespace SymbolIcon
