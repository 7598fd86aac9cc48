#include "PageColumn.h"

#include "word/layout/BlockPainter.h"
#include "PageCanvas.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QMoveEvent>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>
#include <qdrawutil.h>
#include <QVBoxLayout>

namespace {

constexpr int ShadowRadius = 8;
constexpr int ShadowOffsetY = 4;
constexpr qreal ShadowOpacity = 0.15;

} // namespace

PageColumn::PageColumn(PageCanvas *page, QWidget *parent)
    : QWidget(parent)
    , m_page(page)
{
    page->setParent(this);
    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch();
    row->addWidget(page);
    row->addStretch();
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(Space, Space, Space, Space);
    column->addLayout(row);
    // The column's least width as a strut, not as the widget's minimum,
    // which would hide a wider page's width from the scroll area: a page
    // wider than the window then scrolls sideways.
    column->addSpacerItem(new QSpacerItem(MinimumWidth - 2 * Space, 0, QSizePolicy::Minimum, QSizePolicy::Expanding));
    page->installEventFilter(this);
}

QRect PageColumn::shadowRect(const QRect &geometry)
{
    const int pad = 2 * ShadowRadius;
    return geometry.adjusted(-pad, -pad + ShadowOffsetY, pad, pad + ShadowOffsetY);
}

bool PageColumn::eventFilter(QObject *watched, QEvent *event)
{
    // The shadow reaches past the page, so the column repaints what the old
    // and the new shadow cover when the page moves or changes size (zoom,
    // writing direction); Qt repaints only what the page itself uncovered.
    if (watched == m_page && (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        QRect old = m_page->geometry();
        if (event->type() == QEvent::Move)
            old.moveTopLeft(static_cast<QMoveEvent *>(event)->oldPos());
        else
            old.setSize(static_cast<QResizeEvent *>(event)->oldSize());
        update(shadowRect(old) | shadowRect(m_page->geometry()));
    }
    return QWidget::eventFilter(watched, event);
}

const QPixmap &PageColumn::shadow()
{
    // A small blurred page, drawn stretched in nine slices around the real one.
    if (!m_shadow.isNull())
        return m_shadow;
    const int pad = 2 * ShadowRadius;
    const int core = 4 * ShadowRadius;
    QImage image(QSize(2 * pad + core, 2 * pad + core), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(QRectF(pad, pad, core, core), 4, 4);
        painter.fillPath(path, QColor::fromRgbF(0, 0, 0, ShadowOpacity));
    }
    BlockPainter::blur(image, ShadowRadius);
    m_shadow = QPixmap::fromImage(image);
    return m_shadow;
}

void PageColumn::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int slice = 3 * ShadowRadius;
    qDrawBorderPixmap(&painter, shadowRect(m_page->geometry()), QMargins(slice, slice, slice, slice), shadow());
}
