#include "word/ListToggle.h"
#include "word/MorvaneWordView.h"
#include "word/PageCanvas.h"
#include "word/layout/PageTextItem.h"
#include "word/layout/PageTextLayout.h"
#include "word/TextFormattingHelper.h"
#include "word/TextPageView.h"
#include "word/WordArtStyle.h"
#include "word/layout/WordTextDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QWheelEvent>
#include <functional>

// Where the page's text view shows the text: it holds on to what the user
// looks at while paragraphs are laid out late, the line length, zoom or
// writing direction change, or a command changes the whole text; it shows
// the caret and the start of an opened text; the page scrolls sideways when
// it is wider than the window.
namespace {

using Change = std::function<void(MorvaneWordView &)>;

void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

// Paragraphs of very different lengths, mostly kana and kanji, whose
// heights an estimate from the number of characters misses.
void fillLongText(WordTextDocument *document)
{
    QString text;
    for (int i = 0; i < 300; ++i) {
        text += QStringLiteral("第%1段落。").arg(i) + QStringLiteral("縦書きの文章が続きます。").repeated(1 + (i * 7) % 23);
        if (i % 5 == 0)
            text += QStringLiteral(" Latin words in between.");
        text += u'\n';
    }
    text.chop(1);
    document->setPlainText(text);
}

// Waits until the layout has laid out every paragraph in quiet time and
// reported it, calling `tick` every few turns of the event loop meanwhile.
void finishLayout(MorvaneWordView &view, const std::function<void()> &tick = {})
{
    settle();
    const auto *layout = qobject_cast<PageTextLayout *>(view.document()->documentLayout());
    QVERIFY(layout);
    // Bounded by turns, not by time: a slow machine only takes longer.
    constexpr int MostTurns = 20000;
    for (int turn = 0; !layout->isCaughtUp(); ++turn) {
        QVERIFY2(turn < MostTurns, "the layout never caught up");
        if (tick && turn % 6 == 0)
            tick();
        QTest::qWait(10);
    }
    settle();
}

// Lays out every paragraph now, for a start from exact heights.
void layOutEverything(MorvaneWordView &view)
{
    QAbstractTextDocumentLayout *layout = view.document()->documentLayout();
    for (QTextBlock block = view.document()->begin(); block.isValid(); block = block.next())
        layout->blockBoundingRect(block);
    settle();
    settle();
}

TextPageView *textView(MorvaneWordView &view)
{
    return view.page()->textView();
}

// The long text in either writing direction, laid out to its end.
void showLongText(MorvaneWordView &view, bool vertical)
{
    view.showDocument(fillLongText);
    view.setVertical(vertical);
    layOutEverything(view);
}

// The caret a cursor at `position` would show, in the text view's viewport.
QRect caretOnScreen(MorvaneWordView &view, int position)
{
    QTextCursor cursor(view.document());
    cursor.setPosition(position);
    const QRectF block = view.document()->documentLayout()->blockBoundingRect(cursor.block());
    const QTextLayout *layout = cursor.block().layout();
    const QTextLine line = layout->lineForTextPosition(cursor.positionInBlock());
    QRectF rect(block.topLeft(), QSizeF(1, 1));
    if (line.isValid())
        rect = QRectF(line.cursorToX(cursor.positionInBlock()), line.y(), 1, line.height()).translated(layout->position());
    TextPageView *text = textView(view);
    return text->mapFromScene(view.textItem()->mapRectToScene(rect)).boundingRect();
}

// How far past the viewport's leading edge (its top, its right in vertical
// writing) the line holding `position` starts and ends, in pixels.
QPoint lineSpan(MorvaneWordView &view, int position)
{
    const QRect caret = caretOnScreen(view, position);
    const int right = textView(view)->viewport()->width() - 1;
    return view.isVertical() ? QPoint(right - caret.right(), right - caret.left()) : QPoint(caret.top(), caret.bottom());
}

int lineOffset(MorvaneWordView &view, int position)
{
    return lineSpan(view, position).x();
}

// The text position at the leading edge of the viewport.
int positionAtEdge(MorvaneWordView &view)
{
    TextPageView *text = textView(view);
    const QPoint corner = view.isVertical() ? QPoint(text->viewport()->width() - 1, 0) : QPoint(0, 0);
    const QPointF inItem = view.textItem()->mapFromScene(text->mapToScene(corner));
    return view.document()->documentLayout()->hitTest(QPointF(0, inItem.y()), Qt::FuzzyHit);
}

// Whether the text view shows any text: ink, or the selection's colour.
bool showsText(MorvaneWordView &view)
{
    const QImage shown = textView(view)->viewport()->grab().toImage();
    for (int y = 0; y < shown.height(); y += 3) {
        for (int x = 0; x < shown.width(); x += 3) {
            const QRgb pixel = shown.pixel(x, y);
            if (qAlpha(pixel) > 128 && qGray(pixel) < 160)
                return true;
        }
    }
    return false;
}

int caretPosition(MorvaneWordView &view)
{
    return view.textItem()->textCursor().position();
}

// Whether the caret shows in the text view and in the window's page area.
bool caretInWindow(MorvaneWordView &view)
{
    TextPageView *text = textView(view);
    const QRect caret = caretOnScreen(view, caretPosition(view));
    QWidget *area = view.pageArea()->viewport();
    const QRect inArea(text->viewport()->mapTo(area, caret.topLeft()), caret.size());
    return text->viewport()->rect().contains(caret) && area->rect().contains(inArea);
}

void placeCaret(MorvaneWordView &view, int position)
{
    QTextCursor cursor(view.document());
    cursor.setPosition(position);
    view.textItem()->setTextCursor(cursor);
}

// The user scrolls the text so that the line of `position` is about a
// third down the viewport; the caret stays where it was.
void scrollTo(MorvaneWordView &view, int position)
{
    TextPageView *text = textView(view);
    QScrollBar *bar = view.isVertical() ? text->horizontalScrollBar() : text->verticalScrollBar();
    const int extent = view.isVertical() ? text->viewport()->width() : text->viewport()->height();
    const int step = view.isVertical() ? -1 : 1;
    bar->setValue(bar->value() + step * (lineOffset(view, position) - extent / 3));
    settle();
}

// Adds up the area of the paint events a widget gets.
class PaintedArea : public QObject
{
public:
    qint64 pixels = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            for (const QRect &rect : static_cast<QPaintEvent *>(event)->region())
                pixels += qint64(rect.width()) * rect.height();
        }
        return false;
    }
};

