#pragma once

#include <QPointF>
#include <QWidget>

// The blue handle at the bottom-right corner of the selected object, 14
// points across with its centre on the corner. It lies on the canvas above
// every object, so it takes clicks also where it sticks out of its object.
// A press followed by a move of 10 points or more is a resize drag:
// dragged() reports the translation since the press, in canvas coordinates,
// on every move; dragFinished() follows the release.
class ObjectResizeHandle : public QWidget
{
    Q_OBJECT
public:
    static constexpr int diameter = 14;

    explicit ObjectResizeHandle(QWidget *canvas);

    // Centres the handle on `corner` (canvas coordinates).
    void placeAt(QPointF corner);

signals:
    void dragStarted();
    void dragged(QPointF translation);
    void dragFinished();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QPointF canvasPosition(const QMouseEvent *event) const;

    QPointF m_pressPosition;
    bool m_pressed = false;
    bool m_dragging = false;
};
