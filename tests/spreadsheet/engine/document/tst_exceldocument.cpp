#include "spreadsheet/engine/EngineTestSupport.h"

#include "spreadsheet/engine/document/ExcelDocument.h"
#include "spreadsheet/engine/formula/FormulaEvaluator.h"
#include "spreadsheet/engine/model/CellGridValue.h"

#include <QElapsedTimer>
#include <QLocale>
#include <QPointer>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Three sheets "A", "B", "C", each with its name in A1; the working copy is
// left on `active` with "edited" in B2.
void makeThreeSheets(ExcelDocument &document, int active)
{
    QVERIFY(document.renameSheet(0, "A"));
    document.addSheet("B");
    document.addSheet("C");
    for (int i = 0; i < 3; ++i) {
        document.switchToSheet(i);
        document.setCell(0, 0, document.sheets().at(i).name);
    }
    document.switchToSheet(active);
    document.setCell(1, 1, "edited");
}

// Recalculates the document and compares it with evaluating every cell
// afresh in row-major order, from the values the pass starts from: shown
// texts, values and unrounded results.
void checkPassAgainstFreshEvaluation(ExcelDocument &document)
{
    const CellGrid cells = document.cells();
    CellGrid values = document.valueCells();
    const FormulaEvaluator fresh(cells, values, document.cachedEvaluatedCells());
    const int rows = document.rowCount();
    const int columns = document.columnCount();
    CellGrid shown = makeEmptyGrid(rows, columns);
    ExactResults exact;
    exact.reset(rows, columns);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            const FormulaEvaluator::Result result = fresh.evaluateCell(cells[r][c], r, c);
            values[r][c] = result.value;
            shown[r][c] = result.display;
            if (result.exact)
                exact.set(r * columns + c, *result.exact);
        }
    }
    document.recalculate();
    document.saveCurrentSheet();
    QCOMPARE(document.valueCells(), values);
    QCOMPARE(document.evaluatedCells(), shown);
    QVERIFY(document.sheets().at(document.activeSheetIndex()).exactResults == exact);
}

// `document` saved as an XLSX workbook and opened in `reopened`.
void saveAndReopen(ExcelDocument &document, ExcelDocument &reopened)
{
    const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("book.xlsx"));
    ExcelError error;
    QVERIFY2(document.exportXLSX(path, &error), qPrintable(error.message));
    QVERIFY2(reopened.importXLSX(path, &error), qPrintable(error.message));
}

} // namespace

class TestExcelDocument : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void newDocumentHasOneEmptySheet();
    void cellWriteMarksUnsavedAndDefersOneRecalculation();
    void outOfGridWritesAreIgnored_data();
    void outOfGridWritesAreIgnored();
    void setCellsWritesOnceAndShapesValueGrids();
    void recalculateWritesOnce();
    void selfReferenceGrowsEachPass();
    void forwardReferenceSettlesNextPass();
    void textJoinedTwicePerRowStaysBounded();
    void dateDisplayDoesNotChangeArithmetic();
    void shownAgainSheetReadsValuesNotDates();
    void deferredTaskDiesWithDocument();
    void addSheetTakesActiveSize();
    void addSheetNames_data();
    void addSheetNames();
    void deleteSheet_data();
    void deleteSheet();
    void deleteSheetRefusals_data();
    void deleteSheetRefusals();
    void renameSheet_data();
    void renameSheet();
    void reusedSumsGiveWhatAFreshPassGives_data();
    void reusedSumsGiveWhatAFreshPassGives();
    void editedSheetsGiveWhatAFreshPassGives_data();
    void editedSheetsGiveWhatAFreshPassGives();
    void manySumsOfOneRangeCostOne();
    void everyCellSummingTheGridRecalculates_data();
    void everyCellSummingTheGridRecalculates();
    void switchingWritesBackAndMarksUnsaved();
    void clearSheetKeepsSizeAndClearsStoredCopy();
    void replaceSheetsShapesAndShowsFirst();
    void cellStyleKeys_data();
    void cellStyleKeys();
    void valueGridsTakeTheRawShape();
    void cachedValueIsTheFallback();
    void cachedValueBelongsToItsText_data();
    void cachedValueBelongsToItsText();
    void reopenShowsWhatWasShown_data();
    void reopenShowsWhatWasShown();
};

void TestExcelDocument::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestExcelDocument::init()
{
    drainDeferredWork();
    setUnsaved(false);
}

void TestExcelDocument::newDocumentHasOneEmptySheet()
{
    ExcelDocument document;
    QCOMPARE(document.sheets().size(), 1);
    const ExcelSheet &sheet = document.sheets().first();
    QCOMPARE(sheet.name, QStringLiteral("Sheet1"));
    QVERIFY(!sheet.id.isNull());
    QCOMPARE(sheet.cells, makeEmptyGrid(100, 50));
    QCOMPARE(sheet.evaluatedCells, makeEmptyGrid(100, 50));
    QCOMPARE(document.cells(), makeEmptyGrid(100, 50));
    QCOMPARE(document.activeSheetIndex(), 0);
    QCOMPARE(document.rowCount(), 100);
    QCOMPARE(document.columnCount(), 50);
    QVERIFY(document.macros().isEmpty());
    drainDeferredWork();
    QVERIFY(!unsaved());
}

