#include "RibbonButtons.h"

#include "platform/widgets/AccentColors.h"
#include "platform/widgets/SymbolIcon.h"
#include "platform/widgets/TranslucentPanel.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int IconSize = 16;
constexpr int Padding = 8;
const QColor Accent = AccentColors::blue();

void fillRounded(QPainter &painter, const QRectF &rect, qreal radius, const QColor &color)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    painter.fillPath(path, color);
}

} // namespace

RibbonIconButton::RibbonIconButton(const QString &symbol, const QString &toolTip, QWidget *parent)
    : QToolButton(parent)
    , m_symbol(symbol)
{
    setFocusPolicy(Qt::NoFocus);
    setToolTip(toolTip);
    setIcon(SymbolIcon::icon(symbol, QColor(40, 40, 44), IconSize));
    setIconSize(QSize(IconSize, IconSize));
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
}

QSize RibbonIconButton::sizeHint() const
{
    return QSize(IconSize + 2 * Padding, IconSize + 2 * Padding);
}

void RibbonIconButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    // The popover material, darker while pressed.
    QColor tile = TranslucentPanel::fillColor(TranslucentPanel::Material::Popover, palette());
    if (isDown())
        tile = QColor(0, 0, 0, 40);
    else if (underMouse())
        tile = tile.lighter(104);
    fillRounded(painter, QRectF(rect()), 8, tile);
    const QRect iconRect((width() - IconSize) / 2, (height() - IconSize) / 2, IconSize, IconSize);
    icon().paint(&painter, iconRect, Qt::AlignCenter, isEnabled() ? QIcon::Normal : QIcon::Disabled);
}

WordArtMenuButton::WordArtMenuButton(QWidget *parent)
    : QToolButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setPopupMode(QToolButton::InstantPopup);
    setToolTip(QStringLiteral("ワードアート風に装飾"));
    setCursor(Qt::PointingHandCursor);
}

QSize WordArtMenuButton::sizeHint() const
{
    return QSize(40, 16 + 2 * 6 + 4);
}

void WordArtMenuButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    fillRounded(painter, QRectF(rect()), 8, QColor(0, 0, 0, isDown() ? 50 : 26));
    QFont font = this->font();
    font.setPixelSize(14);
    font.setWeight(QFont::Black);
    painter.setFont(font);
    painter.setPen(QColor(255, 0, 0, 200));
    painter.drawText(QRectF(rect()).translated(1, 1), Qt::AlignCenter, QStringLiteral("A"));
    painter.setPen(QColor(255, 204, 0));
    painter.drawText(QRectF(rect()), Qt::AlignCenter, QStringLiteral("A"));
}

ToggleSwitch::ToggleSwitch(const QString &label, QWidget *parent)
    : QAbstractButton(parent)
{
    setText(label);
    setCheckable(true);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    QFont caption = font();
    caption.setPixelSize(11);
    setFont(caption);
}

QSize ToggleSwitch::sizeHint() const
{
    const int label = fontMetrics().horizontalAdvance(text());
    return QSize(label + 8 + 38, 24);
}

void ToggleSwitch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(palette().color(QPalette::WindowText));
    const int label = fontMetrics().horizontalAdvance(text());
    painter.drawText(QRect(0, 0, label, height()), Qt::AlignVCenter | Qt::AlignLeft, text());
    const QRectF track(label + 8, (height() - 22) / 2.0, 38, 22);
    fillRounded(painter, track, 11, isChecked() ? QColor(52, 199, 89) : QColor(120, 120, 128, 60));
    const qreal knobX = isChecked() ? track.right() - 20 : track.left() + 2;
    painter.setBrush(Qt::white);
    painter.setPen(QColor(0, 0, 0, 30));
    painter.drawEllipse(QRectF(knobX, track.top() + 2, 18, 18));
}

CapsuleButton::CapsuleButton(const QString &text, QWidget *parent)
    : QAbstractButton(parent)
{
    setText(text);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    QFont bold = font();
    bold.setBold(true);
    setFont(bold);
}

QSize CapsuleButton::sizeHint() const
{
    return QSize(fontMetrics().horizontalAdvance(text()) + 32, fontMetrics().height() + 16);
}

void CapsuleButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    fillRounded(painter, QRectF(rect()), qMin(20.0, height() / 2.0), isDown() ? AccentColors::pressedBlue() : Accent);
    painter.setPen(Qt::white);
    painter.drawText(rect(), Qt::AlignCenter, text());
}