struct Screen
{
    explicit Screen(QSize size = QSize(1200, 900))
    {
        view.resize(size);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        textView(view)->setFocus();
        settle();
    }
    MorvaneWordView view;
};

} // namespace

class TestTextPageView : public QObject
{
    Q_OBJECT
private slots:
    // A place in the middle of a long text, shown with the caret (which then
    // holds still) or with the caret far away (the text at the top or, in
    // vertical writing, at the right holds still), stays on screen after the
    // change, and again once every paragraph is laid out.
    void shownTextHoldsStill_data()
    {
        QTest::addColumn<Change>("change");
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<bool>("caretShown");
        const Change margin = [](MorvaneWordView &v) { v.setMarginSize(100); };
        const Change zoom = [](MorvaneWordView &v) { v.setZoomLevel(0.8); };
        const Change none = [](MorvaneWordView &) {};
        QTest::newRow("margin, text at the top") << margin << false << false;
        QTest::newRow("margin, caret") << margin << false << true;
        QTest::newRow("margin, vertical, text at the right") << margin << true << false;
        QTest::newRow("margin, vertical, caret") << margin << true << true;
        QTest::newRow("zoom, text at the top") << zoom << false << false;
        QTest::newRow("zoom, caret") << zoom << false << true;
        QTest::newRow("late layout of a new text") << none << false << true;
        QTest::newRow("late layout of a new text, vertical") << none << true << true;
        // Commands over the whole text, after Ctrl+A has shown the caret at
        // the end.
        const Change size24 = [](MorvaneWordView &v) { TextFormattingHelper::applyFontSize(v.textItem(), 24); };
        QTest::newRow("all: size 24") << size24 << false << true;
        QTest::newRow("all: WordArt") << Change([](MorvaneWordView &v) {
            TextFormattingHelper::applyWordArtStyle(v.textItem(), WordArtStyle::RetroGold);
        }) << false << true;
        QTest::newRow("all: bullets") << Change([](MorvaneWordView &v) { ListToggle::toggleBullets(v.textItem()); })
                                      << false << true;
        QTest::newRow("all: size 24, vertical") << size24 << true << true;
    }
    void shownTextHoldsStill()
    {
        QFETCH(Change, change);
        QFETCH(bool, vertical);
        QFETCH(bool, caretShown);
        Screen screen;
        MorvaneWordView &view = screen.view;
        showLongText(view, vertical);
        // The caret near the end of a line in the middle of the text.
        const int middle = view.document()->findBlockByNumber(200).position() + 30;
        placeCaret(view, caretShown ? middle : 5);
        scrollTo(view, middle);
        if (caretShown)
            textView(view)->showCaret();
        // Follows the text through the change, as lists put in bullets.
        QTextCursor held(view.document());
        held.setPosition(caretShown ? middle : positionAtEdge(view));
        QCOMPARE(caretInWindow(view), caretShown);

        const QString row = QString::fromUtf8(QTest::currentDataTag());
        if (row.startsWith(QLatin1String("all:"))) {
            QTest::keyClick(textView(view)->viewport(), Qt::Key_A, Qt::ControlModifier);
            held.setPosition(caretPosition(view));
            QCOMPARE(held.position(), view.document()->characterCount() - 1);
            QVERIFY(caretInWindow(view));
        } else if (row.startsWith(QLatin1String("late layout"))) {
            // The text is put in again: the heights of the paragraphs above
            // the place are estimates until they are laid out.
            view.showDocument(fillLongText);
            placeCaret(view, middle);
            scrollTo(view, middle);
            textView(view)->showCaret();
            held.setPosition(middle);
        }
        // Where the held line shows when the text is painted right after the
        // change, again and again while the layout catches up, and at last.
        const QPoint before = lineSpan(view, held.position());
        TextPageView *text = textView(view);
        QList<QPoint> shown;
        const auto look = [&] {
            text->viewport()->repaint();
            shown << lineSpan(view, held.position());
        };
        change(view);
        look();
        QVERIFY(showsText(view));
        finishLayout(view, look);
        look();
        // A caret's line that grew or shrank keeps its start or its end.
        for (const QPoint span : std::as_const(shown)) {
            const bool startHeld = qAbs(span.x() - before.x()) <= 1;
            const bool endHeld = caretShown && qAbs(span.y() - before.y()) <= 1;
            QVERIFY2(startHeld || endHeld, qPrintable(QStringLiteral("%1–%2 → %3–%4")
                                                          .arg(before.x()).arg(before.y()).arg(span.x()).arg(span.y())));
        }
        if (caretShown)
            QVERIFY(caretInWindow(view));
    }

