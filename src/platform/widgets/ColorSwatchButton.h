#pragma once

#include <QColor>
#include <QToolButton>

// A colour picker: a swatch that opens QColorDialog (alpha allowed).
// setColor() only loads a value and never emits colorPicked; colorPicked is
// emitted only when the user picks a colour in the dialog.
class ColorSwatchButton : public QToolButton
{
    Q_OBJECT
public:
    explicit ColorSwatchButton(QWidget *parent = nullptr);

    QColor color() const { return m_color; }
    void setColor(const QColor &color);

signals:
    void colorPicked(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void pick();
    QColor m_color = Qt::black;
};
