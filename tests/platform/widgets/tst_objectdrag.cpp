#include "platform/widgets/ObjectDrag.h"

#include <QTest>

class TestObjectDrag : public QObject
{
    Q_OBJECT
private slots:
    void isDrag_data();
    void isDrag();
    void resizedStopsAtTheCallersMinimum_data();
    void resizedStopsAtTheCallersMinimum();
};

void TestObjectDrag::isDrag_data()
{
    QTest::addColumn<QPointF>("translation");
    QTest::addColumn<bool>("drag");
    QTest::newRow("no movement is a tap") << QPointF(0, 0) << false;
    QTest::newRow("9 points is a tap") << QPointF(9, 0) << false;
    QTest::newRow("diagonal under 10 is a tap") << QPointF(7, 7) << false;
    QTest::newRow("10 points is a drag") << QPointF(0, -10) << true;
    QTest::newRow("diagonal past 10 is a drag") << QPointF(-8, 8) << true;
}

void TestObjectDrag::isDrag()
{
    QFETCH(QPointF, translation);
    QFETCH(bool, drag);
    QCOMPARE(ObjectDrag::isDrag(translation), drag);
}

// The spreadsheet keeps objects at least 20 points on a side, the
// presentation editor 30.
void TestObjectDrag::resizedStopsAtTheCallersMinimum_data()
{
    QTest::addColumn<double>("minimum");
    QTest::addColumn<QPointF>("translation");
    QTest::addColumn<QSizeF>("size");
    QTest::newRow("20: grows freely") << 20.0 << QPointF(25, 10) << QSizeF(125, 70);
    QTest::newRow("20: width floored") << 20.0 << QPointF(-95, 0) << QSizeF(20, 60);
    QTest::newRow("30: width floored") << 30.0 << QPointF(-95, 0) << QSizeF(30, 60);
    QTest::newRow("30: both floored") << 30.0 << QPointF(-500, -500) << QSizeF(30, 30);
    QTest::newRow("30: just above the floor") << 30.0 << QPointF(-69, -29) << QSizeF(31, 31);
}

void TestObjectDrag::resizedStopsAtTheCallersMinimum()
{
    QFETCH(double, minimum);
    QFETCH(QPointF, translation);
    QFETCH(QSizeF, size);
    QCOMPARE(ObjectDrag::resized(QSizeF(100, 60), translation, minimum), size);
}

QTEST_GUILESS_MAIN(TestObjectDrag)
#include "tst_objectdrag.moc"
