#include "WheelGuard.h"

#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QScrollBar>
#include <QWheelEvent>

namespace {

constexpr char guardedPanel[] = "morvaneWheelGuarded";

bool isSettingControl(const QWidget *widget)
{
    // A scroll bar is a slider too, and it is meant to take the wheel.
    return qobject_cast<const QComboBox *>(widget) || qobject_cast<const QAbstractSpinBox *>(widget)
           || (qobject_cast<const QAbstractSlider *>(widget) && !qobject_cast<const QScrollBar *>(widget));
}

// The setting control `widget` belongs to (itself, or the spin box around
// its line edit) when it lies in a guarded panel of the same window.
QWidget *guardedControl(QWidget *widget)
{
    QWidget *control = nullptr;
    for (QWidget *at = widget; at; at = at->parentWidget()) {
        if (!control && isSettingControl(at))
            control = at;
        if (control && at->property(guardedPanel).toBool())
            return control;
        if (at->isWindow())
            break;
    }
    return nullptr;
}

QAbstractScrollArea *enclosingScrollArea(QWidget *widget)
{
    for (QWidget *at = widget->parentWidget(); at && !at->isWindow(); at = at->parentWidget()) {
        if (auto *area = qobject_cast<QAbstractScrollArea *>(at))
            return area;
    }
    return nullptr;
}

class WheelFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Wheel || !watched->isWidgetType())
            return false;
        QWidget *control = guardedControl(static_cast<QWidget *>(watched));
        if (!control)
            return false;
        const QWidget *focus = QApplication::focusWidget();
        if (focus && (focus == control || control->isAncestorOf(focus)))
            return false;
        scrollPanel(control, static_cast<QWheelEvent *>(event));
        return true;
    }

private:
    static void scrollPanel(QWidget *control, const QWheelEvent *wheel)
    {
        QAbstractScrollArea *area = enclosingScrollArea(control);
        if (!area)
            return;
        QWidget *viewport = area->viewport();
        QWheelEvent scroll(viewport->mapFromGlobal(wheel->globalPosition()), wheel->globalPosition(),
                           wheel->pixelDelta(), wheel->angleDelta(), wheel->buttons(), wheel->modifiers(),
                           wheel->phase(), wheel->inverted(), wheel->source());
        QCoreApplication::sendEvent(viewport, &scroll);
    }
};

} // namespace

void WheelGuard::guard(QWidget *panel)
{
    panel->setProperty(guardedPanel, true);
    // One filter for the whole application sees controls however late they
    // are added to a panel.
    static WheelFilter *filter = [] {
        auto *made = new WheelFilter(qApp);
        qApp->installEventFilter(made);
        return made;
    }();
    Q_UNUSED(filter);
}
