#pragma once

#include <QStyledItemDelegate>

// Paints a row of the slide list: the slide number, the title (bold and blue
// for the current slide) and a 50-point swatch of the background colour
// outlined in blue for the current slide, grey otherwise.
class SlideRowDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
