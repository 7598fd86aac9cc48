#include "spreadsheet/editor/FloatingObjectDrag.h"

#include <QTest>

namespace {

ExcelObject object(double x, double y, double width, double height)
{
    ExcelObject result;
    result.x = x;
    result.y = y;
    result.width = width;
    result.height = height;
    return result;
}

} // namespace

class TestFloatingObjectDrag : public QObject
{
    Q_OBJECT
private slots:
    void moved_data();
    void moved();
    void resized_data();
    void resized();
    void resizeFollowsThePointerAcrossSteps();
    void toolbarPosition_data();
    void toolbarPosition();
};

void TestFloatingObjectDrag::moved_data()
{
    QTest::addColumn<QPointF>("translation");
    QTest::addColumn<QPointF>("position");
    QTest::newRow("moves by the translation") << QPointF(30, -20) << QPointF(130, 80);
    QTest::newRow("left past the origin stops at 0") << QPointF(-150, 5) << QPointF(0, 105);
    QTest::newRow("up past the origin stops at 0") << QPointF(12, -400) << QPointF(112, 0);
    QTest::newRow("no bound to the right or below") << QPointF(5000, 9000) << QPointF(5100, 9100);
    QTest::newRow("ending where it began keeps the place") << QPointF(0, 0) << QPointF(100, 100);
}

void TestFloatingObjectDrag::moved()
{
    QFETCH(QPointF, translation);
    QFETCH(QPointF, position);
    const ExcelObject result = FloatingObjectDrag::moved(object(100, 100, 80, 40), translation);
    QCOMPARE(QPointF(result.x, result.y), position);
    QCOMPARE(QSizeF(result.width, result.height), QSizeF(80, 40));
}

void TestFloatingObjectDrag::resized_data()
{
    QTest::addColumn<QPointF>("translation");
    QTest::addColumn<QSizeF>("size");
    QTest::newRow("grows by the translation") << QPointF(25, 10) << QSizeF(125, 70);
    QTest::newRow("shrinks by the translation") << QPointF(-50, -30) << QSizeF(50, 30);
    QTest::newRow("stops at the minimum width") << QPointF(-95, 0) << QSizeF(20, 60);
    QTest::newRow("stops at the minimum height") << QPointF(0, -100) << QSizeF(100, 20);
    QTest::newRow("no upper bound") << QPointF(4000, 3000) << QSizeF(4100, 3060);
}

void TestFloatingObjectDrag::resized()
{
    QFETCH(QPointF, translation);
    QFETCH(QSizeF, size);
    const ExcelObject result = FloatingObjectDrag::resized(object(10, 20, 100, 60), translation);
    QCOMPARE(QSizeF(result.width, result.height), size);
    QCOMPARE(QPointF(result.x, result.y), QPointF(10, 20));
}

// Each step of a drag reports the whole translation since the press: the
// size must come from the drag's start, not from the size already grown.
void TestFloatingObjectDrag::resizeFollowsThePointerAcrossSteps()
{
    const ExcelObject atStart = object(0, 0, 100, 100);
    ExcelObject current = atStart;
    for (const QPointF step : {QPointF(10, 10), QPointF(20, 20), QPointF(30, 30)})
        current = FloatingObjectDrag::resized(atStart, step);
    QCOMPARE(QSizeF(current.width, current.height), QSizeF(130, 130));
}

void TestFloatingObjectDrag::toolbarPosition_data()
{
    QTest::addColumn<QRect>("objectRect");
    QTest::addColumn<QPoint>("position");
    QTest::newRow("above, trailing edges aligned") << QRect(200, 200, 100, 50) << QPoint(240, 135);
    QTest::newRow("below when the top of the view is too close") << QRect(200, 40, 100, 50) << QPoint(240, 102);
    QTest::newRow("below when the object is scrolled above the view") << QRect(200, -30, 100, 50) << QPoint(240, 32);
    QTest::newRow("never left of the view") << QRect(0, 200, 20, 20) << QPoint(0, 135);
}

void TestFloatingObjectDrag::toolbarPosition()
{
    QFETCH(QRect, objectRect);
    QFETCH(QPoint, position);
    QCOMPARE(FloatingObjectDrag::toolbarPosition(objectRect, QSize(60, 30), QRect(0, 0, 800, 600)), position);
}

QTEST_GUILESS_MAIN(TestFloatingObjectDrag)
#include "tst_floatingobjectdrag.moc"
