#include "EditorTestSupport.h"
#include "presentation/editor/BoxTextFitting.h"
#include "presentation/editor/MorvanePowerPointView.h"
#include "presentation/editor/ObjectResizeHandle.h"
#include "presentation/editor/ObjectSelection.h"
#include "presentation/editor/PowerPointObjectView.h"
#include "presentation/editor/SlideCanvas.h"

#include <QSignalSpy>
#include <QTextEdit>
#include <QtTest>

using namespace EditorTest;

// Object views on the canvas of a whole screen, driven by real mouse events.
class TestPowerPointObjectView : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<MorvanePowerPointView> m_view;
    PowerPointDocument *document() const { return m_view->document(); }
    SlideCanvas *canvas() const { return m_view->canvas(); }

    // A circle of 120 × 120 at (x, y) on the current slide, returned as stored.
    SlideObject addCircle(double x, double y)
    {
        document()->addObject(SlideObjectType::Circle, 0);
        SlideObject circle = document()->currentSlide()->objects.last();
        circle.x = x;
        circle.y = y;
        document()->updateObject(0, circle);
        return document()->currentSlide()->objects.last();
    }
    SlideObject stored(const QUuid &id) const
    {
        const Slide *slide = document()->currentSlide();
        return slide->objects.value(slide->indexOfObject(id));
    }

