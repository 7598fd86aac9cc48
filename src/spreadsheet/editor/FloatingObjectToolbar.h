#pragma once

#include <QColor>
#include <QWidget>

class ColorSwatchButton;
class QToolButton;

// The small toolbar of a selected floating object: a colour picker and a
// delete button on a rounded, partly transparent plate.
// setColor() only loads the picker; colorPicked fires for a user's pick only.
class FloatingObjectToolbar : public QWidget
{
    Q_OBJECT
public:
    explicit FloatingObjectToolbar(QWidget *parent = nullptr);

    void setColor(const QColor &color);
    QColor color() const;

    ColorSwatchButton *colorButton() const { return m_colorButton; }
    QToolButton *deleteButton() const { return m_deleteButton; }

signals:
    void colorPicked(const QColor &color);
    void deleteRequested();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ColorSwatchButton *m_colorButton;
    QToolButton *m_deleteButton;
};
