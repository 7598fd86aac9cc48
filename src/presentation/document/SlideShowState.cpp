#include "SlideShowState.h"

#include <algorithm>

SlideShowState::SlideShowState(QList<Slide> slides, int startIndex)
    : m_slides(std::move(slides)), m_startIndex(startIndex)
{
}

const Slide *SlideShowState::currentSlide() const
{
    const bool inside = m_currentSlideIndex >= 0 && m_currentSlideIndex < m_slides.size();
    return inside ? &m_slides[m_currentSlideIndex] : nullptr;
}

qint64 SlideShowState::stepCount(const Slide &slide)
{
    qint64 count = 0;
    for (const SlideObject &object : slide.objects)
        count = std::max(count, object.animationOrder);
    return count;
}

bool SlideShowState::isVisible(const SlideObject &object) const
{
    return object.animationType == SlideAnimationType::None || object.animationOrder < 1
           || m_animationStep >= object.animationOrder;
}

QString SlideShowState::positionText() const
{
    return QStringLiteral("スライド %1 / %2").arg(m_currentSlideIndex + 1).arg(m_slides.size());
}

QRectF SlideShowState::stageRect(const SlideObject &object)
{
    return {object.x * stageScale, object.y * stageScale, object.width * stageScale,
            object.height * stageScale};
}

void SlideShowState::reset()
{
    m_currentSlideIndex = m_startIndex;
    m_animationStep = 0;
}

SlideShowMove SlideShowState::advance()
{
    const Slide *slide = currentSlide();
    if (!slide)
        return SlideShowMove::Nothing;
    if (m_animationStep < stepCount(*slide)) {
        ++m_animationStep;
        return SlideShowMove::Step;
    }
    if (m_currentSlideIndex + 1 >= m_slides.size())
        return SlideShowMove::End;
    ++m_currentSlideIndex;
    m_animationStep = 0;
    return SlideShowMove::NextSlide;
}

SlideShowMove SlideShowState::goBack()
{
    if (m_animationStep >= 1) {
        --m_animationStep;
        return SlideShowMove::Step;
    }
    if (m_currentSlideIndex < 1 || m_slides.isEmpty())
        return SlideShowMove::Nothing;
    m_currentSlideIndex = int(std::min<qsizetype>(m_currentSlideIndex, m_slides.size())) - 1;
    m_animationStep = stepCount(m_slides[m_currentSlideIndex]);
    return SlideShowMove::PreviousSlide;
}
