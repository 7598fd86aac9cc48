#include "platform/AppState.h"
#include "platform/widgets/ColorHex.h"
#include "platform/widgets/ColorSwatchButton.h"
#include "spreadsheet/editor/FloatingObjectLayer.h"
#include "spreadsheet/editor/FloatingObjectToolbar.h"
#include "spreadsheet/editor/FloatingObjectView.h"
#include "spreadsheet/engine/document/ExcelDocument.h"

#include <QInputMethodEvent>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <algorithm>
#include <memory>

namespace {

bool isUnsaved()
{
    return AppState::shared().hasUnsavedChanges(AppState::Editor::Spreadsheet);
}

void clearUnsaved()
{
    AppState::shared().setHasUnsavedChanges(AppState::Editor::Spreadsheet, false);
}

// Presses at `from` (view coordinates), moves through each translation from
// the press point, releases at the last one.
void drag(QWidget *view, QPoint from, const QList<QPoint> &translations)
{
    const QPoint pressGlobal = view->mapToGlobal(from);
    QTest::mousePress(view, Qt::LeftButton, {}, from);
    for (const QPoint &step : translations)
        QTest::mouseMove(view, view->mapFromGlobal(pressGlobal + step));
    QTest::mouseRelease(view, Qt::LeftButton, {}, view->mapFromGlobal(pressGlobal + translations.last()));
}

} // namespace

class TestFloatingObjectLayer : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void viewsFollowTheObjectList();
    void tapSelectsWithoutWriting();
    void smallDragIsATap();
    void moveReachesTheDocumentAtTheEnd_data();
    void moveReachesTheDocumentAtTheEnd();
    void otherButtonsLeaveADragAlone();
    void resizeFromTheHandleFollowsThePointer();
    void selectingLoadsTheColourWithoutWritingIt();
    void pickedColourIsWritten();
    void typingEditsTheTextBox();
    void deleteRemovesAndClearsSelection();
    void toolbarGoesBelowWithoutRoomAbove();
    void toolbarFlipsWhenScrolledToTheTop();
    void onlyObjectsTakeTheMouse();

private:
    ExcelObject object(int index) const { return m_document->objects().at(index); }
    FloatingObjectView *view(int index) const { return m_layer->view(object(index).id); }
    ExcelObject placeObject(ExcelObjectType type, double x, double y);

    std::unique_ptr<ExcelDocument> m_document;
    std::unique_ptr<QScrollArea> m_area;
    FloatingObjectLayer *m_layer = nullptr;
};

void TestFloatingObjectLayer::init()
{
    m_document = std::make_unique<ExcelDocument>();
    // The layer is the scrolled content here, as it is over the grid.
    m_area = std::make_unique<QScrollArea>();
    m_layer = new FloatingObjectLayer(m_document.get());
    m_layer->resize(3000, 3000);
    m_area->setWidget(m_layer);
    m_area->resize(600, 400);
    m_area->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_area.get()));
}

void TestFloatingObjectLayer::cleanup()
{
    m_area.reset();
    m_document.reset();
    clearUnsaved();
}

ExcelObject TestFloatingObjectLayer::placeObject(ExcelObjectType type, double x, double y)
{
    ExcelObject added = m_document->addObject(type);
    added.x = x;
    added.y = y;
    m_document->updateObject(added);
    clearUnsaved();
    return added;
}

void TestFloatingObjectLayer::viewsFollowTheObjectList()
{
    const ExcelObject box = placeObject(ExcelObjectType::Rectangle, 50, 60);
    placeObject(ExcelObjectType::Circle, 200, 60);
    placeObject(ExcelObjectType::TextBox, 300, 60);
    QCOMPARE(m_layer->viewCount(), 3);
    QCOMPARE(view(0)->geometry(), QRect(50, 60, 100, 100));
    QCOMPARE(view(2)->geometry().size(), QSize(150, 60));

    m_document->removeObject(box.id);
    QCOMPARE(m_layer->viewCount(), 2);
    QVERIFY(!m_layer->view(box.id));
}

