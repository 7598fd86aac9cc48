// The word processor's screen on a 200-page document (4,720 paragraphs,
// about 900,000 characters, a few formatted runs in each), shown in a
// window of the offscreen platform: every keystroke, command and switch is
// timed with its commit and the repaint it causes.
//
// Each benchmark puts the screen into the state it needs first (a fresh
// document, writing direction, margin, zoom, scroll position) and lets all
// pending work finish before it starts timing, so no benchmark depends on
// which ran before it. Run one with --benchmark_filter to time it alone.
#include "BenchMain.h"
#include "word/ListToggle.h"
#include "word/MorvaneWordView.h"
#include "word/PageCanvas.h"
#include "word/layout/PageTextItem.h"
#include "word/layout/PageTextLayout.h"
#include "word/TextFormattingHelper.h"
#include "word/TextPageView.h"
#include "word/WordArtStyle.h"
#include "word/layout/WordTextDocument.h"

#include "textsystem/StyledTextDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QKeyEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QWheelEvent>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>

namespace {

constexpr int Paragraphs = 4720;

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

// Counts the paints of the text view, to show that a timed step repainted.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

struct Screen
{
    Screen()
    {
        view.resize(1440, 1000);
        view.show();
        viewport()->installEventFilter(&counter);
        view.page()->textView()->setFocus();
    }

    QWidget *viewport() const { return view.page()->textView()->viewport(); }
    PageTextItem *item() const { return view.textItem(); }
    WordTextDocument *document() const { return view.document(); }

    // The turns of the main loop that follow a change: the commit, the
    // layout's own follow-up and the repaint.
    static void turn()
    {
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
    }

    // Lets everything pending finish: deferred work, repaints, and the
    // layout the document still owes while the user does nothing.
    void drain()
    {
        turn();
        auto *layout = qobject_cast<PageTextLayout *>(document()->documentLayout());
        QElapsedTimer clock;
        clock.start();
        while (layout && !layout->isComplete() && clock.elapsed() < 20000)
            QCoreApplication::processEvents();
        turn();
        turn();
    }

    // A fresh 200-page document in horizontal writing at 100 %, margin 40,
    // scrolled to the top, with the caret at the start.
    void reset(bool vertical = false)
    {
        if (view.isVertical())
            view.setVertical(false);
        view.setMarginSize(40);
        view.setZoomLevel(1.0);
        if (document()->blockCount() != Paragraphs || document()->isUndoAvailable()
            || document()->characterCount() != freshCharacters) {
            view.showDocument(fill);
            freshCharacters = document()->characterCount();
        }
        if (vertical)
            view.setVertical(true);
        placeCaret(0);
        drain();
    }

    // Puts the caret at per mille `perMille` of the text and scrolls the
    // text view to have it in the middle, as the screen does when the user
    // goes there.
    void placeCaret(int perMille)
    {
        QTextCursor cursor(document());
        const int last = document()->characterCount() - 1;
        cursor.setPosition(int(qint64(last) * perMille / 1000));
        item()->setTextCursor(cursor);
        TextPageView *page = view.page()->textView();
        const QTextBlock block = cursor.block();
        QRectF rect = document()->documentLayout()->blockBoundingRect(block);
        const QTextLine line = block.layout()->lineForTextPosition(cursor.position() - block.position());
        if (line.isValid())
            rect = QRectF(rect.left() + line.cursorToX(cursor.position() - block.position()), rect.top() + line.y(),
                          2, line.height());
        const QPointF caret = item()->mapRectToScene(rect).center();
        page->centerOn(caret);
        // The page may reach below the window: show the caret's part of it.
        const QPoint onPage = page->viewport()->mapTo(view.pageArea()->widget(), page->mapFromScene(caret));
        view.pageArea()->ensureVisible(onPage.x(), onPage.y(), 50, 50);
        turn();
    }

    void selectAll()
    {
        QTextCursor all(document());
        all.select(QTextCursor::Document);
        item()->setTextCursor(all);
    }

