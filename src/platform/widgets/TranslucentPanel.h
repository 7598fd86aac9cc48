#pragma once

#include <QWidget>

// A panel painting a tinted, partly transparent fill in place of a blurred
// system material. Children are laid out on it like on any widget.
class TranslucentPanel : public QWidget
{
    Q_OBJECT
public:
    enum class Material { HudWindow, TitleBar };
    enum class Blending { BehindWindow, WithinWindow };

    explicit TranslucentPanel(Material material, Blending blending, QWidget *parent = nullptr);

    Material material() const { return m_material; }
    void setMaterial(Material material);
    Blending blending() const { return m_blending; }
    void setBlending(Blending blending);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Material m_material;
    Blending m_blending;
};