    // Undo and redo of a command over the whole text select the whole text
    // again, the caret at its end, and the caret's line stays where the
    // command left it, right away and once the layout has caught up.
    void undoAndRedoSelectWhatChangedInPlace_data()
    {
        QTest::addColumn<Change>("command");
        QTest::addColumn<bool>("vertical");
        const Change size24 = [](MorvaneWordView &v) { TextFormattingHelper::applyFontSize(v.textItem(), 24); };
        QTest::newRow("bold") << Change([](MorvaneWordView &v) { TextFormattingHelper::addBold(v.textItem()); })
                              << false;
        QTest::newRow("size 24") << size24 << false;
        QTest::newRow("WordArt") << Change([](MorvaneWordView &v) {
            TextFormattingHelper::applyWordArtStyle(v.textItem(), WordArtStyle::RetroGold);
        }) << false;
        QTest::newRow("size 24, vertical") << size24 << true;
    }
    void undoAndRedoSelectWhatChangedInPlace()
    {
        QFETCH(Change, command);
        QFETCH(bool, vertical);
        Screen screen;
        MorvaneWordView &view = screen.view;
        showLongText(view, vertical);
        QWidget *keys = textView(view)->viewport();
        QTest::keyClick(keys, Qt::Key_A, Qt::ControlModifier);
        command(view);
        finishLayout(view);
        const int end = view.document()->characterCount() - 1;
        for (const auto step : {QKeySequence::Undo, QKeySequence::Redo}) {
            // The caret's line may grow or shrink, and the end of the text
            // stops the scrolling: it stays within a large line of its place.
            const QPoint before = lineSpan(view, end);
            const auto inPlace = [&] {
                const QTextCursor cursor = view.textItem()->textCursor();
                const QPoint span = lineSpan(view, end);
                return cursor.selectionStart() == 0 && cursor.position() == end
                       && qMin(qAbs(span.x() - before.x()), qAbs(span.y() - before.y())) <= 48;
            };
            QTest::keySequence(keys, QKeySequence(step));
            QVERIFY(inPlace());
            finishLayout(view);
            QVERIFY(inPlace());
            QVERIFY(caretInWindow(view));
        }
    }

