#include "SlideShowStage.h"

#include "SlideObjectDrawing.h"
#include "platform/widgets/ColorHex.h"

#include <QPainter>

namespace Draw = SlideObjectDrawing;

namespace {

QColor blend(const QColor &from, const QColor &to, double progress)
{
    const auto mix = [progress](double a, double b) { return a + (b - a) * progress; };
    return QColor::fromRgbF(float(mix(from.redF(), to.redF())), float(mix(from.greenF(), to.greenF())),
                            float(mix(from.blueF(), to.blueF())), float(mix(from.alphaF(), to.alphaF())));
}

} // namespace

SlideShowStage::SlideShowStage(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_animation.setStartValue(0.0);
    m_animation.setEndValue(1.0);
    m_animation.setEasingCurve(easeInOut());
    connect(&m_animation, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_progress = value.toDouble();
        update();
    });
    connect(&m_animation, &QVariantAnimation::finished, this, [this] {
        m_entering.clear();
        m_leaving.clear();
        m_blendBackground = false;
        m_progress = 1;
        update();
    });
}

QEasingCurve SlideShowStage::easeInOut()
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(QPointF(0.42, 0), QPointF(0.58, 1), QPointF(1, 1));
    return curve;
}

void SlideShowStage::finishAnimation()
{
    if (isAnimating())
        m_animation.setCurrentTime(m_animation.duration());
    m_animation.stop();
    m_entering.clear();
    m_leaving.clear();
    m_blendBackground = false;
    m_progress = 1;
    update();
}

void SlideShowStage::present(const SlideShowState &state, SlideShowMove move)
{
    finishAnimation();
    const Slide *slide = state.currentSlide();
    const Slide next = slide ? *slide : Slide();
    QSet<QUuid> visible;
    for (const SlideObject &object : next.objects) {
        if (state.isVisible(object))
            visible.insert(object.id);
    }

    const bool slideChange = move == SlideShowMove::NextSlide || move == SlideShowMove::PreviousSlide;
    if (move == SlideShowMove::Step || slideChange) {
        if (slideChange) {
            m_previousBackground = ColorHex::colorFromHex(m_slide.bgColorHex);
            m_blendBackground = true;
        }
        for (const SlideObject &object : std::as_const(m_slide.objects)) {
            const bool stillShown = !slideChange && visible.contains(object.id);
            if (m_visible.contains(object.id) && !stillShown && object.animationType != SlideAnimationType::None)
                m_leaving.append({object, slideChange});
        }
        for (const SlideObject &object : next.objects) {
            const bool wasShown = !slideChange && m_visible.contains(object.id);
            if (visible.contains(object.id) && !wasShown && object.animationType != SlideAnimationType::None)
                m_entering.insert(object.id);
        }
        m_progress = 0;
        m_animation.setDuration(slideChange ? SlideShowState::slideAnimationMilliseconds
                                            : SlideShowState::stepAnimationMilliseconds);
        m_animation.start();
    }
    m_slide = next;
    m_visible = std::move(visible);
    update();
}

void SlideShowStage::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setClipRect(rect());
    painter.fillRect(rect(), Qt::black);
    painter.scale(double(width()) / stageSize.width(), double(height()) / stageSize.height());
    const QRect stage(QPoint(), stageSize);
    const QColor background = ColorHex::colorFromHex(m_slide.bgColorHex);
    painter.fillRect(stage, m_blendBackground ? blend(m_previousBackground, background, m_progress) : background);

    for (const Leaving &leaving : std::as_const(m_leaving)) {
        if (leaving.fromPreviousSlide)
            paintObject(painter, leaving.object, 1 - m_progress);
    }
    for (const SlideObject &object : std::as_const(m_slide.objects)) {
        if (m_visible.contains(object.id)) {
            paintObject(painter, object, m_entering.contains(object.id) ? m_progress : 1);
            continue;
        }
        for (const Leaving &leaving : std::as_const(m_leaving)) {
            if (!leaving.fromPreviousSlide && leaving.object.id == object.id)
                paintObject(painter, object, 1 - m_progress);
        }
    }
}

// `shown` runs from 0 (out of view) to 1 (in place) through the object's
// entrance transition.
void SlideShowStage::paintObject(QPainter &painter, const SlideObject &object, double shown) const
{
    if (shown <= 0)
        return;
    const QRectF frame = Draw::rect(object, SlideShowState::stageScale);
    painter.save();
    if (shown < 1) {
        switch (object.animationType) {
        case SlideAnimationType::Fade:
            painter.setOpacity(shown);
            break;
        case SlideAnimationType::SlideIn:
            painter.translate(0, (1 - shown) * (stageSize.height() - frame.top()));
            break;
        case SlideAnimationType::Zoom:
            painter.translate(frame.center());
            painter.scale(shown, shown);
            painter.translate(-frame.center());
            break;
        case SlideAnimationType::None:
            break;
        }
    }
    const QFont objectFont = Draw::font(object, SlideShowState::stageScale, this->font());
    if (SlideObjectTypes::isTextKind(object.type))
        Draw::paintText(painter, object.text, Draw::color(object), frame, objectFont, Qt::AlignCenter);
    else
        Draw::paintShape(painter, object, frame, objectFont, 0);
    painter.restore();
}
