#include "MorvanePowerPointView.h"

#include "platform/UserFolders.h"
#include "platform/widgets/TranslucentPanel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace {

constexpr QSizeF SlideSize(800, 450);
constexpr int StageMargin = 24;

} // namespace

MorvanePowerPointView::MorvanePowerPointView(QWidget *parent)
    : QWidget(parent)
    , m_toolbar(new TranslucentPanel(TranslucentPanel::Material::TitleBar,
                                     TranslucentPanel::Blending::WithinWindow, this))
    , m_folder(UserFolders::desktopOrHome())
{
    auto *name = new QLabel(m_documentName, m_toolbar);
    QFont bold = name->font();
    bold.setBold(true);
    name->setFont(bold);
    auto *toolbarRow = new QHBoxLayout(m_toolbar);
    toolbarRow->setContentsMargins(16, 10, 16, 10);
    toolbarRow->addWidget(name, 1);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(m_toolbar);
    column->addStretch(1);
}

// The stage under the toolbar, with one blank slide scaled to fit it.
void MorvanePowerPointView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect stage = rect().adjusted(0, m_toolbar->height(), 0, 0);
    painter.fillRect(stage, palette().color(QPalette::Mid));
    QSizeF slide = SlideSize.scaled(stage.size() - QSize(2 * StageMargin, 2 * StageMargin),
                                    Qt::KeepAspectRatio);
    slide = slide.boundedTo(SlideSize);
    const QRectF slideRect(stage.center().x() - slide.width() / 2,
                           stage.center().y() - slide.height() / 2, slide.width(), slide.height());
    painter.fillRect(slideRect, palette().color(QPalette::Base));
    QFont title = font();
    title.setPixelSize(qMax(1, qRound(36 * slide.width() / SlideSize.width())));
    painter.setFont(title);
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(slideRect, Qt::AlignCenter, QStringLiteral("Morvane PowerPoint"));
}