void TestFloatingObjectLayer::tapSelectsWithoutWriting()
{
    placeObject(ExcelObjectType::Rectangle, 50, 60);
    placeObject(ExcelObjectType::Circle, 200, 60);
    const QList<ExcelObject> before = m_document->objects();

    QTest::mouseClick(view(1), Qt::LeftButton, {}, QPoint(50, 50));
    QCOMPARE(m_layer->selectedObjectId(), object(1).id);
    QVERIFY(view(1)->isSelected());
    QVERIFY(view(1)->toolbar());
    QVERIFY(!view(0)->toolbar());

    QTest::mouseClick(view(0), Qt::LeftButton, {}, QPoint(50, 50));
    QCOMPARE(m_layer->selectedObjectId(), object(0).id);
    QVERIFY(!view(1)->isSelected());
    QCOMPARE(m_document->objects(), before);
    QVERIFY(!isUnsaved());
}

void TestFloatingObjectLayer::smallDragIsATap()
{
    placeObject(ExcelObjectType::Rectangle, 100, 100);
    drag(view(0), QPoint(50, 50), {QPoint(4, 3), QPoint(6, 7)});
    QCOMPARE(QPointF(object(0).x, object(0).y), QPointF(100, 100));
    QCOMPARE(m_layer->selectedObjectId(), object(0).id);
    QVERIFY(!isUnsaved());
}

void TestFloatingObjectLayer::moveReachesTheDocumentAtTheEnd_data()
{
    QTest::addColumn<QPoint>("translation");
    QTest::addColumn<QPointF>("position");
    QTest::newRow("moves by the drag") << QPoint(40, 25) << QPointF(140, 125);
    QTest::newRow("clamped at 0 on both axes") << QPoint(-300, -250) << QPointF(0, 0);
}

void TestFloatingObjectLayer::moveReachesTheDocumentAtTheEnd()
{
    QFETCH(QPoint, translation);
    QFETCH(QPointF, position);
    placeObject(ExcelObjectType::Rectangle, 100, 100);
    FloatingObjectView *moving = view(0);
    const QPoint pressGlobal = moving->mapToGlobal(QPoint(50, 50));
    QTest::mousePress(moving, Qt::LeftButton, {}, QPoint(50, 50));
    QTest::mouseMove(moving, moving->mapFromGlobal(pressGlobal + translation));
    QCOMPARE(moving->pos(), QPoint(100, 100) + translation); // live, view only
    QCOMPARE(QPointF(object(0).x, object(0).y), QPointF(100, 100));
    QVERIFY(!isUnsaved());

    QTest::mouseRelease(moving, Qt::LeftButton, {}, moving->mapFromGlobal(pressGlobal + translation));
    QCOMPARE(QPointF(object(0).x, object(0).y), position);
    QCOMPARE(moving->pos(), position.toPoint());
    QVERIFY(isUnsaved());
    QVERIFY(m_layer->selectedObjectId().isNull()); // a drag does not select
}

// A right click while the left button drags neither ends nor drops the move.
void TestFloatingObjectLayer::otherButtonsLeaveADragAlone()
{
    placeObject(ExcelObjectType::Rectangle, 100, 100);
    FloatingObjectView *moving = view(0);
    const QPoint press(50, 50);
    const QPoint pressGlobal = moving->mapToGlobal(press);
    QTest::mousePress(moving, Qt::LeftButton, {}, press);
    QTest::mouseMove(moving, moving->mapFromGlobal(pressGlobal + QPoint(40, 30)));
    QMouseEvent rightPress(QEvent::MouseButtonPress, moving->mapFromGlobal(pressGlobal + QPoint(40, 30)),
                           pressGlobal + QPoint(40, 30), Qt::RightButton, Qt::LeftButton | Qt::RightButton,
                           Qt::NoModifier);
    rightPress.ignore();
    QCoreApplication::sendEvent(moving, &rightPress);
    QVERIFY(rightPress.isAccepted()); // not passed on to the grid, whose menu would end the drag
    QTest::mouseRelease(moving, Qt::RightButton, {}, moving->mapFromGlobal(pressGlobal + QPoint(40, 30)));
    QCOMPARE(QPointF(object(0).x, object(0).y), QPointF(100, 100));
    QTest::mouseMove(moving, moving->mapFromGlobal(pressGlobal + QPoint(60, 30)));
    QCOMPARE(moving->pos(), QPoint(160, 130));
    QTest::mouseRelease(moving, Qt::LeftButton, {}, moving->mapFromGlobal(pressGlobal + QPoint(60, 30)));
    QCOMPARE(QPointF(object(0).x, object(0).y), QPointF(160, 130));
    QCOMPARE(moving->pos(), QPoint(160, 130));
}

