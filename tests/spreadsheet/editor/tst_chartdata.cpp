#include "spreadsheet/editor/ChartData.h"
#include "spreadsheet/engine/document/ExcelDocument.h"

#include <QTest>

using Points = QList<ChartDataPoint>;
using Cells = QList<QPair<QString, QString>>; // reference, raw text

namespace QTest {
template<>
char *toString(const ChartDataPoint &point)
{
    return qstrdup(QStringLiteral("(%1, %2, %3)").arg(point.category).arg(point.value).arg(point.series).toUtf8());
}
} // namespace QTest

class TestChartData : public QObject
{
    Q_OBJECT
private slots:
    void derivation_data();
    void derivation();
    void invalidRanges_data();
    void invalidRanges();
    void categoriesAndSeriesInFirstAppearanceOrder();
};

void TestChartData::derivation_data()
{
    QTest::addColumn<Cells>("cells");
    QTest::addColumn<QString>("range");
    QTest::addColumn<Points>("points");
    const QString single = QStringLiteral("数値");

    QTest::newRow("one column: references as categories")
        << Cells{{"A1", "3"}, {"A2", "4.5"}, {"A3", "x"}} << "A1:A3"
        << Points{{"A1", 3, single}, {"A2", 4.5, single}, {"A3", 0, single}};
    QTest::newRow("one cell") << Cells{{"C7", "-2"}} << "C7:C7" << Points{{"C7", -2, single}};
    QTest::newRow("one row") << Cells{{"B2", "1"}, {"C2", "2"}, {"D2", "1e1"}} << "B2:D2"
                             << Points{{"B2", 1, single}, {"C2", 2, single}, {"D2", 10, single}};
    QTest::newRow("corners reversed and lower case") << Cells{{"B2", "1"}, {"C2", "2"}} << "c2:b2"
                                                     << Points{{"B2", 1, single}, {"C2", 2, single}};
    QTest::newRow("formula cells plot their results")
        << Cells{{"A1", "2"}, {"A2", "=SUM(A1,A1,A1)"}, {"A3", "=NOPE(A1)"}} << "A1:A3"
        << Points{{"A1", 2, single}, {"A2", 6, single}, {"A3", 0, single}};
    QTest::newRow("texts that are not whole numbers plot 0")
        << Cells{{"A1", "1,000"}, {"A2", " 5"}, {"A3", "5 "}, {"A4", "12abc"}, {"A5", "inf"}} << "A1:A5"
        << Points{{"A1", 0, single}, {"A2", 0, single}, {"A3", 0, single}, {"A4", 0, single}, {"A5", 0, single}};
    QTest::newRow("two columns with headers: the header row gives no point")
        << Cells{{"A1", "月"}, {"B1", "売上"}, {"A2", "1月"}, {"B2", "10"}, {"A3", "2月"}, {"B3", "20"},
                 {"A4", "3月"}, {"B4", "30"}}
        << "A1:B4" << Points{{"1月", 10, "売上"}, {"2月", 20, "売上"}, {"3月", 30, "売上"}};
    QTest::newRow("empty header: column letters and the first row plotted")
        << Cells{{"A1", "月"}, {"A2", "1月"}, {"B2", "10"}, {"A3", "2月"}, {"B3", "20"}} << "A1:B3"
        << Points{{"月", 0, "B列"}, {"1月", 10, "B列"}, {"2月", 20, "B列"}};
    QTest::newRow("empty category reads as its row")
        << Cells{{"B1", "x"}, {"C1", "y"}, {"B2", "1"}, {"C2", "2"}} << "A1:C2"
        << Points{{"行 2", 1, "x"}, {"行 2", 2, "y"}};
    QTest::newRow("mixed headers, row by row")
        << Cells{{"B3", "S1"}, {"A4", "p"}, {"B4", "1"}, {"C4", "2"}, {"A5", "q"}, {"B5", "3"}, {"C5", "4"}}
        << "A3:C5"
        << Points{{"行 3", 0, "C列"}, {"p", 1, "S1"}, {"p", 2, "C列"}, {"q", 3, "S1"}, {"q", 4, "C列"}};
}

void TestChartData::derivation()
{
    QFETCH(Cells, cells);
    QFETCH(QString, range);
    QFETCH(Points, points);
    ExcelDocument document;
    for (const auto &[reference, text] : cells) {
        const CellAddress at = *CellReference::parse(reference);
        document.setCell(at.row, at.col, text);
    }
    document.recalculate();
    const ChartData data = ChartData::fromRange(document, range);
    QVERIFY(data.errorMessage().isEmpty());
    QCOMPARE(data.points(), points);
}

void TestChartData::invalidRanges_data()
{
    QTest::addColumn<QString>("range");
    QTest::newRow("empty") << "";
    QTest::newRow("no colon") << "A1";
    QTest::newRow("two colons") << "A1:B2:C3";
    QTest::newRow("malformed reference") << "A1:2B";
    QTest::newRow("past the last row") << "A1:A101";
    QTest::newRow("past the last column") << "A1:AY1";
    QTest::newRow("surrounding spaces") << " A1:B5 ";
}

void TestChartData::invalidRanges()
{
    QFETCH(QString, range);
    ExcelDocument document;
    document.setCell(0, 0, QStringLiteral("1"));
    const ChartData data = ChartData::fromRange(document, range);
    QCOMPARE(data.errorMessage(), QStringLiteral("無効な範囲フォーマットです (例: A1:B5)"));
    QVERIFY(data.isEmpty());
}

void TestChartData::categoriesAndSeriesInFirstAppearanceOrder()
{
    ExcelDocument document;
    document.setCell(0, 1, QStringLiteral("b"));
    document.setCell(1, 0, QStringLiteral("x"));
    document.setCell(2, 0, QStringLiteral("y"));
    document.setCell(3, 0, QStringLiteral("x"));
    document.recalculate();
    const ChartData data = ChartData::fromRange(document, QStringLiteral("A1:C4"));
    QCOMPARE(data.categories(), (QStringList{"行 1", "x", "y"}));
    QCOMPARE(data.seriesNames(), (QStringList{"C列", "b"}));
}

QTEST_GUILESS_MAIN(TestChartData)
#include "tst_chartdata.moc"