    // Opening shows the start of the new text with the caret, whatever was
    // shown before; switching the writing direction or shrinking the window
    // keeps the caret in sight.
    void caretShowsAfterOpeningAndSwitching_data()
    {
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<double>("zoom");
        QTest::addColumn<Change>("change");
        QTest::addColumn<bool>("atStart"); // the text's start and the page's top show
        const Change open = [](MorvaneWordView &v) { v.showDocument(fillLongText); };
        const Change flip = [](MorvaneWordView &v) { v.setVertical(!v.isVertical()); };
        QTest::newRow("open, scrolled down") << false << 1.0 << open << true;
        QTest::newRow("open, scrolled down at 200 %") << false << 2.0 << open << true;
        QTest::newRow("open, vertical, scrolled left at 170 %") << true << 1.7 << open << true;
        QTest::newRow("vertical writing on, caret at the end") << false << 1.0 << flip << false;
        QTest::newRow("vertical writing off, caret at the end") << true << 1.0 << flip << false;
        QTest::newRow("vertical writing on at 170 %") << false << 1.7 << flip << false;
        // The page area shrinks under a page that no longer fits.
        const Change shrink = [](MorvaneWordView &v) { v.resize(1000, 500); };
        QTest::newRow("window shrunk, caret at the end") << false << 1.0 << shrink << false;
        QTest::newRow("window shrunk, vertical at 150 %, caret at the end") << true << 1.5 << shrink << false;
    }
    void caretShowsAfterOpeningAndSwitching()
    {
        QFETCH(bool, vertical);
        QFETCH(double, zoom);
        QFETCH(Change, change);
        QFETCH(bool, atStart);
        Screen screen(QSize(1600, 1000));
        MorvaneWordView &view = screen.view;
        view.showDocument(fillLongText);
        view.setVertical(vertical);
        view.setZoomLevel(zoom);
        layOutEverything(view);
        // Ctrl+End: the text and the page scroll to the end.
        QTest::keyClick(textView(view)->viewport(), Qt::Key_End, Qt::ControlModifier);
        settle();
        QVERIFY(caretInWindow(view));
        QVERIFY(positionAtEdge(view) > 0);

        // Right away, and once the layout has caught up.
        change(view);
        QVERIFY(caretInWindow(view));
        if (atStart) {
            QCOMPARE(caretPosition(view), 0);
            QCOMPARE(positionAtEdge(view), 0);
            QCOMPARE(view.pageArea()->verticalScrollBar()->value(), 0);
        }
        finishLayout(view);
        QVERIFY(caretInWindow(view));
    }