void TestExcelDocument::cellWriteMarksUnsavedAndDefersOneRecalculation()
{
    ExcelDocument document;
    QSignalSpy cellsSpy(&document, &ExcelDocument::cellsChanged);
    QSignalSpy evaluatedSpy(&document, &ExcelDocument::evaluatedCellsChanged);
    document.setCell(0, 2, "2");
    document.setCell(1, 2, "3");
    document.setCell(2, 2, "=SUM(C1:C2)");
    QCOMPARE(cellsSpy.count(), 3);
    QVERIFY(unsaved());
    QCOMPARE(evaluatedSpy.count(), 0);
    QCOMPARE(document.sheets().first().cells.at(2).at(2), QString()); // lags until the task runs
    drainDeferredWork();
    QCOMPARE(evaluatedSpy.count(), 1);
    QCOMPARE(document.evaluatedCell(2, 2), QStringLiteral("5"));
    QCOMPARE(document.sheets().first().cells.at(2).at(2), QStringLiteral("=SUM(C1:C2)"));
    drainDeferredWork();
    QCOMPARE(evaluatedSpy.count(), 1);
}

void TestExcelDocument::outOfGridWritesAreIgnored_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::newRow("negative row") << -1 << 0;
    QTest::newRow("negative column") << 0 << -1;
    QTest::newRow("row count") << 100 << 0;
    QTest::newRow("column count") << 0 << 50;
}

void TestExcelDocument::outOfGridWritesAreIgnored()
{
    QFETCH(int, row);
    QFETCH(int, col);
    ExcelDocument document;
    QSignalSpy cellsSpy(&document, &ExcelDocument::cellsChanged);
    document.setCell(row, col, "x");
    QCOMPARE(cellsSpy.count(), 0);
    QVERIFY(!unsaved());
    QCOMPARE(document.cell(row, col), QString());
    QCOMPARE(document.evaluatedCell(row, col), QString());
    QCOMPARE(document.cells(), makeEmptyGrid(100, 50));
}

void TestExcelDocument::setCellsWritesOnceAndShapesValueGrids()
{
    ExcelDocument document;
    QSignalSpy cellsSpy(&document, &ExcelDocument::cellsChanged);
    QSignalSpy evaluatedSpy(&document, &ExcelDocument::evaluatedCellsChanged);
    document.setCells({{"1", "2", "=SUM(A1:C1)"}, {"x"}, {"a", "b", "c", "d"}});
    QCOMPARE(cellsSpy.count(), 1);
    QVERIFY(unsaved());
    // Ragged rows are padded to the longest one.
    QCOMPARE(document.rowCount(), 3);
    QCOMPARE(document.columnCount(), 4);
    QCOMPARE(document.cells().at(1), (QStringList{"x", "", "", ""}));
    QVERIFY(hasShape(document.evaluatedCells(), 3, 4));
    QVERIFY(hasShape(document.cachedEvaluatedCells(), 3, 4));
    drainDeferredWork();
    QCOMPARE(document.evaluatedCell(0, 2), QStringLiteral("3"));
    QCOMPARE(document.sheets().first().cells, document.cells());
    QCOMPARE(evaluatedSpy.count(), 2); // the shape change, then one recalculation
}

void TestExcelDocument::recalculateWritesOnce()
{
    ExcelDocument document;
    document.setCells(gridFromEntries("A1=1|A2==SUM(A1,1)|A3==SUM(A2,1)", 100, 50));
    drainDeferredWork();
    QSignalSpy evaluatedSpy(&document, &ExcelDocument::evaluatedCellsChanged);
    document.recalculate();
    QCOMPARE(evaluatedSpy.count(), 1);
    QCOMPARE(document.evaluatedCell(2, 0), QStringLiteral("3"));
}

void TestExcelDocument::selfReferenceGrowsEachPass()
{
    ExcelDocument document;
    document.setCell(0, 3, "=SUM(D1,1)");
    drainDeferredWork();
    QCOMPARE(document.evaluatedCell(0, 3), QStringLiteral("1"));
    document.recalculate();
    QCOMPARE(document.evaluatedCell(0, 3), QStringLiteral("2"));
    document.recalculate();
    QCOMPARE(document.evaluatedCell(0, 3), QStringLiteral("3"));
}

void TestExcelDocument::forwardReferenceSettlesNextPass()
{
    ExcelDocument document;
    document.setCells(gridFromEntries("D1==SUM(D2,1)|D2==SUM(5)", 100, 50));
    drainDeferredWork();
    QCOMPARE(document.evaluatedCell(1, 3), QStringLiteral("5"));
    QCOMPARE(document.evaluatedCell(0, 3), QStringLiteral("1")); // D2 had no value yet
    document.recalculate();
    QCOMPARE(document.evaluatedCell(0, 3), QStringLiteral("6"));
}

