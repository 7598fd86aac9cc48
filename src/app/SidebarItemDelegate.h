#pragma once

#include <QStyledItemDelegate>

// Paints a sidebar link: its icon and title, with padding 8 above and below,
// on a rounded highlight while selected.
class SidebarItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};
