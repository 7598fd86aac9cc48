#include "FindBar.h"

#include "word/layout/PageTextItem.h"
#include "TextFinder.h"
#include "platform/widgets/SymbolIcon.h"

#include <QGraphicsScene>
#include <QGraphicsView>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QToolButton>

FindBar::FindBar(PageTextItem *item, QWidget *parent)
    : QWidget(parent)
    , m_item(item)
    , m_field(new QLineEdit(this))
    , m_previous(createButton(QStringLiteral("chevron.up"), QStringLiteral("前を検索")))
    , m_next(createButton(QStringLiteral("chevron.down"), QStringLiteral("次を検索")))
    , m_close(createButton(QStringLiteral("xmark"), QStringLiteral("閉じる")))
{
    m_field->setPlaceholderText(QStringLiteral("検索"));
    m_field->setClearButtonEnabled(true);
    m_field->setFixedWidth(260);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 6, 12, 6);
    layout->setSpacing(6);
    layout->addStretch();
    layout->addWidget(m_field);
    layout->addWidget(m_previous);
    layout->addWidget(m_next);
    layout->addWidget(m_close);
    m_field->installEventFilter(this);
    connect(m_field, &QLineEdit::returnPressed, this, [this] { findNext(); });
    connect(m_previous, &QToolButton::clicked, this, [this] { findPrevious(); });
    connect(m_next, &QToolButton::clicked, this, [this] { findNext(); });
    connect(m_close, &QToolButton::clicked, this, &FindBar::close);
    hide();
}

QToolButton *FindBar::createButton(const QString &symbol, const QString &toolTip)
{
    auto *button = new QToolButton(this);
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setIcon(SymbolIcon::icon(symbol, QColor(40, 40, 44), 14));
    button->setToolTip(toolTip);
    return button;
}

void FindBar::open()
{
    show();
    m_field->setFocus(Qt::ShortcutFocusReason);
    m_field->selectAll();
}

void FindBar::close()
{
    if (isHidden())
        return;
    hide();
    const QList<QGraphicsView *> views = m_item->scene() ? m_item->scene()->views() : QList<QGraphicsView *>();
    if (!views.isEmpty())
        views.first()->setFocus(Qt::OtherFocusReason);
    emit closed();
}

bool FindBar::findNext()
{
    return find(false);
}

bool FindBar::findPrevious()
{
    return find(true);
}

bool FindBar::find(bool backward)
{
    QTextCursor from = m_item->textCursor();
    // Backward from the selection's start, so the current match is skipped.
    if (backward && from.hasSelection())
        from.setPosition(from.selectionStart());
    const QTextCursor found = TextFinder::find(m_item->document(), m_field->text(), from,
                                               backward ? TextFinder::Direction::Backward
                                                        : TextFinder::Direction::Forward);
    if (found.isNull())
        return false;
    m_item->setTextCursor(found);
    emit matchSelected();
    return true;
}

bool FindBar::eventFilter(QObject *watched, QEvent *event)
{
    // Shift+Return must reach us before the field reports a plain Return.
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            && key->modifiers().testFlag(Qt::ShiftModifier)) {
            findPrevious();
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            close();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FindBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(246, 246, 246, 235));
    painter.fillRect(QRect(0, height() - 1, width(), 1), QColor(0, 0, 0, 30));
}
