#pragma once

#include <QColor>
#include <QToolButton>
#include <functional>

// A colour picker: a swatch that opens QColorDialog (alpha allowed).
// setColor() only loads a value and never emits colorPicked; colorPicked is
// emitted only when the user picks a colour in the dialog, even one equal to
// the current colour. Cancelling the dialog changes nothing.
class ColorSwatchButton : public QToolButton
{
    Q_OBJECT
public:
    // Asks the user for a colour starting at `initial` (the swatch's colour,
    // made opaque when it is fully transparent); an invalid colour means
    // cancelled. Tests inject their own so no dialog blocks.
    using ColorChooser = std::function<QColor(QWidget *parent, const QColor &initial)>;

    explicit ColorSwatchButton(QWidget *parent = nullptr);

    QColor color() const { return m_color; }
    void setColor(const QColor &color);

    void setColorChooser(ColorChooser chooser) { m_chooser = std::move(chooser); }

    QSize sizeHint() const override;

signals:
    void colorPicked(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void pick();
    QColor m_color = Qt::black;
    ColorChooser m_chooser;
};
