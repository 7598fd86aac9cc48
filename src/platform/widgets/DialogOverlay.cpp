#include "DialogOverlay.h"

#include "TranslucentPanel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QWidgetItem>

#include <cmath>

namespace {

constexpr qreal shadowOpacity = 0.33;
constexpr qreal cardCornerRadius = 12;

} // namespace

DialogOverlay::DialogOverlay(QWidget *parent)
    : QWidget(parent)
    , m_card(new TranslucentPanel(TranslucentPanel::Material::HudWindow,
                                  TranslucentPanel::Blending::BehindWindow, this))
{
    m_card->setCornerRadius(cardCornerRadius);
    hide();
    if (parent) {
        setGeometry(parent->rect());
        parent->installEventFilter(this);
    }
}

void DialogOverlay::open()
{
    if (parentWidget())
        setGeometry(parentWidget()->rect());
    placeCard(Placement::Centre);
    m_focusBeforeOpen = QApplication::focusWidget();
    show();
    raise();
    focusFirstChild();
}

void DialogOverlay::close()
{
    const bool hadFocus = isAncestorOf(QApplication::focusWidget());
    hide();
    if (hadFocus && m_focusBeforeOpen && m_focusBeforeOpen->isVisible())
        m_focusBeforeOpen->setFocus(Qt::OtherFocusReason);
    emit closed();
}

void DialogOverlay::setBackdropOpacity(qreal opacity)
{
    m_backdropOpacity = qBound<qreal>(0, opacity, 1);
    update();
}

void DialogOverlay::setShadowRadius(int radius)
{
    m_shadowRadius = qMax(0, radius);
    m_shadowCardSize = QSize();
    update();
}

void DialogOverlay::focusFirstChild()
{
    for (QWidget *w = m_card->nextInFocusChain(); w != m_card; w = w->nextInFocusChain()) {
        if (m_card->isAncestorOf(w) && (w->focusPolicy() & Qt::TabFocus) && w->isEnabled()
            && w->isVisible()) {
            w->setFocus(Qt::TabFocusReason);
            return;
        }
        if (w == this)
            break; // walked out of the overlay without meeting the card again
    }
    setFocus(Qt::OtherFocusReason);
}

// The card at the size a layout would give it: as wide as it asks and as
// high as that width needs, at most the overlay's size. Centred, or with
// its top edge where it was as far as the overlay's height allows.
void DialogOverlay::placeCard(Placement placement)
{
    const QWidgetItem item(m_card);
    const int cardWidth = qMin(width(), item.sizeHint().width());
    const int cardHeight = qMin(height(), item.hasHeightForWidth() ? item.heightForWidth(cardWidth)
                                                                   : item.sizeHint().height());
    int top = (height() - cardHeight) / 2;
    if (placement == Placement::KeepTop)
        top = qBound(0, m_card->y(), height() - cardHeight);
    const QRect before = m_card->geometry();
    const QRect after((width() - cardWidth) / 2, top, cardWidth, cardHeight);
    if (after == before)
        return;
    m_card->setGeometry(after);
    // The shadow lies outside the card, where moving the card repaints
    // nothing: repaint where it was and where it is now.
    const int r = m_shadowRadius;
    update(QRegion(before.adjusted(-r, -r, r, r)) + after.adjusted(-r, -r, r, r));
}

// The card's layout asks for another size when its content changes.
bool DialogOverlay::event(QEvent *event)
{
    if (event->type() == QEvent::LayoutRequest && isVisible())
        placeCard(Placement::KeepTop);
    return QWidget::event(event);
}

bool DialogOverlay::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void DialogOverlay::resizeEvent(QResizeEvent *)
{
    placeCard(Placement::Centre);
}

// The shadow of a card of the current size: a rounded rectangle softened by
// stacking faint copies that grow by one pixel each, built once per size.
const QPixmap &DialogOverlay::shadow()
{
    const QSize cardSize = m_card->size();
    if (m_shadowCardSize == cardSize)
        return m_shadow;
    m_shadowCardSize = cardSize;
    const int r = m_shadowRadius;
    const qreal dpr = devicePixelRatioF();
    m_shadow = QPixmap((cardSize + QSize(2 * r, 2 * r)) * dpr);
    m_shadow.setDevicePixelRatio(dpr);
    m_shadow.fill(Qt::transparent);
    if (r == 0)
        return m_shadow;
    // Each layer adds opacity `layer`, so the r layers that overlap at the
    // card's edge add up to shadowOpacity and fade to nothing r pixels out.
    const qreal layer = 1 - std::pow(1 - shadowOpacity, 1.0 / r);
    QPainter painter(&m_shadow);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromRgbF(0, 0, 0, layer));
    const QRectF cardRect(r, r, cardSize.width(), cardSize.height());
    const qreal radius = m_card->cornerRadius();
    for (int grow = 1; grow <= r; ++grow)
        painter.drawRoundedRect(cardRect.adjusted(-grow, -grow, grow, grow), radius + grow,
                                radius + grow);
    return m_shadow;
}

void DialogOverlay::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor::fromRgbF(0, 0, 0, m_backdropOpacity));
    if (m_shadowRadius > 0)
        painter.drawPixmap(m_card->pos() - QPoint(m_shadowRadius, m_shadowRadius), shadow());
}

bool DialogOverlay::isOnBackdrop(const QPoint &pos) const
{
    return rect().contains(pos) && !m_card->geometry().contains(pos);
}

void DialogOverlay::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    m_pressOnBackdrop = isOnBackdrop(event->position().toPoint());
}

// A click closes only when both press and release land on the backdrop, so
// a drag that starts on the card and ends outside it keeps the card open.
void DialogOverlay::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    const bool click = m_pressOnBackdrop && isOnBackdrop(event->position().toPoint());
    m_pressOnBackdrop = false;
    if (click && m_backdropClick == BackdropClick::Close)
        close();
}

void DialogOverlay::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
}

void DialogOverlay::wheelEvent(QWheelEvent *event)
{
    event->accept();
}

void DialogOverlay::keyPressEvent(QKeyEvent *event)
{
    event->accept();
}