// Each row joins the row above with itself: without a bound the text would
// double 60 times, far past any memory.
void TestExcelDocument::textJoinedTwicePerRowStaysBounded()
{
    CellGrid grid = makeEmptyGrid(100, 50);
    grid[0][0] = QStringLiteral("x");
    for (int row = 1; row <= 60; ++row)
        grid[row][0] = QStringLiteral("=TEXTJOIN(\"\",FALSE,A%1,A%1)").arg(row);
    ExcelDocument document;
    document.setCells(grid);
    document.recalculate();
    QCOMPARE(document.evaluatedCell(14, 0), QString(16384, u'x'));
    QCOMPARE(document.evaluatedCell(15, 0), QStringLiteral("#VALUE!")); // 32,768 would not fit
    for (int row = 0; row <= 60; ++row)
        QVERIFY(document.evaluatedCell(row, 0).size() <= FormulaEvaluator::maxTextLength);
}

void TestExcelDocument::dateDisplayDoesNotChangeArithmetic()
{
    ExcelDocument document;
    document.setCells(gridFromEntries("A5=45000|D6==SUM(A5,1)|A6==SUM(A5,1)|A7==SUM(A6,1)"
                                   "|D7==UNIQUE(A5,A6)|D8==AVERAGE(A5:A7)",
                                   100, 50));
    drainDeferredWork();
    QCOMPARE(document.evaluatedCell(4, 0), QStringLiteral("3/15"));
    QCOMPARE(document.evaluatedCell(5, 3), QStringLiteral("45001"));
    QCOMPARE(document.evaluatedCell(5, 0), QStringLiteral("3/16"));
    QCOMPARE(document.evaluatedCell(6, 0), QStringLiteral("3/17")); // reads A6's value, not "3/16"
    QCOMPARE(document.evaluatedCell(6, 3), QStringLiteral("45000, 45001"));
    QCOMPARE(document.evaluatedCell(7, 3), QStringLiteral("45001"));
    const FormulaEvaluator fresh(document.cells(), document.valueCells(), document.cachedEvaluatedCells());
    QCOMPARE(fresh.evaluateCell("=SUM(A6)", 50, 40).display, QStringLiteral("45001"));
}

void TestExcelDocument::shownAgainSheetReadsValuesNotDates()
{
    ExcelDocument document;
    // A1 reads B2 forward; B2's value 45000 shows as a weekday in column B.
    document.setCells(gridFromEntries("A1==SUM(B2)|B2==SUM(45000)", 100, 50));
    drainDeferredWork();
    document.recalculate();
    QCOMPARE(document.evaluatedCell(1, 1), QStringLiteral("水"));
    QCOMPARE(document.evaluatedCell(0, 0), QStringLiteral("3/15"));
    document.addSheet();
    document.switchToSheet(0);
    QCOMPARE(document.evaluatedCell(0, 0), QStringLiteral("3/15"));
    drainDeferredWork();
    QCOMPARE(document.evaluatedCell(0, 0), QStringLiteral("3/15"));
}

void TestExcelDocument::deferredTaskDiesWithDocument()
{
    QPointer<ExcelDocument> document = new ExcelDocument;
    document->setCell(0, 0, "=SUM(1)");
    delete document;
    drainDeferredWork(); // must not touch the deleted document
    QVERIFY(document.isNull());
}

void TestExcelDocument::addSheetTakesActiveSize()
{
    ExcelDocument document;
    document.insertRow(100);
    document.addSheet("Sheet2");
    QCOMPARE(document.sheets().size(), 2);
    QCOMPARE(document.activeSheetIndex(), 1);
    QCOMPARE(document.rowCount(), 101);
    QCOMPARE(document.sheets().at(1).cells, makeEmptyGrid(101, 50));
    QCOMPARE(document.sheets().at(0).cells.size(), 101); // written back before the switch
}

void TestExcelDocument::addSheetNames_data()
{
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("requested");
    QTest::addColumn<QString>("expected");
    QTest::newRow("free name") << QStringList{"Sheet1"} << "Data" << "Data";
    QTest::newRow("usual next name") << QStringList{"Sheet1"} << "Sheet2" << "Sheet2";
    QTest::newRow("empty name") << QStringList{"Sheet1"} << "" << "Sheet2";
    QTest::newRow("taken name") << QStringList{"Sheet1", "Sheet2"} << "Sheet2" << "Sheet3";
    QTest::newRow("taken in other case") << QStringList{"Sheet1", "data"} << "DATA" << "Sheet2";
    QTest::newRow("first gap") << QStringList{"sheet2", "Sheet1"} << "Sheet2" << "Sheet3";
    QTest::newRow("gap after rename") << QStringList{"Sheet3", "Sheet2"} << "Sheet3" << "Sheet1";
    QTest::newRow("name other programs refuse") << QStringList{"Sheet1"} << "a[1]" << "Sheet2";
    QTest::newRow("name too long") << QStringList{"Sheet1"} << QString(32, u'x') << "Sheet2";
}

