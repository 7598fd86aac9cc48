#include "WordSymbols.h"

#include "platform/widgets/TintedSvg.h"

static void initWordResources()
{
    // The resources live in a static library: register them once by hand.
    static const bool done = [] {
        Q_INIT_RESOURCE(word);
        return true;
    }();
    Q_UNUSED(done);
}

namespace WordSymbols {

QString path(const QString &name)
{
    initWordResources();
    return QStringLiteral(":/word/icons/") + name + QStringLiteral(".svg");
}

QIcon icon(const QString &name, int pixelSize, const QColor &color)
{
    QIcon icon;
    for (qreal ratio : {1.0, 2.0}) {
        icon.addPixmap(TintedSvg::pixmap(path(name), color, pixelSize, ratio), QIcon::Normal);
        QColor disabled = color;
        disabled.setAlphaF(0.35f);
        icon.addPixmap(TintedSvg::pixmap(path(name), disabled, pixelSize, ratio), QIcon::Disabled);
    }
    return icon;
}

} // namespace WordSymbols