    MorvaneWordView view;
    PaintCounter counter;
    int freshCharacters = -1;
};

Screen &screen()
{
    // Never destroyed: widgets must not outlive the QApplication, which goes first.
    static Screen *instance = new Screen;
    return *instance;
}

// Times `step` once per iteration and reports the median, 95th percentile
// and maximum besides the mean, with the paints the steps caused.
void timeSteps(benchmark::State &state, const std::function<void()> &step,
               const std::function<void()> &between = {})
{
    Screen &s = screen();
    QList<double> times;
    int paints = 0;
    for (auto _ : state) {
        const int paintsBefore = s.counter.paints;
        QElapsedTimer clock;
        clock.start();
        step();
        times.append(double(clock.nsecsElapsed()) / 1e6);
        paints += s.counter.paints - paintsBefore;
        if (between) {
            state.PauseTiming();
            between();
            state.ResumeTiming();
        }
    }
    std::sort(times.begin(), times.end());
    if (!times.isEmpty()) {
        state.counters["median_ms"] = times.at(times.size() / 2);
        state.counters["p95_ms"] = times.at(std::min<qsizetype>(times.size() - 1, times.size() * 95 / 100));
        state.counters["max_ms"] = times.last();
    }
    state.counters["paints"] = double(paints) / double(std::max<qsizetype>(1, times.size()));
}

const char *const Places[] = {"start", "middle", "end"};

// One typed character with its commit and repaint, at the start, middle or
// end of the text, horizontal or vertical.
void keystroke(benchmark::State &state)
{
    Screen &s = screen();
    const bool vertical = state.range(0) != 0;
    const int perMille = int(state.range(1));
    s.reset(vertical);
    s.placeCaret(perMille);
    state.SetLabel(QStringLiteral("%1, %2").arg(vertical ? "vertical" : "horizontal", Places[perMille / 500]).toStdString());
    timeSteps(state, [&] {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QCoreApplication::sendEvent(s.viewport(), &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
        QCoreApplication::sendEvent(s.viewport(), &release);
        Screen::turn();
    });
    state.counters["characters"] = double(s.view.charCount());
}
BENCHMARK(keystroke)
    ->ArgNames({"vertical", "permille"})
    ->ArgsProduct({{0, 1}, {0, 500, 1000}})
    ->Iterations(60)
    ->Unit(benchmark::kMillisecond);

// One wheel notch down over the text with its repaint, from the middle of
// the text, horizontal or vertical.
void wheelNotch(benchmark::State &state)
{
    Screen &s = screen();
    const bool vertical = state.range(0) != 0;
    s.reset(vertical);
    s.placeCaret(500);
    s.drain();
    state.SetLabel(vertical ? "vertical" : "horizontal");
    timeSteps(state, [&] {
        const QPointF centre = s.viewport()->rect().center();
        QWheelEvent wheel(centre, s.viewport()->mapToGlobal(centre), QPoint(), QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(s.viewport(), &wheel);
        Screen::turn();
    });
}
BENCHMARK(wheelNotch)->ArgName("vertical")->Arg(0)->Arg(1)->Iterations(40)->Unit(benchmark::kMillisecond);

using Command = void (*)(PageTextItem *);

struct NamedCommand
{
    const char *name;
    Command run;
};

const NamedCommand Commands[] = {
    {"bold", TextFormattingHelper::addBold},
    {"italic", TextFormattingHelper::toggleItalic},
    {"underline", TextFormattingHelper::toggleUnderline},
    {"size", [](PageTextItem *item) { TextFormattingHelper::applyFontSize(item, 18); }},
    {"alignment", [](PageTextItem *item) { TextFormattingHelper::applyAlignment(item, Qt::AlignHCenter); }},
    {"bullets", ListToggle::toggleBullets},
    {"numbers", ListToggle::toggleNumbers},
    {"wordArt", [](PageTextItem *item) { TextFormattingHelper::applyWordArtStyle(item, WordArtStyle::RetroGold); }},
};

// Ctrl+A, Ctrl+C on the whole text: what the clipboard gets (HTML, plain
// text and the pictures' files) is made at once.
void copyWholeText(benchmark::State &state)
{
    Screen &s = screen();
    s.reset(false);
    timeSteps(state, [&] {
        QKeyEvent all(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier);
        QCoreApplication::sendEvent(s.viewport(), &all);
        QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
        QCoreApplication::sendEvent(s.viewport(), &copy);
        Screen::turn();
    });
}
BENCHMARK(copyWholeText)->Iterations(5)->Unit(benchmark::kMillisecond);

// A command over the whole text (one undo step) with its commit and
// repaint; undone untimed, so every iteration changes the whole text.
void wholeTextCommand(benchmark::State &state)
{
    Screen &s = screen();
    const NamedCommand &command = Commands[state.range(0)];
    state.SetLabel(command.name);
    s.reset();
    timeSteps(
        state,
        [&] {
            s.selectAll();
            command.run(s.item());
            Screen::turn();
        },
        [&] {
            s.document()->undo();
            s.drain();
        });
}
BENCHMARK(wholeTextCommand)->DenseRange(0, int(std::size(Commands)) - 1)->Iterations(5)->Unit(benchmark::kMillisecond);

// Undo of a command over the whole text, with its commit and repaint; the
// command is redone untimed.
void undoWholeTextCommand(benchmark::State &state)
{
    Screen &s = screen();
    const NamedCommand &command = Commands[state.range(0)];
    state.SetLabel(command.name);
    s.reset();
    s.selectAll();
    command.run(s.item());
    s.drain();
    timeSteps(
        state,
        [&] {
            s.document()->undo();
            Screen::turn();
        },
        [&] {
            s.document()->redo();
            s.drain();
        });
    s.document()->undo();
}
BENCHMARK(undoWholeTextCommand)->DenseRange(0, int(std::size(Commands)) - 1)->Iterations(5)->Unit(benchmark::kMillisecond);

// Vertical writing switched on (0) or off (1), with the repaint.
void verticalWritingSwitch(benchmark::State &state)
{
    Screen &s = screen();
    const bool on = state.range(0) == 0;
    state.SetLabel(on ? "on" : "off");
    s.reset(!on);
    timeSteps(
        state,
        [&] {
            s.view.setVertical(on);
            Screen::turn();
        },
        [&] {
            s.view.setVertical(!on);
            s.drain();
        });
}
BENCHMARK(verticalWritingSwitch)->Arg(0)->Arg(1)->Iterations(5)->Unit(benchmark::kMillisecond);

// One step of the margin slider (40 to 41 points and back), with the repaint.
void marginChange(benchmark::State &state)
{
    Screen &s = screen();
    s.reset();
    bool wide = false;
    timeSteps(
        state,
        [&] {
            wide = !wide;
            s.view.setMarginSize(wide ? 41 : 40);
            Screen::turn();
        },
        [&] { s.drain(); });
    s.view.setMarginSize(40);
}
BENCHMARK(marginChange)->Iterations(6)->Unit(benchmark::kMillisecond);

// An opened 200-page document put into the screen and shown: the styled
// text (as a file reader gives it) becomes the screen's document, then the
// first page is drawn.
void openIntoScreen(benchmark::State &state)
{
    Screen &s = screen();
    s.reset();
    const StyledText text = StyledTextDocument::toStyledText(*s.document());
    state.counters["characters"] = double(text.length());
    timeSteps(
        state,
        [&] {
            s.view.applyLoadedDocument(text, QStringLiteral("rtf"), QStringLiteral("/tmp/bench.rtf"));
            Screen::turn();
        },
        [&] {
            s.view.showDocument([](WordTextDocument *document) { document->setPlainText(QStringLiteral("x")); });
            s.drain();
        });
    s.freshCharacters = -1;
}
BENCHMARK(openIntoScreen)->Iterations(5)->Unit(benchmark::kMillisecond);

void zoomChange(benchmark::State &state)
{
    Screen &s = screen();
    s.reset();
    bool big = false;
    timeSteps(state, [&] {
        big = !big;
        s.view.setZoomLevel(big ? 1.5 : 0.8);
        Screen::turn();
    });
    s.view.setZoomLevel(1.0);
}
BENCHMARK(zoomChange)->Iterations(20)->Unit(benchmark::kMillisecond);

// The whole visible part of the page rendered into an image, horizontal or
// vertical, at per mille `permille` of the way through the text.
void pagePaint(benchmark::State &state)
{
    Screen &s = screen();
    const bool vertical = state.range(0) != 0;
    s.reset(vertical);
    TextPageView *page = s.view.page()->textView();
    QScrollBar *bar = vertical ? page->horizontalScrollBar() : page->verticalScrollBar();
    // Vertical writing starts at the right: its scroll bar runs backwards.
    const qint64 perMille = vertical ? 1000 - state.range(1) : state.range(1);
    bar->setValue(int(qint64(bar->maximum()) * perMille / 1000));
    s.drain();
    QImage image(s.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::transparent);
        s.viewport()->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    // Guard against timing an empty paint: count the inked pixels once.
    int inked = 0;
    for (int y = 0; y < image.height(); y += 2) {
        const QRgb *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); x += 2)
            inked += qAlpha(line[x]) > 0 && qGray(line[x]) < 128;
    }
    state.counters["inked"] = inked;
    if (inked == 0)
        state.SkipWithError("nothing was drawn");
}
BENCHMARK(pagePaint)
    ->ArgNames({"vertical", "permille"})
    ->ArgsProduct({{0, 1}, {0, 500, 1000}})
    ->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    return runBenchmarks<QApplication>(argc, argv);
}
