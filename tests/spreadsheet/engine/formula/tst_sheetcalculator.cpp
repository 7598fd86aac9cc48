#include "spreadsheet/engine/EngineTestSupport.h"

#include "spreadsheet/engine/formula/SheetCalculator.h"
#include "spreadsheet/engine/model/CellReference.h"

#include <QTest>

namespace {

// A sheet of numbers with a sum of each row in its last column and an
// average of each column in its last row, the bottom right averaging the sums.
struct Sheet {
    static constexpr int rows = 100;
    static constexpr int columns = 20;

    CellGrid cells = makeEmptyGrid(rows, columns);
    CellGrid values = makeEmptyGrid(rows, columns);
    CellGrid display = makeEmptyGrid(rows, columns);
    CellGrid cached = makeEmptyGrid(rows, columns);
    QHash<QString, QString> exact;
    SheetCalculator calculator{{cells, values, display, cached, exact}};

    Sheet()
    {
        const QString lastData = CellReference::columnName(columns - 2);
        for (int r = 0; r < rows - 1; ++r) {
            for (int c = 0; c < columns - 1; ++c)
                cells[r][c] = QString::number(r * columns + c);
            const QString row = QString::number(r + 1);
            cells[r][columns - 1] = "=SUM(A" + row + ':' + lastData + row + ')';
        }
        for (int c = 0; c < columns; ++c) {
            const QString letters = CellReference::columnName(c);
            cells[rows - 1][c] = "=AVERAGE(" + letters + "1:" + letters + QString::number(rows - 1) + ')';
        }
        calculator.recalculate();
    }

    // Formulas evaluated by one pass after writing `text` at (row, col).
    qint64 evaluationsAfterEdit(int row, int col, const QString &text)
    {
        cells[row][col] = text;
        calculator.cellEdited(row, col);
        return evaluationsOfPass();
    }

    qint64 evaluationsOfPass()
    {
        const qint64 before = calculator.evaluations();
        calculator.recalculate();
        return calculator.evaluations() - before;
    }
};

} // namespace

class TestSheetCalculator : public QObject
{
    Q_OBJECT
private slots:
    void editEvaluatesWhatReadsIt_data();
    void editEvaluatesWhatReadsIt();
    void formulasReadingLaterCellsRunWhileTheyChange();
};

void TestSheetCalculator::editEvaluatesWhatReadsIt_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<QString>("text");
    QTest::addColumn<qint64>("evaluations");
    QTest::addColumn<QString>("bottomRight");

    // Its row's sum and its column's average, then the average of the sums.
    QTest::newRow("a number") << 50 << 3 << "1000003" << qint64(3) << "28881.91";
    QTest::newRow("a number into text") << 50 << 3 << "x" << qint64(3) << "18780.87";
    QTest::newRow("the same number") << 50 << 3 << "1003" << qint64(2) << "18791";
    QTest::newRow("a cell no formula reads") << 99 << 19 << "7" << qint64(0) << "7";
    QTest::newRow("a formula replaced") << 99 << 19 << "=SUM(A1,1)" << qint64(1) << "1";
}

// An edit evaluates the formulas reading the cell and, where their values
// change, the formulas reading those: not the sheet.
void TestSheetCalculator::editEvaluatesWhatReadsIt()
{
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(QString, text);
    QFETCH(qint64, evaluations);
    QFETCH(QString, bottomRight);
    Sheet sheet;
    QCOMPARE(sheet.evaluationsOfPass(), 0);
    QCOMPARE(sheet.evaluationsAfterEdit(row, col, text), evaluations);
    QCOMPARE(sheet.display[99][19], bottomRight);
}

// A formula reading itself or a cell after it reads that cell's value from
// the pass before: it runs again while that value changes, then rests.
void TestSheetCalculator::formulasReadingLaterCellsRunWhileTheyChange()
{
    CellGrid cells = gridFromEntries("A1==SUM(B1,1)|B1==SUM(C1,1)|C1=5|A2==SUM(A2,1)", 2, 3);
    CellGrid values = makeEmptyGrid(2, 3);
    CellGrid display = makeEmptyGrid(2, 3);
    const CellGrid cached = makeEmptyGrid(2, 3);
    QHash<QString, QString> exact;
    SheetCalculator calculator({cells, values, display, cached, exact});
    QStringList shown;
    for (int pass = 0; pass < 4; ++pass) {
        calculator.recalculate();
        shown << display[0][0] + '/' + display[1][0];
    }
    QCOMPARE(shown, QStringList({"1/1", "7/2", "7/3", "7/4"}));
    const qint64 before = calculator.evaluations();
    calculator.recalculate();
    QCOMPARE(calculator.evaluations() - before, 1); // the sum of itself, only
}

QTEST_GUILESS_MAIN(TestSheetCalculator)
#include "tst_sheetcalculator.moc"
