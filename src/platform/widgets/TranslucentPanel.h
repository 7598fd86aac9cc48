#pragma once

#include <QWidget>

// A panel painting a tinted, partly transparent fill in place of a blurred
// system material. Children are laid out on it like on any widget.
//
// HudWindow paints a dark translucent fill and gives its children a dark
// palette (light text), so content stays readable whatever the window's
// palette is. The other materials tint the window colour of the current
// palette and leave the children's palette alone: UnderWindowBackground
// (behind a whole screen) and Sidebar (side columns) a little darker,
// TitleBar (toolbars, status bars) as it is, Popover (light dialog cards)
// a little lighter and nearly opaque, as it lies over a dimmed backdrop.
// The blending mode is kept as given; there is no blur either way.
class TranslucentPanel : public QWidget
{
    Q_OBJECT
public:
    enum class Material { HudWindow, TitleBar, UnderWindowBackground, Sidebar, Popover };
    enum class Blending { BehindWindow, WithinWindow };

    explicit TranslucentPanel(Material material, Blending blending, QWidget *parent = nullptr);

    Material material() const { return m_material; }
    void setMaterial(Material material);
    Blending blending() const { return m_blending; }

    // Radius of the rounded corners in pixels; 0 (the default) is square.
    qreal cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(qreal radius);

    // The fill the panel paints for `material` under `palette`.
    static QColor fillColor(Material material, const QPalette &palette);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void applyMaterialPalette();

    Material m_material;
    Blending m_blending;
    qreal m_cornerRadius = 0;
};
