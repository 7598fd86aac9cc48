// The presentation editor while the user works: a canvas repaint per mouse
// move while an object is dragged on a slide of 50 objects, and the slide
// list's refresh per keystroke in the name of a slide of a 200-slide deck.
// One iteration is one event with the repaint it causes. Runs on the
// offscreen platform.
#include "BenchMain.h"
#include "presentation/document/PowerPointDocument.h"
#include "presentation/editor/MorvanePowerPointView.h"
#include "presentation/editor/PowerPointObjectView.h"
#include "presentation/editor/SlideCanvas.h"
#include "presentation/editor/SlideInspector.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <benchmark/benchmark.h>

namespace {

void sendMouse(QWidget *target, QEvent::Type type, QPointF canvasPoint, Qt::MouseButtons held)
{
    const QPointF local = target->mapFrom(target->parentWidget(), canvasPoint);
    QMouseEvent event(type, local, target->mapToGlobal(local), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

void BM_CanvasRepaintPerDragMove(benchmark::State &state)
{
    MorvanePowerPointView view;
    view.resize(1400, 900);
    view.show();
    PowerPointDocument *document = view.document();
    for (int i = 0; i < 50; ++i) {
        document->addObject(i % 2 ? SlideObjectType::TextBox : SlideObjectType::Circle, 0);
        SlideObject object = document->currentSlide()->objects.last();
        object.x = (i % 10) * 75;
        object.y = (i / 10) * 80;
        object.text = QStringLiteral("オブジェクト %1").arg(i);
        document->updateObject(0, object);
    }
    QCoreApplication::processEvents();
    const SlideObject dragged = document->currentSlide()->objects[10];
    PowerPointObjectView *target = view.canvas()->objectView(dragged.id);
    const QPointF start(dragged.x + 20, dragged.y + 20);
    sendMouse(target, QEvent::MouseButtonPress, start, Qt::LeftButton);
    int step = 0;
    for (auto _ : state) {
        const QPointF at = start + QPointF(20 + step % 300, 15 + (step * 7) % 200);
        sendMouse(target, QEvent::MouseMove, at, Qt::LeftButton);
        QCoreApplication::processEvents(); // paints what the move left dirty
        ++step;
    }
    sendMouse(target, QEvent::MouseButtonRelease, start, Qt::NoButton);
}
BENCHMARK(BM_CanvasRepaintPerDragMove)->Unit(benchmark::kMicrosecond);

void BM_SlideListRefreshPerNameKeystroke(benchmark::State &state)
{
    MorvanePowerPointView view;
    view.resize(1400, 900);
    view.show();
    PowerPointDocument *document = view.document();
    for (int i = 1; i < 200; ++i)
        document->addSlide();
    document->setCurrentSlideIndex(3);
    QCoreApplication::processEvents();
    QLineEdit *name = view.inspector()->slideTitleField();
    name->setFocus();
    int typed = 0;
    for (auto _ : state) {
        if (++typed % 50 == 0)
            name->clear(); // keeps the title short, like a real name
        QInputMethodEvent committed;
        committed.setCommitString(QStringLiteral("字"));
        QApplication::sendEvent(name, &committed);
        QCoreApplication::processEvents(); // the list's repaint of the row
    }
}
BENCHMARK(BM_SlideListRefreshPerNameKeystroke)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return runBenchmarks<QApplication>(argc, argv);
}