void TestFloatingObjectLayer::resizeFromTheHandleFollowsThePointer()
{
    placeObject(ExcelObjectType::Rectangle, 100, 100);
    QTest::mouseClick(view(0), Qt::LeftButton, {}, QPoint(50, 50));
    FloatingObjectView *resizing = view(0);
    const QPoint handle = resizing->handleRect().center();
    const QPoint pressGlobal = resizing->mapToGlobal(handle);
    QTest::mousePress(resizing, Qt::LeftButton, {}, handle);

    QTest::mouseMove(resizing, resizing->mapFromGlobal(pressGlobal + QPoint(30, 20)));
    QCOMPARE(QSizeF(object(0).width, object(0).height), QSizeF(130, 120));
    QTest::mouseMove(resizing, resizing->mapFromGlobal(pressGlobal + QPoint(40, 40)));
    QCOMPARE(QSizeF(object(0).width, object(0).height), QSizeF(140, 140));
    QTest::mouseMove(resizing, resizing->mapFromGlobal(pressGlobal + QPoint(-200, -95)));
    QCOMPARE(QSizeF(object(0).width, object(0).height), QSizeF(20, 20));
    QTest::mouseRelease(resizing, Qt::LeftButton, {}, resizing->mapFromGlobal(pressGlobal + QPoint(-200, -95)));

    QCOMPARE(QPointF(object(0).x, object(0).y), QPointF(100, 100));
    QCOMPARE(resizing->geometry().topLeft(), QPoint(100, 100));
}

void TestFloatingObjectLayer::selectingLoadsTheColourWithoutWritingIt()
{
    ExcelObject shape = placeObject(ExcelObjectType::Rectangle, 100, 100);
    shape.colorHex = QStringLiteral("#abc");
    m_document->updateObject(shape);
    clearUnsaved();

    QTest::mouseClick(view(0), Qt::LeftButton, {}, QPoint(50, 50));
    QCOMPARE(view(0)->toolbar()->color(), ColorHex::colorFromHex(QStringLiteral("#abc")));
    QCOMPARE(object(0).colorHex, QStringLiteral("#abc"));
    QVERIFY(!isUnsaved());
}

void TestFloatingObjectLayer::pickedColourIsWritten()
{
    placeObject(ExcelObjectType::Circle, 100, 100);
    QTest::mouseClick(view(0), Qt::LeftButton, {}, QPoint(50, 50));
    ColorSwatchButton *swatch = view(0)->toolbar()->colorButton();
    swatch->setColorChooser([](QWidget *, const QColor &) { return QColor(255, 0, 0, 128); });
    QTest::mouseClick(swatch, Qt::LeftButton);
    QCOMPARE(object(0).colorHex, QStringLiteral("#FF0000"));
    QVERIFY(isUnsaved());
    QCOMPARE(view(0)->grab().toImage().pixelColor(50, 50), QColor(255, 0, 0)); // drawn in the new colour

    clearUnsaved();
    swatch->setColorChooser([](QWidget *, const QColor &) { return QColor(); }); // cancelled
    QTest::mouseClick(swatch, Qt::LeftButton);
    QCOMPARE(object(0).colorHex, QStringLiteral("#FF0000"));
    QVERIFY(!isUnsaved());
}

