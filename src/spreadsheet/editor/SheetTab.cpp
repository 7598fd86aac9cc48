#include "SheetTab.h"

#include "ExcelGridMetrics.h"
#include "platform/widgets/SymbolIcon.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

SheetTab::SheetTab(QWidget *parent)
    : QWidget(parent)
    , m_label(new QLabel(this))
    , m_closeButton(new QToolButton(this))
    , m_renameAction(new QAction(QStringLiteral("名前を変更"), this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 6, 12, 6);
    layout->setSpacing(6);
    layout->addWidget(m_label);
    layout->addWidget(m_closeButton);
    m_closeButton->setAutoRaise(true);
    m_closeButton->setIconSize(QSize(10, 10));
    m_closeButton->setStyleSheet(QStringLiteral("QToolButton { border: none; padding: 0; }"));
    m_closeButton->setFocusPolicy(Qt::NoFocus);
    addAction(m_renameAction);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(m_closeButton, &QToolButton::clicked, this, &SheetTab::closeClicked);
    connect(m_renameAction, &QAction::triggered, this, &SheetTab::renameRequested);
    applyLook();
}

QString SheetTab::name() const
{
    return m_label->text();
}

void SheetTab::setState(const QString &name, bool active, bool closable)
{
    m_label->setText(name);
    m_closeButton->setVisible(closable);
    if (active != m_active) {
        m_active = active;
        applyLook();
    }
    update();
}

void SheetTab::applyLook()
{
    QFont font = this->font();
    font.setPixelSize(12);
    font.setBold(m_active);
    m_label->setFont(font);
    QPalette palette = m_label->palette();
    palette.setColor(QPalette::WindowText, m_active ? QColor(Qt::white) : QColor(0x1D, 0x1D, 0x1F));
    m_label->setPalette(palette);
    const QColor closeColor = m_active ? QColor(255, 255, 255, 179) : QColor(0, 0, 0, 128);
    m_closeButton->setIcon(SymbolIcon::icon(QStringLiteral("xmark.circle.fill"), closeColor, 10));
}

void SheetTab::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()), 6, 6);
    painter.fillPath(path, m_active ? ExcelGridMetrics::accentColor() : QColor(0, 0, 0, 13));
}

void SheetTab::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        event->accept();
    else
        QWidget::mousePressEvent(event);
}

void SheetTab::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    else
        QWidget::mouseReleaseEvent(event);
}
