#include "TextFormatProperty.h"

#include <QPen>
#include <QTextCharFormat>

#include <cmath>

namespace TextFormatProperty {

qreal pixelSize(const QTextCharFormat &format, qreal fallbackSize)
{
    if (format.hasProperty(QTextFormat::FontPixelSize) && format.intProperty(QTextFormat::FontPixelSize) > 0)
        return format.intProperty(QTextFormat::FontPixelSize);
    if (format.hasProperty(QTextFormat::FontPointSize) && format.fontPointSize() > 0)
        return format.fontPointSize();
    return fallbackSize;
}

void syncOutline(QTextCharFormat &format, qreal fallbackSize)
{
    const double width = format.doubleProperty(StrokeWidth);
    if (!format.hasProperty(StrokeWidth) || width == 0 || !std::isfinite(width)) {
        format.clearProperty(QTextFormat::TextOutline);
        return;
    }
    QColor color = format.colorProperty(StrokeColor);
    if (!color.isValid())
        color = Qt::black;
    QPen pen(color, std::abs(width) / 100.0 * pixelSize(format, fallbackSize));
    pen.setJoinStyle(Qt::RoundJoin);
    format.setTextOutline(pen);
}

QTextCharFormat withoutObject(QTextCharFormat format)
{
    // Text typed after a picture has the picture's format without the
    // object type, so each property is looked for on its own.
    for (int property : {int(QTextFormat::ObjectType), int(QTextFormat::ImageName), int(QTextFormat::ImageWidth),
                         int(QTextFormat::ImageHeight), int(QTextFormat::ImageTitle),
                         int(QTextFormat::ImageAltText), int(QTextFormat::ImageQuality),
                         TextFormatProperty::Attachment}) {
        if (format.hasProperty(property))
            format.clearProperty(property);
    }
    return format;
}

} // namespace TextFormatProperty