void TestExcelDocument::addSheetNames()
{
    QFETCH(QStringList, existing);
    QFETCH(QString, requested);
    QFETCH(QString, expected);
    ExcelDocument document;
    QVERIFY(document.renameSheet(0, existing.first()));
    for (const QString &name : existing.mid(1))
        document.addSheet(name);
    document.addSheet(requested);
    QCOMPARE(document.sheets().last().name, expected);
}

void TestExcelDocument::deleteSheet_data()
{
    QTest::addColumn<int>("active");
    QTest::addColumn<int>("deleted");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("editedSheet"); // where "edited" must be found after the delete
    QTest::newRow("active sheet shows the next") << 1 << 1 << "C" << "";
    QTest::newRow("earlier sheet keeps position") << 1 << 0 << "C" << "B";
    QTest::newRow("later sheet keeps the active") << 1 << 2 << "B" << "B";
    QTest::newRow("last active shows new last") << 2 << 2 << "B" << "";
}

void TestExcelDocument::deleteSheet()
{
    QFETCH(int, active);
    QFETCH(int, deleted);
    QFETCH(QString, shown);
    QFETCH(QString, editedSheet);
    ExcelDocument document;
    makeThreeSheets(document, active);
    setUnsaved(false);
    QSignalSpy changedSpy(&document, &ExcelDocument::changed);
    document.deleteSheet(deleted);
    QVERIFY(unsaved());
    QCOMPARE(changedSpy.count(), 1);
    QCOMPARE(document.sheets().size(), 2);
    QCOMPARE(document.sheets().at(document.activeSheetIndex()).name, shown);
    QCOMPARE(document.cell(0, 0), shown); // the working copy is the shown sheet
    QCOMPARE(document.evaluatedCell(0, 0), shown);
    for (const ExcelSheet &sheet : document.sheets()) {
        const bool edited = sheet.cells.at(1).at(1) == u"edited";
        QCOMPARE(edited, sheet.name == editedSheet);
    }
    QCOMPARE(document.cell(1, 1) == u"edited", shown == editedSheet);
}

void TestExcelDocument::deleteSheetRefusals_data()
{
    QTest::addColumn<int>("sheetCount");
    QTest::addColumn<int>("index");
    QTest::newRow("the last sheet") << 1 << 0;
    QTest::newRow("negative index") << 2 << -1;
    QTest::newRow("index past the end") << 2 << 2;
}

void TestExcelDocument::deleteSheetRefusals()
{
    QFETCH(int, sheetCount);
    QFETCH(int, index);
    ExcelDocument document;
    for (int i = 1; i < sheetCount; ++i)
        document.addSheet();
    drainDeferredWork();
    setUnsaved(false);
    const QList<ExcelSheet> before = document.sheets();
    document.deleteSheet(index);
    QCOMPARE(document.sheets(), before);
    QVERIFY(!unsaved());
}

void TestExcelDocument::renameSheet_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("new name") << 0 << "Sales" << true;
    QTest::newRow("own name in other case") << 0 << "SHEET1" << true;
    QTest::newRow("blank name is a name") << 0 << " " << true;
    QTest::newRow("empty name") << 0 << "" << false;
    QTest::newRow("other sheet's name") << 0 << "Sheet2" << false;
    QTest::newRow("other sheet's name, other case") << 0 << "sheet2" << false;
    QTest::newRow("index past the end") << 5 << "x" << false;
    QTest::newRow("negative index") << -1 << "x" << false;
    QTest::newRow("brackets, slash and question mark") << 0 << "売上[2024]/Q1?" << false;
    for (const char *c : {":", "\\", "/", "?", "*", "[", "]"})
        QTest::newRow(qPrintable(QStringLiteral("holding %1").arg(QLatin1String(c)))) << 0 << "a" + QString::fromLatin1(c) << false;
    QTest::newRow("31 characters") << 0 << QString(31, u'x') << true;
    QTest::newRow("32 characters") << 0 << QString(32, u'x') << false;
    QTest::newRow("leading apostrophe") << 0 << "'a" << false;
    QTest::newRow("trailing apostrophe") << 0 << "a'" << false;
    QTest::newRow("inner apostrophe") << 0 << "O'Neil" << true;
}

void TestExcelDocument::renameSheet()
{
    QFETCH(int, index);
    QFETCH(QString, name);
    QFETCH(bool, accepted);
    ExcelDocument document;
    document.addSheet("Sheet2");
    drainDeferredWork();
    setUnsaved(false);
    const QList<ExcelSheet> before = document.sheets();
    QSignalSpy changedSpy(&document, &ExcelDocument::changed);
    QCOMPARE(document.renameSheet(index, name), accepted);
    if (index >= 0 && index < 2)
        QCOMPARE(document.sheetNameProblem(name, index).isEmpty(), accepted);
    QCOMPARE(unsaved(), accepted);
    QCOMPARE(changedSpy.count(), accepted ? 1 : 0);
    if (accepted)
        QCOMPARE(document.sheets().at(index).name, name);
    else
        QCOMPARE(document.sheets(), before);
}

