#include "SidebarItemDelegate.h"

#include <QPainter>

namespace {

constexpr int rowInset = 10;      // highlight inset from the list's edges
constexpr int rowGap = 2;         // between the highlights of adjacent rows
constexpr int labelPadding = 8;   // above and below the label
constexpr int iconSize = 18;
constexpr int iconTextSpacing = 8;
constexpr qreal highlightRadius = 6;

} // namespace

void SidebarItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                const QModelIndex &index) const
{
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette::ColorGroup group =
        (option.state & QStyle::State_Active) ? QPalette::Active : QPalette::Inactive;
    const QRect row = option.rect.adjusted(rowInset, rowGap, -rowInset, -rowGap);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    if (selected) {
        painter->setPen(Qt::NoPen);
        painter->setBrush(option.palette.brush(group, QPalette::Highlight));
        painter->drawRoundedRect(QRectF(row), highlightRadius, highlightRadius);
    }

    const QColor textColor = option.palette.color(
        group, selected ? QPalette::HighlightedText : QPalette::WindowText);
    // A light selected text means a strong highlight: draw the icon light too.
    const bool lightIcon = selected && textColor.lightness() > 128;
    const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
    const QRect iconRect(row.left() + 8, row.center().y() - iconSize / 2 + 1, iconSize, iconSize);
    icon.paint(painter, iconRect, Qt::AlignCenter, lightIcon ? QIcon::Selected : QIcon::Normal);

    const QRect textRect = row.adjusted(8 + iconSize + iconTextSpacing, 0, -8, 0);
    painter->setFont(option.font);
    painter->setPen(textColor);
    const QString text = option.fontMetrics.elidedText(index.data(Qt::DisplayRole).toString(),
                                                       Qt::ElideRight, textRect.width());
    painter->drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, text);
    painter->restore();
}

QSize SidebarItemDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const int width = 2 * rowInset + 8 + iconSize + iconTextSpacing
                      + option.fontMetrics.horizontalAdvance(index.data().toString()) + 8;
    const int label = qMax(iconSize, option.fontMetrics.height());
    return QSize(width, label + 2 * labelPadding + 2 * rowGap);
}
