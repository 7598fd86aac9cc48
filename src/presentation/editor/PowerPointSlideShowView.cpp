#include "PowerPointSlideShowView.h"

#include "SlideShowStage.h"
#include "platform/widgets/SymbolIcon.h"
#include "platform/widgets/TextStyles.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <algorithm>

namespace {

constexpr int barSpacing = 30;
constexpr int barBottomPadding = 20;
constexpr int stackSpacing = 8;
constexpr int chevronSize = 24;

QToolButton *chevron(const QString &symbol, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setIcon(SymbolIcon::icon(symbol, QColor::fromRgbF(1, 1, 1, 0.7), chevronSize));
    button->setIconSize(QSize(chevronSize, chevronSize));
    button->setAutoRaise(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(QStringLiteral("QToolButton { border: none; background: transparent; }"));
    return button;
}

QPalette whiteText(QPalette palette)
{
    palette.setColor(QPalette::WindowText, Qt::white);
    palette.setColor(QPalette::ButtonText, Qt::white);
    return palette;
}

} // namespace

PowerPointSlideShowView::PowerPointSlideShowView(QList<Slide> slides, int startIndex, QWidget *parent)
    : QWidget(parent)
    , m_state(std::move(slides), startIndex)
    , m_stage(new SlideShowStage(this))
    , m_empty(TextStyles::label(QStringLiteral("表示するスライドがありません。"), TextStyle::Body, this))
{
    m_controlBar = createControlBar();
    setFocusPolicy(Qt::StrongFocus);
    m_empty->setPalette(whiteText(m_empty->palette()));
    m_empty->setAlignment(Qt::AlignCenter);
    m_empty->setAttribute(Qt::WA_TransparentForMouseEvents);
    if (parent)
        setGeometry(parent->rect());
    // The show starts where it was asked to, at step 0, without animation.
    m_state.reset();
    present(SlideShowMove::Nothing);
}

QWidget *PowerPointSlideShowView::createControlBar()
{
    auto *bar = new QWidget(this);
    bar->setPalette(whiteText(bar->palette()));
    auto *layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(barSpacing);
    m_back = chevron(QStringLiteral("chevron.left.circle.fill"), bar);
    m_position = TextStyles::label(QString(), TextStyle::Headline, bar);
    m_position->setPalette(whiteText(m_position->palette()));
    m_forward = chevron(QStringLiteral("chevron.right.circle.fill"), bar);
    m_close = new QPushButton(QStringLiteral("閉じる"), bar);
    m_close->setCursor(Qt::PointingHandCursor);
    m_close->setStyleSheet(QStringLiteral("QPushButton { color: white; background: rgba(255, 255, 255, 40);"
                                          " border: 1px solid rgba(255, 255, 255, 90); border-radius: 5px;"
                                          " padding: 3px 12px; }"
                                          "QPushButton:pressed { background: rgba(255, 255, 255, 80); }"));
    for (QWidget *widget : {static_cast<QWidget *>(m_back), static_cast<QWidget *>(m_position),
                            static_cast<QWidget *>(m_forward), static_cast<QWidget *>(m_close)})
        layout->addWidget(widget);
    connect(m_back, &QToolButton::clicked, this, &PowerPointSlideShowView::goBack);
    connect(m_forward, &QToolButton::clicked, this, &PowerPointSlideShowView::advance);
    connect(m_close, &QPushButton::clicked, this, &PowerPointSlideShowView::endShow);
    return bar;
}

void PowerPointSlideShowView::advance()
{
    if (!m_state.currentSlide()) {
        endShow(); // nothing to show: a click leaves
        return;
    }
    const SlideShowMove move = m_state.advance();
    if (move == SlideShowMove::End)
        endShow();
    else
        present(move);
}

void PowerPointSlideShowView::goBack()
{
    present(m_state.goBack());
}

void PowerPointSlideShowView::endShow()
{
    if (m_finished)
        return;
    m_finished = true;
    m_stage->finishAnimation();
    emit finished();
}

void PowerPointSlideShowView::present(SlideShowMove move)
{
    const bool hasSlide = m_state.currentSlide() != nullptr;
    m_stage->setVisible(hasSlide);
    m_controlBar->setVisible(hasSlide);
    m_empty->setVisible(!hasSlide);
    m_position->setText(m_state.positionText());
    m_stage->present(m_state, move);
    layOut();
}

// The stage keeps its 16:9 shape and shrinks, never grows, so that it and
// the bar under it always fit.
void PowerPointSlideShowView::layOut()
{
    const QSize bar = m_controlBar->sizeHint();
    const int barTop = height() - barBottomPadding - bar.height();
    m_controlBar->setGeometry((width() - bar.width()) / 2, barTop, bar.width(), bar.height());
    const QSize full = SlideShowStage::stageSize;
    const double available = std::max(0, barTop - 2 * stackSpacing);
    const double scale = std::clamp(std::min(double(width()) / full.width(), available / full.height()), 0.0, 1.0);
    const QSize stage(int(full.width() * scale), int(full.height() * scale));
    m_stage->setGeometry((width() - stage.width()) / 2, std::max(0, (barTop - stackSpacing - stage.height()) / 2),
                         stage.width(), stage.height());
    m_empty->setGeometry(rect());
}

void PowerPointSlideShowView::resizeEvent(QResizeEvent *)
{
    layOut();
}

void PowerPointSlideShowView::paintEvent(QPaintEvent *event)
{
    QPainter(this).fillRect(event->rect(), Qt::black);
}

void PowerPointSlideShowView::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

// Each press of a double-click counts, so two quick clicks go two steps.
void PowerPointSlideShowView::mouseDoubleClickEvent(QMouseEvent *event)
{
    mousePressEvent(event);
}

void PowerPointSlideShowView::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (!m_pressed || event->button() != Qt::LeftButton)
        return;
    m_pressed = false;
    if (rect().contains(event->position().toPoint()))
        advance();
}

// The show has no keyboard control; keys stop here so nothing under it
// changes unseen.
void PowerPointSlideShowView::keyPressEvent(QKeyEvent *event)
{
    event->accept();
}