void TestExcelDocument::reusedSumsGiveWhatAFreshPassGives_data()
{
    QTest::addColumn<QStringList>("numbers");

    QTest::newRow("integers") << QStringList{"1", "-7", "250", "0", "12"};
    QTest::newRow("halves and eighths") << QStringList{"0.5", "-2.25", "12.125", "3"};
    QTest::newRow("decimals") << QStringList{"0.1", "2.35", "-0.7", "4"};
    QTest::newRow("huge values") << QStringList{"9007199254740993", "1e300", "-1e300", "3", "-2"};
    QTest::newRow("negative zero, inf and nan") << QStringList{"-0", "inf", "-inf", "nan", "1e308", "2"};
    QTest::newRow("texts among numbers") << QStringList{"x", "1", "", "1e3", " 5", "0x10", "-3"};
}

// Sums over the same ranges are shared within a pass and follow the cells
// that change: every pass gives exactly what evaluating every cell afresh, in
// the same order, gives (shown texts, values and unrounded results), also
// when the ranges hold themselves and formulas whose values change, turn
// into texts or start from values a file cached.
void TestExcelDocument::reusedSumsGiveWhatAFreshPassGives()
{
    QFETCH(QStringList, numbers);
    // Few distinct calls, so each is asked for many times a pass.
    const QStringList arguments = {"A1:J30", "A1:J30,0.125", "J30:A1,B2", "A1:C5,D1:D30",
                                   "C3:J30", "A1:J1,1e3", "E5", "B2:B2,A1:J30,-0.5"};
    QRandomGenerator random(20241207);
    const auto pick = [&random](const QStringList &list) { return list.at(random.bounded(int(list.size()))); };
    const auto reference = [&random] { return CellReference::text(random.bounded(30), random.bounded(10)); };
    CellGrid cells = makeEmptyGrid(30, 10);
    CellGrid cached = makeEmptyGrid(30, 10);
    for (int r = 0; r < 30; ++r) {
        for (int c = 0; c < 10; ++c) {
            QString &cell = cells[r][c];
            const int kind = random.bounded(8);
            if (kind < 2)
                cell = pick(numbers);
            else if (kind < 6)
                cell = (kind % 2 ? "=SUM(" : "=AVERAGE(") + pick(arguments) + u')';
            else if (kind == 6) // a number, a longer number or a text as its parts change
                cell = "=TEXTJOIN(\"\",TRUE," + reference() + u',' + reference() + u')';
            if (isFormulaText(cell))
                cached[r][c] = pick(numbers);
        }
    }
    ExcelDocument document;
    document.setCells(cells);
    document.setEvaluatedCells(cached);
    for (int pass = 0; pass < 4 && !QTest::currentTestFailed(); ++pass)
        checkPassAgainstFreshEvaluation(document);
}

void TestExcelDocument::editedSheetsGiveWhatAFreshPassGives_data()
{
    QTest::addColumn<QStringList>("numbers");

    QTest::newRow("integers") << QStringList{"1", "-7", "250", "0", "12"};
    QTest::newRow("decimals") << QStringList{"0.1", "2.35", "-0.7", "4", "2.999", "0.125"};
    QTest::newRow("huge and tiny values") << QStringList{"9007199254740993", "1e300", "-1e300", "1e-300", "4.9e-324", "-2"};
    QTest::newRow("negative zero, inf and nan") << QStringList{"-0", "inf", "-inf", "nan", "1e308", "2"};
    QTest::newRow("texts among numbers") << QStringList{"x", "1", "", "1e3", " 5", "0x10", "-3"};
    QTest::newRow("dates and their headers") << QStringList{"45000", "40000", "50000.5", "44999.99", "日付", "曜日", "7"};
}

