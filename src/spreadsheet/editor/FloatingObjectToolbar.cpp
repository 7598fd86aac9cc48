#include "FloatingObjectToolbar.h"

#include "platform/widgets/SymbolIcon.h"
#include "platform/widgets/ColorSwatchButton.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

namespace {

constexpr int deleteIconSize = 11;
constexpr int deletePadding = 4;

QToolButton *makeDeleteButton(QWidget *parent)
{
    auto *button = new QToolButton(parent);
    const int side = deleteIconSize + 2 * deletePadding;
    button->setFixedSize(side, side);
    button->setIconSize(QSize(deleteIconSize, deleteIconSize));
    button->setIcon(SymbolIcon::icon(QStringLiteral("trash.fill"), Qt::white, deleteIconSize));
    button->setCursor(Qt::PointingHandCursor);
    button->setToolTip(QStringLiteral("削除"));
    button->setStyleSheet(QStringLiteral(
        "QToolButton { background: #FF3B30; border: none; border-radius: %1px; }"
        "QToolButton:pressed { background: #D70015; }").arg(side / 2));
    return button;
}

} // namespace

FloatingObjectToolbar::FloatingObjectToolbar(QWidget *parent)
    : QWidget(parent)
    , m_colorButton(new ColorSwatchButton(this))
    , m_deleteButton(makeDeleteButton(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(8);
    layout->addWidget(m_colorButton, 0, Qt::AlignVCenter);
    layout->addWidget(m_deleteButton, 0, Qt::AlignVCenter);
    m_colorButton->setToolTip(QStringLiteral("色"));
    connect(m_colorButton, &ColorSwatchButton::colorPicked, this, &FloatingObjectToolbar::colorPicked);
    connect(m_deleteButton, &QToolButton::clicked, this, &FloatingObjectToolbar::deleteRequested);
    adjustSize();
}

void FloatingObjectToolbar::setColor(const QColor &color)
{
    m_colorButton->setColor(color);
}

QColor FloatingObjectToolbar::color() const
{
    return m_colorButton->color();
}

void FloatingObjectToolbar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath plate;
    plate.addRoundedRect(QRectF(rect()), 6, 6);
    QColor fill = palette().color(QPalette::Window);
    fill.setAlphaF(0.8f);
    painter.fillPath(plate, fill);
}
