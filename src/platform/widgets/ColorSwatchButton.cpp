#include "ColorSwatchButton.h"

#include <QColorDialog>
#include <QPainter>
#include <QPainterPath>
#include <QStyleOptionToolButton>
#include <QStylePainter>

namespace {

QColor chooseWithDialog(QWidget *parent, const QColor &initial)
{
    return QColorDialog::getColor(initial, parent, QString(), QColorDialog::ShowAlphaChannel);
}

// Light and dark squares under a translucent colour, so its alpha shows.
void paintCheckerboard(QPainter &painter, const QRect &rect)
{
    constexpr int cell = 4;
    painter.fillRect(rect, Qt::white);
    for (int y = rect.top(); y <= rect.bottom(); y += cell) {
        for (int x = rect.left() + ((y - rect.top()) / cell % 2) * cell; x <= rect.right();
             x += 2 * cell)
            painter.fillRect(QRect(x, y, cell, cell).intersected(rect), QColor(204, 204, 204));
    }
}

} // namespace

ColorSwatchButton::ColorSwatchButton(QWidget *parent)
    : QToolButton(parent)
    , m_chooser(chooseWithDialog)
{
    setAutoRaise(true);
    connect(this, &QToolButton::clicked, this, &ColorSwatchButton::pick);
}

void ColorSwatchButton::setColor(const QColor &color)
{
    if (color == m_color)
        return; // views reload their controls on every document write
    m_color = color;
    update();
}

QSize ColorSwatchButton::sizeHint() const
{
    return QSize(32, 24);
}

void ColorSwatchButton::pick()
{
    // The dialog keeps the alpha it starts with when a swatch is clicked, so
    // a clear colour (no colour) is offered opaque: a pick is then visible.
    QColor start = m_color;
    if (start.alpha() == 0)
        start.setAlpha(255);
    const QColor chosen = m_chooser(this, start);
    if (!chosen.isValid())
        return;
    setColor(chosen);
    emit colorPicked(chosen);
}

void ColorSwatchButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon();
    painter.drawComplexControl(QStyle::CC_ToolButton, option);

    const QRect swatch = rect().adjusted(5, 5, -5, -5);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath outline;
    outline.addRoundedRect(QRectF(swatch), 3, 3);
    painter.save();
    painter.setClipPath(outline);
    if (m_color.alpha() < 255)
        paintCheckerboard(painter, swatch);
    painter.fillRect(swatch, m_color);
    painter.restore();
    QColor border = palette().color(QPalette::WindowText);
    border.setAlpha(isEnabled() ? 90 : 40);
    painter.setPen(QPen(border, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(outline);
}
