#pragma once

#include "Slide.h"

#include <QList>
#include <QRectF>
#include <QString>

// What a click of the slide show did, so its widget knows what to animate.
enum class SlideShowMove {
    Nothing,       // nothing changed
    Step,          // the step of the same slide went one up or down
    NextSlide,     // the next slide came at step 0
    PreviousSlide, // the previous slide came with every step played
    End,           // the last step of the last slide was passed: the show ends
};

// The position of a slide show over a copy of the slides: the slide on the
// stage and how many of its animation steps have been played. A slide's
// steps run from 0 to its step count, the largest animation order of its
// objects (0 when none is above 0).
class SlideShowState
{
public:
    // Geometry on the 960 × 540 stage is slide geometry times this.
    static constexpr double stageScale = 1.2;
    static constexpr int stepAnimationMilliseconds = 500;
    static constexpr int slideAnimationMilliseconds = 300;

    // Starts at slide 0, step 0; call reset() when the show comes on screen.
    SlideShowState(QList<Slide> slides, int startIndex);

    const QList<Slide> &slides() const { return m_slides; }
    int currentSlideIndex() const { return m_currentSlideIndex; }
    qint64 animationStep() const { return m_animationStep; }
    // The slide on the stage, or nullptr when the index lies outside the list.
    const Slide *currentSlide() const;

    static qint64 stepCount(const Slide &slide);
    // Shown at the current step: no animation, an order below 1, or an order
    // the steps played have reached.
    bool isVisible(const SlideObject &object) const;
    // "スライド <index + 1> / <count>".
    QString positionText() const;
    // Where the object lies on the stage.
    static QRectF stageRect(const SlideObject &object);

    // Moves to the start index at step 0.
    void reset();
    // The next step, else the next slide at step 0, else End (the state stays).
    // Nothing while the index lies outside the list.
    SlideShowMove advance();
    // The previous step, else the previous slide with all its steps played
    // (from beyond the list: the last slide), else Nothing.
    SlideShowMove goBack();

private:
    QList<Slide> m_slides;
    int m_startIndex;
    int m_currentSlideIndex = 0;
    qint64 m_animationStep = 0;
};
