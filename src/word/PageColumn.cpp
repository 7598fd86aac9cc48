#include "PageColumn.h"

#include "BlockPainter.h"
#include "PageCanvas.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
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
    setMinimumWidth(MinimumWidth);
    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->addStretch();
    row->addWidget(page);
    row->addStretch();
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(Space, Space, Space, Space);
    column->addLayout(row);
    column->addStretch();
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
    const int pad = 2 * ShadowRadius;
    const int slice = pad + ShadowRadius;
    const QRect target = m_page->geometry().adjusted(-pad, -pad + ShadowOffsetY, pad, pad + ShadowOffsetY);
    qDrawBorderPixmap(&painter, target, QMargins(slice, slice, slice, slice), shadow());
}
