#include "AppIcons.h"

#include "platform/widgets/TintedSvg.h"

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

namespace AppIcons {

namespace {

QString resourcePath(Symbol symbol)
{
    switch (symbol) {
    case Symbol::SquareGrid2x2Fill:
        return QStringLiteral(":/icons/square.grid.2x2.fill.svg");
    case Symbol::DocTextFill:
        return QStringLiteral(":/icons/doc.text.fill.svg");
    case Symbol::TableCellsFill:
        return QStringLiteral(":/icons/tablecells.fill.svg");
    case Symbol::RectangleInsetFill:
        return QStringLiteral(":/icons/rectangle.inset.fill.svg");
    }
    return {};
}

} // namespace

QPixmap pixmap(Symbol symbol, const QColor &color, int pixelSize, qreal devicePixelRatio)
{
    registerResources();
    return TintedSvg::pixmap(resourcePath(symbol), color, pixelSize, devicePixelRatio);
}

QIcon icon(Symbol symbol, const QColor &color, const QColor &selectedColor, int pixelSize)
{
    QIcon result;
    for (qreal ratio : {1.0, 2.0}) {
        result.addPixmap(pixmap(symbol, color, pixelSize, ratio), QIcon::Normal);
        result.addPixmap(pixmap(symbol, selectedColor, pixelSize, ratio), QIcon::Selected);
    }
    return result;
}

} // namespace AppIcons
