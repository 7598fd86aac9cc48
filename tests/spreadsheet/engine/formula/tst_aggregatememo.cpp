#include "spreadsheet/engine/EngineTestSupport.h"

#include "spreadsheet/engine/formula/AggregateMemo.h"
#include "spreadsheet/engine/model/CellNumber.h"
#include "spreadsheet/engine/model/CellGridValue.h"

#include <QTest>
#include <bit>

namespace {

// 3 × 3 integers, C3 a formula whose value the tests change as a pass would.
using Terms = std::vector<FormulaArgument>;

FormulaArgument range(int startRow, int startCol, int endRow, int endCol)
{
    return {ExcelRange{startRow, startCol, endRow, endCol}, 0, -1, FormulaArgument::Kind::Cells};
}

FormulaArgument number(double value)
{
    return {ExcelRange(), value, -1, FormulaArgument::Kind::Number};
}

struct Sheet {
    CellGrid cells = gridFromEntries("A1=1|B1=2|C1=3|A2=4|B2=x|C2=6|A3=-7|B3=8|C3==SUM(1)", 3, 3);
    CellGrid values = makeEmptyGrid(3, 3);
    CellNumberGrid numbers{cells, values};
    AggregateMemo memo{numbers};
    const Terms wholeGrid = {range(0, 0, 2, 2)};

    // As a pass changes a formula's value: the grid first, then the memo.
    void change(int row, int col, const QString &value)
    {
        const std::optional<double> before = cellNumber(values[row][col]);
        values[row][col] = value;
        numbers.set(row, col, cellNumber(value));
        memo.valueChanged(row, col, before, cellNumber(value));
    }

    // The numbers of the grid added in row-major order from 0.
    AggregateMemo::Totals fold() const
    {
        AggregateMemo::Totals totals;
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 3; ++c) {
                const QString &text = cellGridValue(cells, values, r, c);
                if (const auto number = cellNumber(text)) {
                    totals.sum += *number;
                    ++totals.count;
                }
            }
        }
        return totals;
    }
};

bool same(const AggregateMemo::Totals &a, const AggregateMemo::Totals &b)
{
    const bool sameSum = std::bit_cast<quint64>(a.sum) == std::bit_cast<quint64>(b.sum)
                      || (std::isnan(a.sum) && std::isnan(b.sum));
    return sameSum && a.count == b.count;
}

} // namespace

class TestAggregateMemo : public QObject
{
    Q_OBJECT
private slots:
    void repeatedCallReadsNothing();
    void changedCallFollowsItsCells_data();
    void changedCallFollowsItsCells();
    void changesElsewhereKeepTheResult();
    void fullMemoMakesRoomForRepeatedCalls();
};

void TestAggregateMemo::repeatedCallReadsNothing()
{
    Sheet sheet;
    sheet.values[2][2] = "5";
    qint64 reads = 0;
    const AggregateMemo::Totals first = sheet.memo.compute(sheet.wholeGrid, reads);
    QCOMPARE(reads, 9);
    QVERIFY(same(first, sheet.fold()));
    QCOMPARE(first.count, 8);
    const auto again = sheet.memo.reuse(sheet.wholeGrid);
    QVERIFY(again && same(*again, first));
    QVERIFY(!sheet.memo.reuse(Terms{range(0, 0, 1, 2)}));
}

void TestAggregateMemo::changedCallFollowsItsCells_data()
{
    QTest::addColumn<QString>("after");
    QTest::addColumn<bool>("withoutReading");

    QTest::newRow("integer") << "12" << true;
    QTest::newRow("half") << "2.50" << true;
    QTest::newRow("not a number any more") << "#NAME?" << true;
    QTest::newRow("empty") << "" << true;
    QTest::newRow("negative zero") << "-0" << true;
    QTest::newRow("infinity") << "inf" << true;
    QTest::newRow("nan") << "nan" << true;
    QTest::newRow("same number, other text") << "5.00" << true;
    QTest::newRow("decimal: read again") << "0.10" << false;
    QTest::newRow("far beyond 2^53: read again") << "1e30" << false;
}

// A call computed twice follows later changes of its cells without reading
// them while its total is certain, and reads them again when it is not;
// either way the result is the fold of the current numbers.
void TestAggregateMemo::changedCallFollowsItsCells()
{
    QFETCH(QString, after);
    QFETCH(bool, withoutReading);
    Sheet sheet;
    sheet.values[2][2] = "1";
    qint64 reads = 0;
    sheet.memo.compute(sheet.wholeGrid, reads);
    sheet.change(2, 2, "5");
    QVERIFY(!sheet.memo.reuse(sheet.wholeGrid));
    QVERIFY(same(sheet.memo.compute(sheet.wholeGrid, reads), sheet.fold()));
    QCOMPARE(reads, 18);

    sheet.change(2, 2, after);
    const auto reused = sheet.memo.reuse(sheet.wholeGrid);
    QCOMPARE(reused.has_value(), withoutReading);
    const AggregateMemo::Totals totals = reused ? *reused : sheet.memo.compute(sheet.wholeGrid, reads);
    QVERIFY(same(totals, sheet.fold()));
    QCOMPARE(reads, withoutReading ? 18 : 21); // read again from the changed row only
}

void TestAggregateMemo::changesElsewhereKeepTheResult()
{
    Sheet sheet;
    const Terms firstRow = {range(0, 0, 0, 2), number(0.5)};
    qint64 reads = 0;
    const AggregateMemo::Totals totals = sheet.memo.compute(firstRow, reads);
    QCOMPARE(totals.sum, 6.5);
    QCOMPARE(totals.count, 4);
    sheet.change(2, 2, "100");
    const auto reused = sheet.memo.reuse(firstRow);
    QVERIFY(reused && same(*reused, totals));
}

// Calls never asked for again give their place to new ones; a call that was
// reused keeps its place. With every place taken by reused calls, a new call
// is still computed, just not remembered.
void TestAggregateMemo::fullMemoMakesRoomForRepeatedCalls()
{
    Sheet sheet;
    // Call i sums the grid and the number i.
    const auto call = [&sheet](int i) { return Terms{sheet.wholeGrid.front(), number(i)}; };
    qint64 reads = 0;
    sheet.memo.compute(sheet.wholeGrid, reads);
    QVERIFY(sheet.memo.reuse(sheet.wholeGrid));
    for (int i = 0; i < 2 * AggregateMemo::maxEntries; ++i)
        sheet.memo.compute(call(i), reads);
    QVERIFY(sheet.memo.reuse(sheet.wholeGrid));
    QVERIFY(sheet.memo.reuse(call(2 * AggregateMemo::maxEntries - 1)));

    for (int i = 0; i < AggregateMemo::maxEntries; ++i) {
        sheet.memo.compute(call(i), reads);
        sheet.memo.reuse(call(i));
    }
    const AggregateMemo::Totals totals = sheet.memo.compute(call(1000), reads);
    const AggregateMemo::Totals grid = sheet.fold();
    QVERIFY(same(totals, {grid.sum + 1000, grid.count + 1}));
    QVERIFY(!sheet.memo.reuse(call(1000)));
}

QTEST_GUILESS_MAIN(TestAggregateMemo)
#include "tst_aggregatememo.moc"
