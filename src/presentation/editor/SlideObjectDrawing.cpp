#include "SlideObjectDrawing.h"

#include "BoxTextFitting.h"
#include "platform/widgets/ColorHex.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace SlideObjectDrawing {

double clampedCoordinate(double value)
{
    if (std::isnan(value))
        return 0;
    return std::clamp(value, -maximumCoordinate, maximumCoordinate);
}

QFont font(const SlideObject &object, double scale, QFont base)
{
    const double pixels = object.fontSize * scale;
    const int size = std::isfinite(pixels) ? int(std::clamp(std::round(pixels), 1.0, double(maximumFontPixelSize)))
                                           : 1;
    base.setPixelSize(size);
    base.setBold(object.isBold);
    base.setItalic(object.isItalic);
    return base;
}

QColor color(const SlideObject &object)
{
    return ColorHex::colorFromHex(object.colorHex);
}

QRectF rect(const SlideObject &object, double scale)
{
    const double width = std::max(0.0, clampedCoordinate(object.width * scale));
    const double height = std::max(0.0, clampedCoordinate(object.height * scale));
    return {clampedCoordinate(object.x * scale), clampedCoordinate(object.y * scale), width, height};
}

void paintShape(QPainter &painter, const SlideObject &object, const QRectF &rect,
                const QFont &font, double textPadding)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color(object));
    if (object.type == SlideObjectType::Circle)
        painter.drawEllipse(rect);
    else
        painter.drawRect(rect);
    painter.restore();
    if (!object.text.isEmpty()) {
        const QRectF textRect = rect.adjusted(textPadding, textPadding, -textPadding, -textPadding);
        paintText(painter, object.text, Qt::white, textRect, font, Qt::AlignCenter);
    }
}

void paintText(QPainter &painter, const QString &text, const QColor &color, const QRectF &rect,
               const QFont &font, Qt::Alignment alignment)
{
    const BoxTextFitting::Fitted fitted = BoxTextFitting::fit(text, font, rect.size());
    if (fitted.cutBelow) // what fits is shown from its first line
        alignment = (alignment & ~Qt::AlignVertical_Mask) | Qt::AlignTop;
    painter.save();
    painter.setFont(font);
    painter.setPen(color);
    painter.drawText(rect, int(alignment) | Qt::TextWordWrap, fitted.text);
    painter.restore();
}

} // namespace SlideObjectDrawing