    // A page wider than the window scrolls sideways, and the caret stays in
    // sight at the ends of the lines: on the right where vertical lines
    // start, on the right where horizontal lines end.
    void widePageScrollsSideways_data()
    {
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<double>("zoom");
        QTest::addColumn<Qt::Key>("key");
        QTest::newRow("vertical at 170 %, start of the first line") << true << 1.7 << Qt::Key_Home;
        QTest::newRow("horizontal at 200 %, end of the first line") << false << 2.0 << Qt::Key_End;
        QTest::newRow("horizontal at 200 %, start of the text") << false << 2.0 << Qt::Key_Home;
    }
    void widePageScrollsSideways()
    {
        QFETCH(bool, vertical);
        QFETCH(double, zoom);
        QFETCH(Qt::Key, key);
        Screen screen(QSize(1600, 1000));
        MorvaneWordView &view = screen.view;
        view.showDocument(fillLongText);
        view.setVertical(vertical);
        view.setZoomLevel(zoom);
        settle();
        QScrollArea *area = view.pageArea();
        const int pageWidth = view.page()->width();
        QVERIFY(pageWidth > area->viewport()->width());
        QVERIFY(area->horizontalScrollBar()->isVisible());
        QCOMPARE(area->horizontalScrollBar()->maximum(),
                 pageWidth + 2 * 40 - area->viewport()->width());
        // The page is laid out whole, not squeezed or cut.
        QCOMPARE(view.page()->geometry().left(), 40);

        area->horizontalScrollBar()->setValue(vertical ? 0 : area->horizontalScrollBar()->maximum() / 2);
        QWidget *keys = textView(view)->viewport();
        QTest::keyClick(keys, key);
        QTest::keyClicks(keys, QStringLiteral("typed"));
        settle();
        QVERIFY(caretInWindow(view));
    }

    // A wheel notch moves what shows and paints only the strip it
    // uncovers, not the whole text area, nor the page under it, nor the
    // screen behind the moving scroll bar.
    void wheelPaintsUncoveredStrip_data()
    {
        QTest::addColumn<bool>("vertical");
        QTest::newRow("horizontal") << false;
        QTest::newRow("vertical") << true;
    }
    void wheelPaintsUncoveredStrip()
    {
        QFETCH(bool, vertical);
        Screen screen;
        MorvaneWordView &view = screen.view;
        showLongText(view, vertical);
        QWidget *viewport = textView(view)->viewport();
        PaintedArea text;
        PaintedArea page;
        PaintedArea screenBehind;
        viewport->installEventFilter(&text);
        view.page()->installEventFilter(&page);
        view.installEventFilter(&screenBehind);
        constexpr int Notches = 4;
        for (int i = 0; i < Notches; ++i) {
            const QPointF centre = viewport->rect().center();
            QWheelEvent wheel(centre, viewport->mapToGlobal(centre), QPoint(), QPoint(0, -120), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(viewport, &wheel);
            settle();
        }
        const qint64 whole = qint64(viewport->width()) * viewport->height();
        QVERIFY(text.pixels > 0);
        QVERIFY2(text.pixels < Notches * whole / 3, qPrintable(QString::number(text.pixels)));
        QVERIFY2(page.pixels < Notches * whole / 10, qPrintable(QString::number(page.pixels)));
        QCOMPARE(screenBehind.pixels, 0);
    }
};

QTEST_MAIN(TestTextPageView)
#include "tst_textpageview.moc"