private slots:
    void init()
    {
        m_view = std::make_unique<MorvanePowerPointView>();
        m_view->resize(1300, 800);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
        markSaved();
    }
    void cleanup() { m_view.reset(); }

    void tapUnderTenPointsSelectsWithoutWriting()
    {
        const SlideObject circle = addCircle(300, 200);
        markSaved();
        QSignalSpy writes(document(), &PowerPointDocument::slidesChanged);
        PowerPointObjectView *view = canvas()->objectView(circle.id);
        drag(view, canvas(), QPoint(330, 230), QPoint(336, 237));
        QCOMPARE(m_view->selection()->selectedObjectId(), circle.id);
        QVERIFY(view->isSelected());
        QCOMPARE(writes.count(), 0);
        QVERIFY(!presentationUnsaved());
        QCOMPARE(stored(circle.id).x, 300.0);
    }

    void moveWritesOnceWhenTheDragEnds_data()
    {
        QTest::addColumn<QPointF>("start");
        QTest::addColumn<QPoint>("translation");
        QTest::addColumn<QPointF>("expected");
        QTest::newRow("inside the slide") << QPointF(300, 200) << QPoint(40, -30) << QPointF(340, 170);
        QTest::newRow("past the left and top edges stops at 0") << QPointF(20, 20) << QPoint(-50, -60) << QPointF(0, 0);
        QTest::newRow("past the right and bottom edges stays reachable")
            << QPointF(600, 300) << QPoint(400, 300) << QPointF(790, 440);
    }
    void moveWritesOnceWhenTheDragEnds()
    {
        QFETCH(QPointF, start);
        QFETCH(QPoint, translation);
        QFETCH(QPointF, expected);
        const SlideObject circle = addCircle(start.x(), start.y());
        QSignalSpy writes(document(), &PowerPointDocument::slidesChanged);
        PowerPointObjectView *view = canvas()->objectView(circle.id);
        const QPoint from = (start + QPointF(10, 10)).toPoint();
        const auto local = [&](QPoint p) { return view->mapFrom(canvas(), p); };
        QTest::mousePress(view, Qt::LeftButton, Qt::NoModifier, local(from));
        QTest::mouseMove(view, local(from + translation));
        // While the drag lasts only the view moves, unclamped.
        QCOMPARE(view->dragOffset(), QPointF(translation));
        QCOMPARE(view->pos(), (start + QPointF(translation)).toPoint());
        QCOMPARE(writes.count(), 0);
        QTest::mouseRelease(view, Qt::LeftButton, Qt::NoModifier, local(from + translation));
        QCOMPARE(writes.count(), 1);
        QCOMPARE(QPointF(stored(circle.id).x, stored(circle.id).y), expected);
        QCOMPARE(view->dragOffset(), QPointF());
        QCOMPARE(canvas()->objectView(circle.id), view); // the same view, updated in place
        QCOMPARE(view->pos(), expected.toPoint());
    }

    void resizeFollowsTheDragFromItsStartAndKeepsThirty()
    {
        const SlideObject circle = addCircle(300, 200);
        m_view->selection()->setSelectedObjectId(circle.id);
        ObjectResizeHandle *handle = canvas()->objectView(circle.id)->resizeHandle();
        QVERIFY(handle->isVisible());
        const QPoint corner(420, 320);
        const auto local = [&](QPoint p) { return handle->mapFrom(canvas(), p); };
        QTest::mousePress(handle, Qt::LeftButton, Qt::NoModifier, local(corner));
        QTest::mouseMove(handle, local(corner + QPoint(-200, -200)));
        QCOMPARE(stored(circle.id).width, 30.0);
        QCOMPARE(stored(circle.id).height, 30.0);
        // Back within the same drag: the size comes from the start again.
        QTest::mouseMove(handle, local(corner + QPoint(30, 10)));
        QCOMPARE(stored(circle.id).width, 150.0);
        QCOMPARE(stored(circle.id).height, 130.0);
        QTest::mouseRelease(handle, Qt::LeftButton, Qt::NoModifier, local(corner + QPoint(30, 10)));
        QCOMPARE(stored(circle.id).x, 300.0);
        QCOMPARE(stored(circle.id).y, 200.0);
        QCOMPARE(handle->geometry().topLeft(), QPoint(450 - 7, 330 - 7));
    }

    void handleTakesClicksOutsideItsObject()
    {
        const SlideObject circle = addCircle(300, 200);
        addCircle(421, 321); // lies under where the handle sticks out
        m_view->selection()->setSelectedObjectId(circle.id);
        QWidget *under = canvas()->childAt(QPoint(424, 324));
        QCOMPARE(under, canvas()->objectView(circle.id)->resizeHandle());
    }

    void textObjectMarginMovesAndInsideEdits()
    {
        const SlideObject title = firstObject(*document(), SlideObjectType::Title);
        m_view->selection()->setSelectedObjectId(title.id);
        PowerPointObjectView *view = canvas()->objectView(title.id);
        QTextEdit *editor = view->textEditor();
        QVERIFY(editor && editor->isVisible());
        QCOMPARE(editor->geometry(), QRect(8, 8, 700 - 16, 80 - 16));
        // A drag in the 8-point margin moves the object.
        drag(view, canvas(), QPoint(53, 103), QPoint(153, 103));
        QCOMPARE(stored(title.id).x, 150.0);
    }

    void typingInPlaceKeepsFocusCaretAndView()
    {
        const SlideObject title = firstObject(*document(), SlideObjectType::Title);
        PowerPointObjectView *view = canvas()->objectView(title.id);
        QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
        QTextEdit *editor = view->textEditor();
        QTRY_VERIFY(editor->hasFocus());
        editor->moveCursor(QTextCursor::End);
        typeThroughInputMethod(editor, QStringLiteral("です"));
        QVERIFY(editor->hasFocus());
        QCOMPARE(canvas()->objectView(title.id), view);
        QCOMPARE(editor->textCursor().position(), int(title.text.size()) + 2);
        QCOMPARE(stored(title.id).text, title.text + QStringLiteral("です"));
        QVERIFY(presentationUnsaved());
    }

    void inPlaceEditorReloadsAnOutsideEdit()
    {
        const SlideObject title = firstObject(*document(), SlideObjectType::Title);
        m_view->selection()->setSelectedObjectId(title.id);
        QTextEdit *editor = canvas()->objectView(title.id)->textEditor();
        SlideObject edited = title;
        edited.text = QStringLiteral("外から");
        edited.fontSize = 55;
        document()->updateObject(0, edited);
        QCOMPARE(editor->toPlainText(), QStringLiteral("外から"));
        // The next keystroke starts from the new text and keeps the other fields.
        editor->moveCursor(QTextCursor::End);
        QTest::keyClicks(editor, QStringLiteral("!"));
        QCOMPARE(stored(title.id).text, QStringLiteral("外から!"));
        QCOMPARE(stored(title.id).fontSize, 55.0);
    }

    void hostileNumbersDrawWithoutTouchingTheDocument()
    {
        SlideObject circle = addCircle(0, 0);
        circle.width = 1e300;
        circle.height = -5;
        circle.x = -1e300;
        circle.fontSize = 1e9;
        circle.text = QStringLiteral("x");
        document()->updateObject(0, circle);
        PowerPointObjectView *view = canvas()->objectView(circle.id);
        QVERIFY(view->width() <= 100000);
        QCOMPARE(view->height(), 0);
        canvas()->grab(); // paints without a crash or a Qt warning about the font
        QCOMPARE(stored(circle.id).width, 1e300);
    }

    // A slide of many objects: the canvas draws them without a view each,
    // lays out of a long text only what its box shows, and repaints after a
    // move only around the moved object, which still moves by a drag.
    void manyObjectsCostWhatShows_data()
    {
        QTest::addColumn<int>("objectCount");
        QTest::addColumn<int>("wordLength");
        QTest::newRow("2,000 short text boxes") << 2000 << 8;
        QTest::newRow("200 boxes of a 20,000-letter word") << 200 << 20000;
    }
    void manyObjectsCostWhatShows()
    {
        QFETCH(int, objectCount);
        QFETCH(int, wordLength);
        QList<Slide> slides = document()->slides();
        slides[0].objects.clear();
        for (int i = 0; i < objectCount; ++i) { // stacks in a grid of 10 × 10 cells 50 × 22 apart
            SlideObject box = SlideObject::inserted(SlideObjectType::TextBox);
            box.x = i % 10 * 50;
            box.y = i / 10 % 10 * 22;
            box.width = 30;
            box.height = 16;
            box.text = QString(wordLength, QChar(u'a' + i % 26));
            slides[0].objects.append(box);
        }
        document()->setSlides(slides);
        QCOMPARE(canvas()->objectViews().size(), 0);
        const qint64 laidOutBefore = BoxTextFitting::charactersLaidOut();
        canvas()->repaint();
        QCOMPARE(canvas()->objectsDrawnLastPaint(), objectCount);
        QVERIFY(BoxTextFitting::charactersLaidOut() - laidOutBefore <= objectCount * 1000);

        const SlideObject moved = document()->currentSlide()->objects.last(); // on top of its stack
        const QPoint from = QPointF(moved.x + 10, moved.y + 8).toPoint();
        QSignalSpy writes(document(), &PowerPointDocument::slidesChanged);
        drag(canvas(), canvas(), from, from + QPoint(12, 0), 1);
        QCOMPARE(writes.count(), 1);
        QCOMPARE(QPointF(stored(moved.id).x, stored(moved.id).y), QPointF(moved.x + 12, moved.y));
        QCoreApplication::processEvents(); // the repaint the move asked for
        QVERIFY(canvas()->objectsDrawnLastPaint() <= objectCount / 100 + 1);
        QCOMPARE(canvas()->objectViews().size(), 0);

        QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, from + QPoint(12, 0));
        QCOMPARE(m_view->selection()->selectedObjectId(), moved.id);
        QCOMPARE(canvas()->objectViews(), {canvas()->objectView(moved.id)});
        // The selected object beneath does not take a click on the one above.
        m_view->selection()->setSelectedObjectId(document()->currentSlide()->objects[objectCount - 101].id);
        const QPoint overBoth = from + QPoint(14, 0);
        QCOMPARE(canvas()->childAt(overBoth), nullptr);
        QTest::mouseClick(canvas(), Qt::LeftButton, Qt::NoModifier, overBoth);
        QCOMPARE(m_view->selection()->selectedObjectId(), moved.id);
    }
};

QTEST_MAIN(TestPowerPointObjectView)
#include "tst_powerpointobjectview.moc"