// Cells edited between passes, one at a time and in bulk writes, and formulas
// reading themselves, cells after them, other formulas and the whole grid:
// every pass still gives exactly what evaluating every cell afresh gives.
// Formulas lie in the top left 24 × 8 cells of a 64 × 64 grid, so sums over
// the whole grid are large enough to be shared within a pass.
void TestExcelDocument::editedSheetsGiveWhatAFreshPassGives()
{
    QFETCH(QStringList, numbers);
    const int rows = 64;
    const int columns = 64;
    const int formulaRows = 24;
    const int formulaColumns = 8;
    QRandomGenerator random(20261207);
    const auto pick = [&random](const QStringList &list) { return list.at(random.bounded(int(list.size()))); };
    const auto reference = [&] {
        return CellReference::text(random.bounded(formulaRows), random.bounded(formulaColumns));
    };
    const auto formula = [&]() -> QString {
        switch (random.bounded(8)) {
        case 0:
            return "=SUM(" + reference() + ':' + reference() + ')';
        case 1:
            return "=AVERAGE(" + reference() + ':' + reference() + ',' + pick(numbers) + ')';
        case 2:
            return "=SUM(" + reference() + ',' + reference() + ",0.5)";
        case 3:
            return "=TEXTJOIN(\"-\",TRUE," + reference() + ':' + reference() + ',' + reference() + ')';
        case 4:
            return "=UNIQUE(" + reference() + ':' + reference() + ')';
        case 5: // the whole grid, itself included, or most of it
            return random.bounded(2) ? QStringLiteral("=SUM(A1:BL64)") : QStringLiteral("=AVERAGE(BL64:B1,1)");
        case 6:
            return "=TEXTJOIN(\"\",FALSE," + reference() + ')';
        default:
            return "=FOO(" + reference() + ')'; // the cached value
        }
    };
    const auto content = [&] { return random.bounded(3) == 0 ? formula() : pick(numbers); };
    const auto place = [&](int &row, int &col) {
        const bool anywhere = random.bounded(5) == 0;
        row = random.bounded(anywhere ? rows : formulaRows);
        col = random.bounded(anywhere ? columns : formulaColumns);
    };
    CellGrid cells = makeEmptyGrid(rows, columns);
    CellGrid cached = makeEmptyGrid(rows, columns);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            if (r < formulaRows && c < formulaColumns)
                cells[r][c] = content();
            else if (random.bounded(4) == 0)
                cells[r][c] = pick(numbers);
            cached[r][c] = pick(numbers);
        }
    }
    ExcelDocument document;
    document.setCells(cells);
    document.setCachedEvaluatedCells(cached);
    document.setEvaluatedCells(cached);
    int row = 0;
    int col = 0;
    for (int pass = 0; pass < 30 && !QTest::currentTestFailed(); ++pass) {
        checkPassAgainstFreshEvaluation(document);
        const int edits = random.bounded(1, 6);
        if (pass % 4 == 3) { // a bulk write, as a macro's
            CellGrid grid = document.cells();
            for (int e = 0; e < edits; ++e) {
                place(row, col);
                grid[row][col] = content();
            }
            document.setCells(grid);
        } else {
            for (int e = 0; e < edits; ++e) {
                place(row, col);
                document.setCell(row, col, content());
            }
        }
    }
}

// A thousand cells summing the same 199,000-cell range compute it once a pass.
void TestExcelDocument::manySumsOfOneRangeCostOne()
{
    CellGrid cells = makeEmptyGrid(ExcelDocument::maxRowCount, ExcelDocument::maxColumnCount);
    const int last = ExcelDocument::maxColumnCount - 1;
    for (int r = 0; r < cells.size(); ++r) {
        for (int c = 0; c < last; ++c)
            cells[r][c] = QString::number(r + c);
        cells[r][last] = QStringLiteral("=SUM(A1:GQ1000)");
    }
    ExcelDocument document;
    document.setCells(cells);
    QElapsedTimer timer;
    timer.start();
    document.recalculate();
    const qint64 elapsed = timer.elapsed();
    QCOMPARE(document.evaluatedCell(999, last), QStringLiteral("119101500"));
    QVERIFY2(elapsed < 20000, qPrintable(QString::number(elapsed)));
    qInfo() << "recalculation of 1000 sums over 199,000 cells:" << elapsed << "ms";
}

void TestExcelDocument::everyCellSummingTheGridRecalculates_data()
{
    QTest::addColumn<QString>("cached");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");

    QTest::newRow("no cached values") << "" << "0" << "0";
    QTest::newRow("cached halves") << "0.5" << "20000" << "inf";
}

// 40,000 cells each summing all of them, themselves included: each changes
// every sum after it, yet a pass reads each cell about once, not 40,000 times.
void TestExcelDocument::everyCellSummingTheGridRecalculates()
{
    QFETCH(QString, cached);
    QFETCH(QString, first);
    QFETCH(QString, last);
    const int rows = 400;
    const int columns = 100;
    CellGrid cells = makeEmptyGrid(rows, columns);
    for (QStringList &row : cells)
        row.fill(QStringLiteral("=SUM(A1:CV400)"));
    CellGrid values = makeEmptyGrid(rows, columns);
    for (QStringList &row : values)
        row.fill(cached);
    ExcelDocument document;
    document.setCells(cells);
    document.setEvaluatedCells(values);
    QElapsedTimer timer;
    timer.start();
    document.recalculate();
    const qint64 firstPass = timer.restart();
    QCOMPARE(document.evaluatedCell(0, 0), first);
    QCOMPARE(document.evaluatedCell(rows - 1, columns - 1), last);
    document.recalculate();
    const qint64 secondPass = timer.elapsed();
    QCOMPARE(document.evaluatedCell(rows - 1, columns - 1), last);
    QVERIFY2(firstPass + secondPass < 30000, qPrintable(QString::number(firstPass + secondPass)));
    qInfo() << "every cell sums the grid, two passes:" << firstPass << secondPass << "ms";
}

