#pragma once

#include "presentation/document/SlideShowState.h"

#include <QColor>
#include <QHash>
#include <QSet>
#include <QVariantAnimation>
#include <QWidget>

// The 960 × 540 stage of the slide show, drawn at the widget's size (the
// show scales it down when the window is smaller, never up). Objects draw
// at 1.2 times their slide geometry, text centred without padding, and
// anything outside the stage is cut off. present() shows the state after a
// move and animates what changed: objects coming into or out of view by
// their animation (fade: opacity, slide-in: from the bottom edge, zoom:
// scale), 0.5 s for a step and 0.3 s for a slide change, on the ease-in-out
// curve (0.42, 0, 0.58, 1); the background blends during a slide change.
class SlideShowStage : public QWidget
{
    Q_OBJECT
public:
    static constexpr QSize stageSize{960, 540};

    explicit SlideShowStage(QWidget *parent = nullptr);

    // Shows the state's slide at its step; `move` says what to animate
    // (Nothing and End: jump there without animation).
    void present(const SlideShowState &state, SlideShowMove move);
    bool isAnimating() const { return m_animation.state() == QAbstractAnimation::Running; }
    // Ends a running animation at once.
    void finishAnimation();

    // The ease-in-out curve of every step and slide change.
    static QEasingCurve easeInOut();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct Leaving {
        SlideObject object;
        bool fromPreviousSlide;
    };

    void paintObject(QPainter &painter, const SlideObject &object, double shown) const;

    Slide m_slide;
    QSet<QUuid> m_visible;
    QSet<QUuid> m_entering;
    QList<Leaving> m_leaving;
    QColor m_previousBackground;
    bool m_blendBackground = false;
    double m_progress = 1;
    QVariantAnimation m_animation;
};
