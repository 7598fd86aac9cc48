#include "spreadsheet/engine/EngineTestSupport.h"

#include "spreadsheet/engine/formula/SheetCalculator.h"
#include "spreadsheet/engine/model/CellReference.h"

#include <QTest>
#include <tuple>

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
    ExactResults exact;
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
    void cellReadsOfOnePass_data();
    void cellReadsOfOnePass();
    void exactResultsFollowTheirCells();
    void aPassStopsWhereItsBudgetEnds_data();
    void aPassStopsWhereItsBudgetEnds();
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
    ExactResults exact;
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

void TestSheetCalculator::cellReadsOfOnePass_data()
{
    QTest::addColumn<QString>("formulas"); // on a 100 × 50 sheet of numbers
    QTest::addColumn<qint64>("firstPass");
    QTest::addColumn<qint64>("afterEditOfA1");

    QTest::newRow("literals") << "Z100==SUM(1,2)" << qint64(0) << qint64(0);
    QTest::newRow("a reference") << "Z100==SUM(C5,1)" << qint64(1) << qint64(0);
    QTest::newRow("a small range") << "Z100==AVERAGE(A1:B2,3)" << qint64(4) << qint64(4);
    QTest::newRow("a join") << "Z100==TEXTJOIN(\"-\",FALSE,A1:C1)" << qint64(3) << qint64(3);
    QTest::newRow("unique values") << "Z100==UNIQUE(B1:B10)" << qint64(10) << qint64(0);
    QTest::newRow("a large range") << "A99==SUM(A1:AX90)" << qint64(4500) << qint64(4500);
    QTest::newRow("a large range shared") << "A99==SUM(A1:AX90)|B99==SUM(A1:AX90)|C99==AVERAGE(A1:AX90)"
                                          << qint64(4500) << qint64(4500);
    QTest::newRow("a large range and a reference")
        << "A99==SUM(A1:AX90)|Z100==SUM(C5,1)" << qint64(4501) << qint64(4500);
}

// The cells one pass reads, a large range shared by several formulas counted
// once: what a recalculation's work is bounded by.
void TestSheetCalculator::cellReadsOfOnePass()
{
    QFETCH(QString, formulas);
    QFETCH(qint64, firstPass);
    QFETCH(qint64, afterEditOfA1);
    CellGrid cells = gridFromEntries(formulas, 100, 50);
    for (QStringList &row : cells) {
        for (QString &cell : row) {
            if (cell.isEmpty())
                cell = QStringLiteral("1");
        }
    }
    CellGrid values = makeEmptyGrid(100, 50);
    CellGrid display = makeEmptyGrid(100, 50);
    const CellGrid cached = makeEmptyGrid(100, 50);
    ExactResults exact;
    SheetCalculator calculator({cells, values, display, cached, exact});
    calculator.recalculate();
    QCOMPARE(calculator.cellReadsOfLastPass(), firstPass);
    cells[0][0] = QStringLiteral("2");
    calculator.cellEdited(0, 0);
    calculator.recalculate();
    QCOMPARE(calculator.cellReadsOfLastPass(), afterEditOfA1);
}

// Results with a fraction keep their unrounded numbers by cell, follow edits
// and leave a copy taken earlier (a saved sheet's) as it was.
void TestSheetCalculator::exactResultsFollowTheirCells()
{
    CellGrid cells = gridFromEntries("A1=0.125|B1==SUM(A1,1)|C1==AVERAGE(1,2,2)|A2==SUM(B1,C1)|B2==SUM(2,3)", 2, 3);
    CellGrid values = makeEmptyGrid(2, 3);
    CellGrid display = makeEmptyGrid(2, 3);
    const CellGrid cached = makeEmptyGrid(2, 3);
    ExactResults exact;
    SheetCalculator calculator({cells, values, display, cached, exact});
    // The unrounded numbers at (row, col), nowhere else.
    const auto holding = [](std::initializer_list<std::tuple<int, int, double>> numbers) {
        ExactResults expected;
        expected.reset(2, 3);
        for (const auto &[row, col, number] : numbers)
            expected.set(row * 3 + col, number);
        return expected;
    };
    calculator.recalculate();
    QCOMPARE(display[0], QStringList({"0.125", "1.12", "1.67"}));
    // A2 adds the shown values, as references read them.
    QVERIFY(exact == holding({{0, 1, 1.125}, {0, 2, 5.0 / 3}, {1, 0, 1.12 + 1.67}}));
    const ExactResults saved = exact;
    cells[0][0] = QStringLiteral("1");
    calculator.cellEdited(0, 0);
    calculator.recalculate();
    QCOMPARE(display[0][1], QStringLiteral("2"));
    QVERIFY(exact == holding({{0, 2, 5.0 / 3}, {1, 0, 2 + 1.67}}));
    QVERIFY(saved == holding({{0, 1, 1.125}, {0, 2, 5.0 / 3}, {1, 0, 1.12 + 1.67}}));
    cells[0][2] = QStringLiteral("7");
    calculator.cellEdited(0, 2);
    calculator.recalculate();
    QVERIFY(exact == holding({}));
    QVERIFY(!exact.at(1, 0));
}

