#include "DocXColor.h"

#include <QRgba64>

namespace DocXColor {

QString hexText(const QColor &color)
{
    if (!color.isValid())
        return QStringLiteral("FFFFFF");
    const QRgba64 rgb = color.toRgb().rgba64();
    // Integer arithmetic: channel / 65535 × 255 truncated, without the float
    // error that would turn 128 into 127.
    const auto byte = [](quint16 channel) { return int(quint32(channel) * 255u / 65535u); };
    return QStringLiteral("%1%2%3")
        .arg(byte(rgb.red()), 2, 16, QLatin1Char('0'))
        .arg(byte(rgb.green()), 2, 16, QLatin1Char('0'))
        .arg(byte(rgb.blue()), 2, 16, QLatin1Char('0'))
        .toUpper();
}

std::optional<QString> visibleHexText(const QColor &color)
{
    if (!color.isValid() || color.alpha() == 0)
        return std::nullopt;
    return hexText(color);
}

} // namespace DocXColor
