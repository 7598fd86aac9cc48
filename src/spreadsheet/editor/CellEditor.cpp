#include "CellEditor.h"

#include <QFocusEvent>
#include <QKeyEvent>

CellEditor::CellEditor(QWidget *parent)
    : LongTextLineEdit(parent)
{
    setFrame(false);
    setAttribute(Qt::WA_MacShowFocusRect, false);
}

void CellEditor::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        emit commitRequested();
        return;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        event->accept();
        emit stepRequested(event->key() == Qt::Key_Tab ? 1 : -1);
        return;
    case Qt::Key_Escape:
        event->accept();
        emit cancelRequested();
        return;
    default:
        LongTextLineEdit::keyPressEvent(event);
    }
}

void CellEditor::focusOutEvent(QFocusEvent *event)
{
    LongTextLineEdit::focusOutEvent(event);
    if (event->reason() == Qt::PopupFocusReason || event->reason() == Qt::ActiveWindowFocusReason)
        return;
    if (isVisible())
        emit commitRequested();
}

bool CellEditor::focusNextPrevChild(bool)
{
    // Tab reaches keyPressEvent instead of moving the focus on.
    return false;
}
