#include "KeyboardFence.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

KeyboardFence::KeyboardFence(QWidget *covered)
    : QObject(covered)
    , m_covered(covered)
{
}

KeyboardFence::~KeyboardFence()
{
    if (m_owner)
        qApp->removeEventFilter(this);
}

void KeyboardFence::setOwner(QWidget *owner)
{
    if (owner == m_owner)
        return;
    if (!m_owner && owner)
        qApp->installEventFilter(this);
    else if (m_owner && !owner)
        qApp->removeEventFilter(this);
    m_owner = owner;
    if (owner && !owner->isAncestorOf(QApplication::focusWidget()))
        focusOwner();
}

bool KeyboardFence::isFenced(QObject *receiver) const
{
    auto *widget = qobject_cast<QWidget *>(receiver);
    return widget && m_owner && (widget == m_covered || m_covered->isAncestorOf(widget))
           && widget != m_owner && !m_owner->isAncestorOf(widget);
}

void KeyboardFence::focusOwner()
{
    QWidget *inside = m_owner->focusWidget();
    if (inside && m_owner->isAncestorOf(inside))
        inside->setFocus(Qt::OtherFocusReason);
    else
        m_owner->setFocus(Qt::OtherFocusReason);
}

bool KeyboardFence::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::InputMethod:
        if (isFenced(watched)) {
            if (event->type() == QEvent::KeyPress)
                focusOwner();
            return true;
        }
        break;
    case QEvent::FocusIn:
        if (isFenced(watched) && m_owner->isVisible())
            focusOwner();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
