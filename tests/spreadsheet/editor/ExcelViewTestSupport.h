#pragma once

#include "spreadsheet/editor/CellGridView.h"
#include "spreadsheet/editor/ExcelGridMetrics.h"
#include "support/StdoutCapture.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QMouseEvent>
#include <QWidget>

// Text committed by an input method, as a Japanese IME delivers it.
inline void commitInputMethodText(QWidget *widget, const QString &text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QApplication::sendEvent(widget, &event);
}

// Mouse events on the grid, placed in content coordinates.
namespace GridMouse {

inline QPoint cellCenter(int row, int col)
{
    return ExcelGridMetrics::cellRect(row, col).center();
}

inline void send(CellGridView *grid, QEvent::Type type, QPoint contentPoint,
                 Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QWidget *viewport = grid->viewport();
    const QPointF local = grid->contentToViewport(contentPoint);
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, local, viewport->mapToGlobal(local), button, buttons, modifiers);
    QApplication::sendEvent(viewport, &event);
}

inline void click(CellGridView *grid, QPoint contentPoint,
                  Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    send(grid, QEvent::MouseButtonPress, contentPoint, Qt::LeftButton, modifiers);
    send(grid, QEvent::MouseButtonRelease, contentPoint, Qt::NoButton, modifiers);
}

inline void drag(CellGridView *grid, QPoint from, const QList<QPoint> &through,
                 Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    send(grid, QEvent::MouseButtonPress, from, Qt::LeftButton, modifiers);
    for (const QPoint &point : through)
        send(grid, QEvent::MouseMove, point, Qt::LeftButton, modifiers);
    send(grid, QEvent::MouseButtonRelease, through.isEmpty() ? from : through.last(),
         Qt::NoButton, modifiers);
}

} // namespace GridMouse
