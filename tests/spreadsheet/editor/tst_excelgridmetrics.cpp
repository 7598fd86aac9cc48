#include "spreadsheet/engine/document/ExcelFileFormat.h"
#include "spreadsheet/editor/ExcelGridMetrics.h"
#include "spreadsheet/engine/model/CellReference.h"

#include <QTest>
#include <limits>

using OptionalCell = std::optional<CellAddress>;
Q_DECLARE_METATYPE(OptionalCell)

class TestExcelGridMetrics : public QObject
{
    Q_OBJECT
private slots:
    void cellRectangles();
    void cellAtPoint_data();
    void cellAtPoint();
    void dragCellTruncatesTowardZero_data();
    void dragCellTruncatesTowardZero();
    void visibleSpanIsClampedToTheGrid_data();
    void visibleSpanIsClampedToTheGrid();
    void fileFormatTexts();
};

void TestExcelGridMetrics::cellRectangles()
{
    QCOMPARE(ExcelGridMetrics::cellRect(0, 0), QRect(40, 24, 100, 24));
    QCOMPARE(ExcelGridMetrics::cellRect(2, 1), QRect(140, 72, 100, 24));
    QCOMPARE(ExcelGridMetrics::rangeRect({1, 1, 2, 2}), QRect(140, 48, 200, 48));
    QCOMPARE(ExcelGridMetrics::contentSize(100, 50), QSize(40 + 5000, 24 + 2400));
}

void TestExcelGridMetrics::cellAtPoint_data()
{
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<OptionalCell>("cell");
    QTest::newRow("first cell") << QPoint(40, 24) << OptionalCell({0, 0});
    QTest::newRow("last pixel of A1") << QPoint(139, 47) << OptionalCell({0, 0});
    QTest::newRow("B2") << QPoint(140, 48) << OptionalCell({1, 1});
    QTest::newRow("row header") << QPoint(39, 30) << OptionalCell();
    QTest::newRow("column header") << QPoint(60, 23) << OptionalCell();
    QTest::newRow("beyond the last column") << QPoint(40 + 100 * 50, 30) << OptionalCell();
    QTest::newRow("beyond the last row") << QPoint(50, 24 + 24 * 100) << OptionalCell();
}

void TestExcelGridMetrics::cellAtPoint()
{
    QFETCH(QPoint, point);
    QTEST(ExcelGridMetrics::cellAt(point, 100, 50), "cell");
}

void TestExcelGridMetrics::dragCellTruncatesTowardZero_data()
{
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<OptionalCell>("cell");
    QTest::newRow("row header maps to column 0") << QPointF(-59, 30) << OptionalCell({0, 0});
    QTest::newRow("header row maps to row 0") << QPointF(60, 1) << OptionalCell({0, 0});
    QTest::newRow("inside C2") << QPointF(260, 50) << OptionalCell({1, 2});
    QTest::newRow("left of -60 is outside") << QPointF(-61, 30) << OptionalCell();
    QTest::newRow("above -0 row is outside") << QPointF(60, -1) << OptionalCell();
    QTest::newRow("past the last column") << QPointF(40 + 100 * 50 + 1, 30) << OptionalCell();
    QTest::newRow("huge") << QPointF(1e300, 1e300) << OptionalCell();
    QTest::newRow("not a number")
        << QPointF(std::numeric_limits<double>::quiet_NaN(), 30) << OptionalCell();
}

void TestExcelGridMetrics::dragCellTruncatesTowardZero()
{
    QFETCH(QPointF, point);
    QTEST(ExcelGridMetrics::dragCellAt(point, 100, 50), "cell");
}

void TestExcelGridMetrics::visibleSpanIsClampedToTheGrid_data()
{
    QTest::addColumn<QRect>("rect");
    QTest::addColumn<QList<int>>("span"); // firstRow, lastRow, firstCol, lastCol
    QTest::newRow("top-left corner") << QRect(0, 0, 300, 100) << QList<int>{0, 3, 0, 2};
    QTest::newRow("scrolled") << QRect(1040, 2424, 200, 48) << QList<int>{100, 101, 10, 11};
    QTest::newRow("past the end") << QRect(100000, 100000, 100, 100) << QList<int>{0, -1, 0, -1};
    QTest::newRow("headers only") << QRect(0, 0, 39, 23) << QList<int>{0, -1, 0, -1};
}

void TestExcelGridMetrics::visibleSpanIsClampedToTheGrid()
{
    QFETCH(QRect, rect);
    QFETCH(QList<int>, span);
    const auto visible = ExcelGridMetrics::visibleSpan(rect, 1000, 200);
    const bool empty = visible.lastRow < visible.firstRow || visible.lastCol < visible.firstCol;
    if (span[1] < 0) {
        QVERIFY(empty);
        return;
    }
    QCOMPARE((QList<int>{visible.firstRow, visible.lastRow, visible.firstCol, visible.lastCol}),
             span);
}

void TestExcelGridMetrics::fileFormatTexts()
{
    for (ExcelFileFormat format : allExcelFileFormats)
        QCOMPARE(excelFileFormatFromText(excelFileFormatText(format)), format);
    QCOMPARE(excelFileFormatText(ExcelFileFormat::Xltx), QStringLiteral("Excelテンプレート (.xltx)"));
    QCOMPARE(excelFileFormatExtension(ExcelFileFormat::Wk1), QStringLiteral("wk1"));
    QVERIFY(!excelFileFormatFromText(QStringLiteral("csv (.csv)")));
}

QTEST_GUILESS_MAIN(TestExcelGridMetrics)
#include "tst_excelgridmetrics.moc"