void TestSheetCalculator::aPassStopsWhereItsBudgetEnds_data()
{
    QTest::addColumn<QString>("formula"); // in column B of rows 1 to 10
    QTest::addColumn<QString>("text");    // in C1:L10
    QTest::addColumn<qint64>("budget");
    QTest::addColumn<int>("computedRows"); // before the budget ends
    QTest::addColumn<QString>("computed");
    const QString x = QStringLiteral("x");
    // Formulas reading 100 texts cost 100 × textReadCost each, those summing
    // 100 cells 100.
    const qint64 texts = 100 * SheetCalculator::textReadCost;
    QTest::newRow("unique texts") << "=UNIQUE(C1:L10)" << x << texts * 7 / 2 << 3 << x;
    // 640 characters cost as much as 11 short texts.
    const QString longText(640, u'x');
    QTest::newRow("unique long texts") << "=UNIQUE(C1:L10)" << longText << texts * 11 * 7 / 2 << 3 << longText;
    QTest::newRow("a join of empty cells") << "=TEXTJOIN(\",\",TRUE,M1:V10)" << x << texts * 7 / 2 << 3 << "";
    QTest::newRow("a sum") << "=SUM(C1:L10,1)" << x << qint64(350) << 3 << "1";
    QTest::newRow("a shared sum") << "=SUM(C1:BZ90,1)" << x << qint64(5000) << 0 << "1";
}

// Once a pass has read its budget of cells, the formulas it has not finished
// show the value the file cached, else "#VALUE!", and the next pass tries
// every formula again.
void TestSheetCalculator::aPassStopsWhereItsBudgetEnds()
{
    QFETCH(QString, formula);
    QFETCH(QString, text);
    QFETCH(qint64, budget);
    QFETCH(int, computedRows);
    QFETCH(QString, computed);
    constexpr int rows = 100;
    constexpr int columns = 80;
    CellGrid cells = makeEmptyGrid(rows, columns);
    for (int r = 0; r < 10; ++r) {
        for (int c = 2; c < 12; ++c)
            cells[r][c] = text;
        cells[r][1] = formula;
    }
    CellGrid values = makeEmptyGrid(rows, columns);
    CellGrid display = makeEmptyGrid(rows, columns);
    CellGrid cached = makeEmptyGrid(rows, columns);
    cached[9][1] = QStringLiteral("cached");
    ExactResults exact;
    SheetCalculator calculator({cells, values, display, cached, exact});
    calculator.setReadBudget(budget);
    calculator.recalculate();
    QVERIFY(calculator.lastPassStopped());
    QVERIFY(calculator.readCostOfLastPass() <= budget);
    for (int r = 0; r < 10; ++r) {
        const QString expected = r < computedRows ? computed : r == 9 ? QStringLiteral("cached") : QStringLiteral("#VALUE!");
        QCOMPARE(display[r][1], expected);
    }
    calculator.setReadBudget(SheetCalculator::defaultReadBudget);
    calculator.recalculate();
    QVERIFY(!calculator.lastPassStopped());
    for (int r = 0; r < 10; ++r)
        QCOMPARE(display[r][1], computed);
}

QTEST_GUILESS_MAIN(TestSheetCalculator)
#include "tst_sheetcalculator.moc"
