#include "SymbolIcon.h"

#include "platform/widgets/TintedSvg.h"

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
    return TintedSvg::pixmap(QStringLiteral(":/spreadsheet/icons/%1.svg").arg(name), color, pixelSize,
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

} // namespace SymbolIcon
