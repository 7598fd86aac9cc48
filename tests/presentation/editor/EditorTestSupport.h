#pragma once

#include "platform/AppState.h"
#include "presentation/document/PowerPointDocument.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

// Helpers shared by the presentation editor's tests.
namespace EditorTest {

inline bool presentationUnsaved()
{
    return AppState::shared().hasUnsavedChanges(AppState::Editor::Presentation);
}

inline void markSaved()
{
    AppState::shared().setHasUnsavedChanges(AppState::Editor::Presentation, false);
}

// A drag made of real mouse events: press at `from`, moves in `steps`
// straight steps to `to`, release there. Points are in `reference`'s
// coordinates; each event goes to `target` at the point mapped into it at
// that moment, so a target that moves while dragged gets the right local
// positions (as under a mouse grab).
inline void drag(QWidget *target, QWidget *reference, QPoint from, QPoint to, int steps = 4)
{
    const auto local = [&](QPoint point) { return target->mapFrom(reference, point); };
    QTest::mousePress(target, Qt::LeftButton, Qt::NoModifier, local(from));
    for (int i = 1; i <= steps; ++i) {
        const QPoint at = from + (to - from) * i / steps;
        QTest::mouseMove(target, local(at));
    }
    QTest::mouseRelease(target, Qt::LeftButton, Qt::NoModifier, local(to));
}

// The document's first object of the current slide of `type`; one with a
// null id when there is none.
inline SlideObject firstObject(const PowerPointDocument &document, SlideObjectType type)
{
    for (const SlideObject &object : document.currentSlide()->objects) {
        if (object.type == type)
            return object;
    }
    SlideObject none;
    none.id = QUuid();
    return none;
}

// Types `text` the way an input method delivers it: first as a composition
// (preedit) and then committed, one event each.
inline void typeThroughInputMethod(QWidget *target, const QString &text)
{
    QInputMethodEvent composing(text, {});
    QApplication::sendEvent(target, &composing);
    QInputMethodEvent committed;
    committed.setCommitString(text);
    QApplication::sendEvent(target, &committed);
}

} // namespace EditorTest
