#include "SlideCanvasArea.h"

#include "SlideCanvas.h"
#include "platform/widgets/TextStyles.h"

#include <QGridLayout>
#include <QLabel>

namespace {

constexpr int canvasPadding = 40;

} // namespace

SlideCanvasArea::SlideCanvasArea(SlideCanvas *canvas, QWidget *parent)
    : QScrollArea(parent)
    , m_canvas(canvas)
{
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);

    auto *content = new QWidget;
    content->setMinimumSize(minimumContentSize);
    content->setAutoFillBackground(true);
    QPalette tinted = content->palette();
    const QColor window = tinted.color(QPalette::Window);
    tinted.setColor(QPalette::Window, QColor::fromRgbF(window.redF() * 0.95, window.greenF() * 0.95,
                                                       window.blueF() * 0.95)); // black at 0.05
    content->setPalette(tinted);

    m_noSlideLabel = TextStyles::label(QStringLiteral("スライドがありません。"), TextStyle::Body,
                                       content, TextStyles::Tone::Secondary);
    m_noSlideLabel->hide();
    auto *layout = new QGridLayout(content);
    layout->setContentsMargins(canvasPadding, canvasPadding, canvasPadding, canvasPadding);
    layout->addWidget(m_canvas, 0, 0, Qt::AlignCenter);
    layout->addWidget(m_noSlideLabel, 0, 0, Qt::AlignCenter);
    setWidget(content);
}

void SlideCanvasArea::setHasSlide(bool hasSlide)
{
    m_canvas->setVisible(hasSlide);
    m_noSlideLabel->setVisible(!hasSlide);
}