void TestExcelDocument::switchingWritesBackAndMarksUnsaved()
{
    ExcelDocument document;
    document.addSheet();
    document.switchToSheet(0);
    document.setCell(0, 0, "=SUM(2,2)");
    document.setCellStyle("A1", CellStyle{true, false, {}, {}});
    drainDeferredWork();
    setUnsaved(false);
    QSignalSpy changedSpy(&document, &ExcelDocument::changed);
    QSignalSpy indexSpy(&document, &ExcelDocument::activeSheetIndexChanged);
    document.switchToSheet(1);
    QVERIFY(unsaved());
    QCOMPARE(changedSpy.count(), 1);
    QCOMPARE(indexSpy.count(), 1);
    QCOMPARE(document.cell(0, 0), QString());
    QVERIFY(document.cellStyles().isEmpty());
    document.switchToSheet(0);
    QCOMPARE(document.cell(0, 0), QStringLiteral("=SUM(2,2)"));
    QCOMPARE(document.evaluatedCell(0, 0), QStringLiteral("4"));
    QVERIFY(document.cellStyle("a1").isBold);
    document.switchToSheet(7); // ignored
    QCOMPARE(document.activeSheetIndex(), 0);
}

void TestExcelDocument::clearSheetKeepsSizeAndClearsStoredCopy()
{
    ExcelDocument document;
    document.insertColumn(0);
    document.setCell(2, 2, "x");
    document.setCachedEvaluatedCells(gridFromEntries("A1=cached", 100, 51));
    document.mergeCells(0, 0, 1, 1);
    document.setCellStyle("B2", CellStyle{false, true, {}, {}});
    document.addObject(ExcelObjectType::Circle);
    document.setMacro("Main", "MsgBox 1");
    drainDeferredWork();
    document.clearSheet();
    const CellGrid blank = makeEmptyGrid(100, 51);
    QCOMPARE(document.cells(), blank);
    QCOMPARE(document.evaluatedCells(), blank);
    QCOMPARE(document.cachedEvaluatedCells(), blank);
    QVERIFY(document.mergedRanges().isEmpty());
    QVERIFY(document.cellStyles().isEmpty());
    QVERIFY(document.objects().isEmpty());
    QCOMPARE(document.macros().size(), 1);
    const ExcelSheet &stored = document.sheets().first();
    QCOMPARE(stored.cells, blank);
    QVERIFY(stored.mergedRanges.isEmpty() && stored.cellStyles.isEmpty() && stored.objects.isEmpty());
}

void TestExcelDocument::replaceSheetsShapesAndShowsFirst()
{
    ExcelDocument document;
    document.addSheet();
    ExcelSheet first;
    first.id = QUuid::createUuid();
    first.name = "Read";
    first.cells = {{"1", "=SUM(A1,1)"}, {"=FOO()"}};
    first.cachedEvaluatedCells = {{"", ""}, {"cached", "", "beyond"}}; // shorter and wider
    ExcelSheet second = first;
    second.id = QUuid::createUuid();
    second.name = "Other";
    setUnsaved(false);
    document.replaceSheets({first, second});
    QCOMPARE(document.sheets().size(), 2);
    QCOMPARE(document.activeSheetIndex(), 0);
    QCOMPARE(document.rowCount(), 2);
    QCOMPARE(document.columnCount(), 2);
    QVERIFY(hasShape(document.evaluatedCells(), 2, 2));
    QVERIFY(hasShape(document.cachedEvaluatedCells(), 2, 2));
    QCOMPARE(document.evaluatedCell(0, 1), QStringLiteral("2"));
    QCOMPARE(document.evaluatedCell(1, 0), QStringLiteral("cached"));
    QVERIFY(unsaved());
    document.replaceSheets({}); // refused
    QCOMPARE(document.sheets().size(), 2);
}

void TestExcelDocument::cellStyleKeys_data()
{
    QTest::addColumn<QString>("reference");
    QTest::addColumn<QString>("key"); // "" when refused
    QTest::newRow("canonical") << "B3" << "B3";
    QTest::newRow("lower case with zeros") << "b03" << "B3";
    QTest::newRow("malformed") << "B" << "";
    QTest::newRow("absolute") << "$B$3" << "";
}

void TestExcelDocument::cellStyleKeys()
{
    QFETCH(QString, reference);
    QFETCH(QString, key);
    ExcelDocument document;
    QSignalSpy changedSpy(&document, &ExcelDocument::changed);
    const CellStyle style{true, true, QStringLiteral("#FF0000"), QStringLiteral("#00FF00")};
    document.setCellStyle(reference, style);
    QCOMPARE(document.cellStyles().keys(), key.isEmpty() ? QStringList() : QStringList{key});
    QCOMPARE(unsaved(), !key.isEmpty());
    QCOMPARE(changedSpy.count(), key.isEmpty() ? 0 : 1);
    QCOMPARE(document.cellStyle(reference), key.isEmpty() ? CellStyle() : style);
}

