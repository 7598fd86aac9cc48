// The word processor's screen on a 200-page document (4,000 paragraphs,
// about 600,000 characters, a few formatted runs in each): a keystroke with
// its commit and the repaint it causes, bold over the whole text, a change
// of zoom, and the paint of a vertical page. Runs on the offscreen platform.
#include "BenchMain.h"
#include "word/MorvaneWordView.h"
#include "word/PageCanvas.h"
#include "word/PageTextItem.h"
#include "word/TextFormattingHelper.h"
#include "word/TextPageView.h"
#include "word/WordTextDocument.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextCursor>
#include <benchmark/benchmark.h>

namespace {

constexpr int Paragraphs = 4000;

void fill(WordTextDocument *document)
{
    document->clear();
    QTextCursor cursor(document);
    QTextCharFormat plain;
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    QTextCharFormat red;
    red.setForeground(Qt::red);
    const QString words = QStringLiteral("The quick brown fox jumps over the lazy dog; 日本語の文章も少し入ります。");
    for (int p = 0; p < Paragraphs; ++p) {
        if (p > 0)
            cursor.insertBlock();
        cursor.insertText(words, plain);
        cursor.insertText(QStringLiteral("bold words"), bold);
        cursor.insertText(words, plain);
        cursor.insertText(QStringLiteral("red"), red);
        cursor.insertText(words, plain);
    }
}

struct ScreenFixture
{
    ScreenFixture()
    {
        view.setAttribute(Qt::WA_DontShowOnScreen);
        view.resize(1280, 900);
        view.show();
        view.showDocument(fill);
        QCoreApplication::processEvents();
        view.page()->textView()->setFocus();
    }
    MorvaneWordView view;
};

ScreenFixture &fixture()
{
    // Never destroyed: widgets must not outlive the QApplication, which goes first.
    static ScreenFixture *instance = new ScreenFixture;
    return *instance;
}

// One typed character in the middle of the document, then the turn of the
// main loop that commits it and repaints.
void keystrokeWithCommit(benchmark::State &state)
{
    ScreenFixture &f = fixture();
    QTextCursor cursor(f.view.document());
    cursor.setPosition(f.view.document()->characterCount() / 2);
    f.view.textItem()->setTextCursor(cursor);
    QWidget *viewport = f.view.page()->textView()->viewport();
    for (auto _ : state) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QCoreApplication::sendEvent(viewport, &press);
        QCoreApplication::processEvents();
    }
    state.counters["characters"] = double(f.view.charCount());
}
BENCHMARK(keystrokeWithCommit)->Unit(benchmark::kMicrosecond);

// Bold over the whole text (selection path, one undo step), then its commit;
// undone untimed so every iteration changes every run.
void boldOverAll(benchmark::State &state)
{
    ScreenFixture &f = fixture();
    for (auto _ : state) {
        QTextCursor all(f.view.document());
        all.select(QTextCursor::Document);
        f.view.textItem()->setTextCursor(all);
        TextFormattingHelper::addBold(f.view.textItem());
        QCoreApplication::processEvents();
        state.PauseTiming();
        f.view.document()->undo();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(boldOverAll)->Unit(benchmark::kMillisecond)->Iterations(5);

void zoomChange(benchmark::State &state)
{
    ScreenFixture &f = fixture();
    bool big = false;
    for (auto _ : state) {
        big = !big;
        f.view.setZoomLevel(big ? 1.5 : 0.8);
        QCoreApplication::processEvents();
    }
    f.view.setZoomLevel(1.0);
}
BENCHMARK(zoomChange)->Unit(benchmark::kMicrosecond);

// The visible part of a vertical page, rendered into an image.
void verticalPagePaint(benchmark::State &state)
{
    ScreenFixture &f = fixture();
    f.view.setVertical(true);
    QCoreApplication::processEvents();
    QWidget *viewport = f.view.page()->textView()->viewport();
    QImage image(viewport->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        viewport->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    f.view.setVertical(false);
}
BENCHMARK(verticalPagePaint)->Unit(benchmark::kMicrosecond);

// Per mille of the way down the document.
void horizontalPagePaint(benchmark::State &state)
{
    ScreenFixture &f = fixture();
    QScrollBar *bar = f.view.page()->textView()->verticalScrollBar();
    bar->setValue(int(qint64(bar->maximum()) * state.range(0) / 1000));
    QWidget *viewport = f.view.page()->textView()->viewport();
    QImage image(viewport->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        viewport->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(horizontalPagePaint)->Arg(0)->Arg(500)->Arg(1000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return runBenchmarks<QApplication>(argc, argv);
}
