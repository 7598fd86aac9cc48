#include "TranslucentPanel.h"

#include "AccentColors.h"

#include <QPainter>
#include <QPainterPath>

namespace {

QPalette hudPalette()
{
    const QColor text(245, 245, 245);
    const QColor dim(255, 255, 255, 128);
    QPalette palette(QColor(72, 72, 74), QColor(44, 44, 46));
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::Text, text);
    palette.setColor(QPalette::ButtonText, text);
    palette.setColor(QPalette::BrightText, Qt::white);
    palette.setColor(QPalette::Base, QColor(30, 30, 32));
    palette.setColor(QPalette::AlternateBase, QColor(40, 40, 42));
    palette.setColor(QPalette::Highlight, AccentColors::blueOnDark());
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::PlaceholderText, dim);
    palette.setColor(QPalette::Link, AccentColors::blueOnDark());
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, dim);
    return palette;
}

} // namespace

TranslucentPanel::TranslucentPanel(Material material, Blending blending, QWidget *parent)
    : QWidget(parent)
    , m_material(material)
    , m_blending(blending)
{
    // The fill is partly transparent: what lies under the panel must show.
    setAutoFillBackground(false);
    applyMaterialPalette();
}

void TranslucentPanel::setMaterial(Material material)
{
    if (m_material == material)
        return;
    m_material = material;
    applyMaterialPalette();
    update();
}

void TranslucentPanel::setCornerRadius(qreal radius)
{
    m_cornerRadius = qMax<qreal>(0, radius);
    update();
}

QColor TranslucentPanel::fillColor(Material material, const QPalette &palette)
{
    const QColor window = palette.color(QPalette::Active, QPalette::Window);
    QColor fill;
    switch (material) {
    case Material::HudWindow:
        return QColor(36, 36, 38, 246); // nearly opaque: a card may lie over another card
    case Material::TitleBar:
        fill = window;
        break;
    case Material::UnderWindowBackground:
        fill = window.darker(103);
        break;
    case Material::Sidebar:
        fill = window.darker(106);
        break;
    case Material::Popover:
        fill = window.lighter(103);
        fill.setAlpha(248);
        return fill;
    }
    fill.setAlpha(235);
    return fill;
}

void TranslucentPanel::applyMaterialPalette()
{
    // An empty palette resolves nothing, so the panel inherits its parent's again.
    setPalette(m_material == Material::HudWindow ? hudPalette() : QPalette());
}

void TranslucentPanel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QColor fill = fillColor(m_material, palette());
    if (m_cornerRadius <= 0) {
        painter.fillRect(rect(), fill);
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(fill);
    painter.drawRoundedRect(QRectF(rect()), m_cornerRadius, m_cornerRadius);
}