void TestExcelDocument::valueGridsTakeTheRawShape()
{
    ExcelDocument document;
    QSignalSpy evaluatedSpy(&document, &ExcelDocument::evaluatedCellsChanged);
    document.setEvaluatedCells({{"x"}});
    QCOMPARE(evaluatedSpy.count(), 1);
    QVERIFY(hasShape(document.evaluatedCells(), 100, 50));
    QCOMPARE(document.evaluatedCell(0, 0), QStringLiteral("x"));
    document.setCachedEvaluatedCells(makeEmptyGrid(300, 300));
    QCOMPARE(evaluatedSpy.count(), 1);
    QVERIFY(hasShape(document.cachedEvaluatedCells(), 100, 50));
    document.setCells({});
    QCOMPARE(document.rowCount(), 0);
    QCOMPARE(document.columnCount(), 50);
    QVERIFY(document.evaluatedCells().isEmpty());
    QCOMPARE(document.parseRange("A1:A1"), QList<CellAddress>());
    document.recalculate();
    drainDeferredWork();
    QVERIFY(document.evaluatedCells().isEmpty());
}

void TestExcelDocument::cachedValueIsTheFallback()
{
    ExcelDocument document;
    document.setCell(3, 3, "=A1*2");
    document.setCachedEvaluatedCells(gridFromEntries("D4=14", 100, 50));
    drainDeferredWork();
    QCOMPARE(document.evaluatedCell(3, 3), QStringLiteral("14"));
    QCOMPARE(document.parseRange("B2:A1"), (QList<CellAddress>{{0, 0}, {0, 1}, {1, 0}, {1, 1}}));
    QCOMPARE(document.parseRange("A1:A101"), QList<CellAddress>());
    QCOMPARE(document.parseRange("A1"), QList<CellAddress>());
    QCOMPARE(document.parseRange("A1:B2:C3"), QList<CellAddress>());
}

void TestExcelDocument::cachedValueBelongsToItsText_data()
{
    QTest::addColumn<QString>("saved");  // A1 of the saved workbook
    QTest::addColumn<QString>("cached"); // the value it caches for A1, "" for none
    QTest::addColumn<QString>("typed");  // then typed in A1
    QTest::addColumn<QString>("shown");

    QTest::newRow("unknown function over a number") << "5" << "" << "=FOO(1)" << "#NAME?";
    QTest::newRow("absolute reference over a text") << "abc" << "" << "=SUM($A$1)" << "#VALUE!";
    QTest::newRow("unknown function written again") << "=FOO(1)" << "7" << "=FOO(1)" << "7";
    QTest::newRow("unknown function changed") << "=FOO(1)" << "7" << "=FOO(2)" << "#NAME?";
    QTest::newRow("macro-style bulk write") << "5" << "" << "bulk:=FOO(1)" << "#NAME?";
}

// A value a file cached for a cell belongs to the cell's text: typing
// another text drops it, before and after the next save; typing the same
// text again keeps it.
void TestExcelDocument::cachedValueBelongsToItsText()
{
    QFETCH(QString, saved);
    QFETCH(QString, cached);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    ExcelDocument original;
    original.setCell(0, 0, saved);
    original.setCachedEvaluatedCells(gridFromEntries("A1=" + cached, 100, 50));
    drainDeferredWork();
    ExcelDocument document;
    saveAndReopen(original, document);
    if (typed.startsWith("bulk:"))
        document.setCells(gridFromEntries("A1=" + typed.mid(5), 100, 50));
    else
        document.setCell(0, 0, typed);
    drainDeferredWork();
    QCOMPARE(document.evaluatedCell(0, 0), shown);
    ExcelDocument reopened;
    saveAndReopen(document, reopened);
    QCOMPARE(reopened.evaluatedCell(0, 0), shown);
}

void TestExcelDocument::reopenShowsWhatWasShown_data()
{
    QTest::addColumn<QString>("entries");

    QTest::newRow("sum of a later sum") << "A1==SUM(B1,B1,B1,B1)|B1==SUM(0.004)";
    QTest::newRow("sum of a later average") << "A1==SUM(B1,B1,B1,B1)|B1==AVERAGE(0.005,0.005)";
    QTest::newRow("join of a later sum") << "A1==TEXTJOIN(\"\",TRUE,B1)|B1==SUM(0.004)";
    QTest::newRow("sum of itself") << "A1==SUM(A1,0.004)";
    QTest::newRow("unknown function keeps the file's value") << "A1==SUM(B1,B1)|B1==FOO(1)";
}

// A SUM or AVERAGE whose file value is unrounded (0.004) reads, in the first
// pass after opening, as every pass reads it: as it shows ("0.00").
void TestExcelDocument::reopenShowsWhatWasShown()
{
    QFETCH(QString, entries);
    ExcelDocument document;
    document.setCells(gridFromEntries(entries, 100, 50));
    document.setCachedEvaluatedCells(gridFromEntries("B1=0.004", 100, 50));
    drainDeferredWork();
    document.recalculate();
    ExcelDocument reopened;
    saveAndReopen(document, reopened);
    QCOMPARE(reopened.evaluatedCells(), document.evaluatedCells());
    reopened.recalculate();
    document.recalculate();
    QCOMPARE(reopened.evaluatedCells(), document.evaluatedCells());
}

QTEST_GUILESS_MAIN(TestExcelDocument)
#include "tst_exceldocument.moc"
