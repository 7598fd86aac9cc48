#pragma once

#include <QScrollArea>

class QLabel;
class SlideCanvas;

// The scrollable area around the slide canvas: at least 880 × 530, the
// canvas centred with 40 points around it, or "スライドがありません。"
// while the current slide index lies outside the list.
class SlideCanvasArea : public QScrollArea
{
    Q_OBJECT
public:
    static constexpr QSize minimumContentSize{880, 530};

    SlideCanvasArea(SlideCanvas *canvas, QWidget *parent = nullptr);

    // Shows the canvas, or the message when `hasSlide` is false.
    void setHasSlide(bool hasSlide);
    QLabel *noSlideLabel() const { return m_noSlideLabel; }

private:
    SlideCanvas *m_canvas;
    QLabel *m_noSlideLabel;
};