void TestFloatingObjectLayer::typingEditsTheTextBox()
{
    placeObject(ExcelObjectType::TextBox, 100, 100);
    QVERIFY(!view(0)->textEditor());
    QTest::mouseClick(view(0), Qt::LeftButton, {}, QPoint(2, 2));
    QPlainTextEdit *editor = view(0)->textEditor();
    QVERIFY(editor);
    editor->selectAll();
    QInputMethodEvent composed; // a committed input-method string, as a Japanese IME sends
    composed.setCommitString(QStringLiteral("売上"));
    QCoreApplication::sendEvent(editor, &composed);
    QTest::keyClicks(editor, QStringLiteral(" Q1"));
    QCOMPARE(object(0).text, QStringLiteral("売上 Q1"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::keyClicks(editor, QStringLiteral("ok"));
    QCOMPARE(object(0).text, QStringLiteral("売上 Q1\nok"));
    QCOMPARE(editor->textCursor().position(), 8); // the cursor survives each round trip
    QVERIFY(isUnsaved());

    // Selecting another object turns the editor back into a label.
    placeObject(ExcelObjectType::Rectangle, 400, 100);
    QTest::mouseClick(view(1), Qt::LeftButton, {}, QPoint(50, 50));
    QVERIFY(!view(0)->textEditor());
}

void TestFloatingObjectLayer::deleteRemovesAndClearsSelection()
{
    placeObject(ExcelObjectType::Rectangle, 100, 100);
    placeObject(ExcelObjectType::Circle, 300, 100);
    const QUuid kept = object(1).id;
    QTest::mouseClick(view(0), Qt::LeftButton, {}, QPoint(50, 50));
    QTest::mouseClick(view(0)->toolbar()->deleteButton(), Qt::LeftButton);
    const auto toolbars = m_layer->findChildren<FloatingObjectToolbar *>();
    QVERIFY(std::none_of(toolbars.cbegin(), toolbars.cend(),
                         [](const FloatingObjectToolbar *toolbar) { return toolbar->isVisible(); }));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QCOMPARE(m_document->objects().size(), 1);
    QCOMPARE(object(0).id, kept);
    QVERIFY(m_layer->selectedObjectId().isNull());
    QCOMPARE(m_layer->viewCount(), 1);
    QVERIFY(isUnsaved());
}

void TestFloatingObjectLayer::toolbarGoesBelowWithoutRoomAbove()
{
    placeObject(ExcelObjectType::Rectangle, 100, 10);
    placeObject(ExcelObjectType::Rectangle, 300, 200);
    QTest::mouseClick(view(0), Qt::LeftButton, {}, QPoint(50, 50));
    QVERIFY(view(0)->toolbar()->geometry().top() > view(0)->objectRect().bottom());

    QTest::mouseClick(view(1), Qt::LeftButton, {}, QPoint(50, 50));
    const QRect toolbar = view(1)->toolbar()->geometry();
    QCOMPARE(toolbar.bottom() + 1 + 35, view(1)->objectRect().top());
    QCOMPARE(toolbar.right(), view(1)->objectRect().right());
}

void TestFloatingObjectLayer::toolbarFlipsWhenScrolledToTheTop()
{
    placeObject(ExcelObjectType::Rectangle, 300, 300);
    QTest::mouseClick(view(0), Qt::LeftButton, {}, QPoint(50, 50));
    QVERIFY(view(0)->toolbar()->geometry().bottom() < view(0)->objectRect().top());
    m_area->verticalScrollBar()->setValue(260); // the object's top is now 40 below the view's
    QVERIFY(view(0)->toolbar()->geometry().top() > view(0)->objectRect().bottom());
    m_area->verticalScrollBar()->setValue(0);
    QVERIFY(view(0)->toolbar()->geometry().bottom() < view(0)->objectRect().top());
}

void TestFloatingObjectLayer::onlyObjectsTakeTheMouse()
{
    placeObject(ExcelObjectType::Circle, 100, 100);
    QWidget *viewport = m_area->viewport();
    QCOMPARE(viewport->childAt(QPoint(150, 150)), view(0));
    QCOMPARE(viewport->childAt(QPoint(400, 300)), nullptr);
    m_document->setObjects({});
    QCOMPARE(viewport->childAt(QPoint(150, 150)), nullptr);
    placeObject(ExcelObjectType::Circle, 100, 100);

    // A press in the corner of a circle's frame, outside the circle, is not the object's.
    QTest::mouseClick(view(0), Qt::LeftButton, {}, QPoint(3, 3));
    QVERIFY(m_layer->selectedObjectId().isNull());
}

QTEST_MAIN(TestFloatingObjectLayer)
#include "tst_floatingobjectlayer.moc"
