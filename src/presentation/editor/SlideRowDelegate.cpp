#include "SlideRowDelegate.h"

#include "SlideListModel.h"
#include "platform/widgets/AccentColors.h"
#include "platform/widgets/ColorHex.h"
#include "platform/widgets/TextStyles.h"

#include <QPainter>

namespace {

constexpr int rowPadding = 8;
constexpr int numberWidth = 20;
constexpr int spacing = 8;
constexpr int titleHeight = 18;
constexpr int swatchHeight = 50;
constexpr qreal swatchRadius = 4;

QFont titleFont(const QFont &base, bool isCurrent)
{
    QFont font = base;
    font.setPixelSize(13);
    font.setBold(isCurrent);
    return font;
}

} // namespace

QSize SlideRowDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const
{
    return {160, 2 * rowPadding + titleHeight + 4 + swatchHeight};
}

void SlideRowDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const
{
    const bool isCurrent = index.data(SlideListModel::IsCurrentRole).toBool();
    const QRect row = option.rect.adjusted(rowPadding, rowPadding, -rowPadding, -rowPadding);
    const QPalette &palette = option.palette;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);

    const QRect numberRect(row.left(), row.top(), numberWidth, row.height());
    QColor secondary = palette.color(QPalette::WindowText);
    secondary.setAlphaF(0.55);
    painter->setPen(secondary);
    painter->setFont(TextStyles::font(TextStyle::Caption, option.font));
    painter->drawText(numberRect, Qt::AlignCenter, QString::number(index.row() + 1));

    const int left = numberRect.right() + 1 + spacing;
    const QRect titleRect(left, row.top(), row.right() - left + 1, titleHeight);
    painter->setFont(titleFont(option.font, isCurrent));
    painter->setPen(isCurrent ? AccentColors::blue() : palette.color(QPalette::WindowText));
    const QString title = index.data(Qt::DisplayRole).toString();
    painter->drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter,
                      painter->fontMetrics().elidedText(title, Qt::ElideRight, titleRect.width()));

    const QRectF swatch(left, titleRect.bottom() + 1 + 4, titleRect.width(), swatchHeight);
    painter->setPen(Qt::NoPen);
    painter->setBrush(ColorHex::colorFromHex(index.data(SlideListModel::BackgroundColorHexRole).toString()));
    painter->drawRoundedRect(swatch, swatchRadius, swatchRadius);
    QColor outline = isCurrent ? AccentColors::blue() : QColor::fromRgbF(0.5, 0.5, 0.5, 0.3);
    painter->setPen(QPen(outline, 2));
    painter->setBrush(Qt::NoBrush);
    painter->drawRoundedRect(swatch.adjusted(1, 1, -1, -1), swatchRadius, swatchRadius);
    painter->restore();
}
