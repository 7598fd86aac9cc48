#include "spreadsheet/engine/EngineTestSupport.h"

#include "spreadsheet/engine/model/CellDateFormat.h"
#include "spreadsheet/engine/formula/FormulaEvaluator.h"
#include "platform/NumberText.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QLocale>
#include <QTest>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

QString shown(const FormulaEvaluator &evaluator, const QString &raw, int row, int col)
{
    return evaluator.evaluateCell(raw, row, col).display;
}

} // namespace

class TestFormulaEvaluator : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void evaluate_data();
    void evaluate();
    void referencesReadValuesBeforeDateDisplay();
    void splitFormulaArguments_data();
    void splitFormulaArguments();
    void formatNumber_data();
    void formatNumber();
    void formatNumberRoundsAsPrintf();
    void dateRule_data();
    void dateRule();
    void dateFromSerial_data();
    void dateFromSerial();
    void referencesAtGridEdges_data();
    void referencesAtGridEdges();
    void shortCachedGridReadsAsEmpty();
    void exactResults_data();
    void exactResults();
    void joinsOverHugeGridsStopEarly_data();
    void joinsOverHugeGridsStopEarly();
};

void TestFormulaEvaluator::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
}

void TestFormulaEvaluator::evaluate_data()
{
    QTest::addColumn<QString>("cells");
    QTest::addColumn<QString>("cached");
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("expected");

    const QString numbers = "A1=1|A2=2|A3=3";
    QTest::newRow("plain text stays") << "" << "" << "hello" << "hello";
    QTest::newRow("empty stays empty") << "" << "" << "" << "";
    QTest::newRow("lower-case name and range") << numbers << "" << "=sum(a1:a3)" << "6";
    QTest::newRow("blanks around the formula") << numbers << "" << "= SUM(A1:A3) " << "6";
    QTest::newRow("blank before = is no formula") << "" << "" << " =SUM(1)" << " =SUM(1)";
    QTest::newRow("operator: no call, no cache") << numbers << "" << "=A1+B1" << "#VALUE!";
    QTest::newRow("operator: cached value") << numbers << "D6=7" << "=A1+B1" << "7";
    QTest::newRow("bare reference") << numbers << "" << "=A1" << "#VALUE!";
    QTest::newRow("name with 0 is no call") << "" << "" << "=LOG10(5)" << "#VALUE!";
    QTest::newRow("name with 0, cached") << "" << "D6=0.7" << "=LOG10(5)" << "0.7";
    QTest::newRow("unknown name") << "" << "" << "=FOO(5)" << "#NAME?";
    QTest::newRow("unknown name, cached") << "" << "D6=9" << "=FOO(5)" << "9";
    QTest::newRow("text after the call") << numbers << "" << "=SUM(A1:A3)+1" << "#VALUE!";
    QTest::newRow("bare =") << "" << "" << "=" << "#VALUE!";
    QTest::newRow("no name") << "" << "" << "=(1)" << "#VALUE!";
    QTest::newRow("line break in arguments") << "" << "" << "=SUM(1,\n2)" << "#VALUE!";
    QTest::newRow("vertical tab in arguments") << "" << "" << "=SUM(1,\v2)" << "#VALUE!";
    QTest::newRow("form feed in arguments") << "" << "" << "=SUM(1,\f2)" << "#VALUE!";
    QTest::newRow("tab in arguments is a blank") << "" << "" << "=SUM(1,\t2)" << "3";
    QTest::newRow("SUM of nothing") << "" << "" << "=SUM()" << "0";
    QTest::newRow("AVERAGE of no number") << "" << "" << "=AVERAGE(X1)" << "0";
    QTest::newRow("fraction shows two decimals") << "" << "" << "=SUM(1.5,1)" << "2.50";
    QTest::newRow("integral sum") << "" << "" << "=SUM(2,3)" << "5";
    QTest::newRow("average") << numbers << "" << "=AVERAGE(A1:A3,6)" << "3";
    QTest::newRow("average with fraction") << "" << "" << "=AVERAGE(1,2)" << "1.50";
    QTest::newRow("quoted number is no number") << "" << "" << "=SUM(\"5\",1)" << "1";
    QTest::newRow("text cells are skipped") << "A1=1|A2=x|A3=3" << "" << "=SUM(A1:A3)" << "4";
    QTest::newRow("corners in any order") << numbers << "" << "=SUM(A3:A1)" << "6";
    QTest::newRow("three-part range adds nothing") << numbers << "" << "=SUM(A1:B2:C3,1)" << "1";
    QTest::newRow("reference outside the grid") << "" << "" << "=SUM(Z999,2)" << "2";
    QTest::newRow("range leaving the grid") << numbers << "" << "=SUM(A1:A11)" << "0";
    QTest::newRow("nested call is a literal") << "" << "" << "=SUM(SUM(1,2),3)" << "3";
    QTest::newRow("exponent and hex numbers") << "" << "" << "=SUM(1e3,0x10)" << "1016";
    QTest::newRow("infinity") << "" << "" << "=SUM(inf)" << "inf";
    QTest::newRow("not a number") << "" << "" << "=SUM(nan)" << "nan";
    QTest::newRow("negative zero") << "" << "" << "=SUM(-0)" << "0";
    QTest::newRow("negative fraction") << "" << "" << "=SUM(-1.5)" << "-1.50";
    QTest::newRow("beyond 64 bits") << "" << "" << "=SUM(1e20)" << "100000000000000000000";
    QTest::newRow("textjoin skips empties") << "A1=a|C1=c" << "" << "=TEXTJOIN(\"-\",TRUE,A1:C1)" << "a-c";
    QTest::newRow("textjoin keeps empties") << "A1=a|C1=c" << "" << "=TEXTJOIN(\"-\",FALSE,A1:C1)" << "a--c";
    QTest::newRow("textjoin lower-case true") << "A1=a|C1=c" << "" << "=TEXTJOIN(\"-\",true,A1:C1)" << "a-c";
    QTest::newRow("textjoin 1 skips") << "" << "" << "=TEXTJOIN(\",\",1,\"x\",\"y\")" << "x,y";
    QTest::newRow("textjoin blanks are not empty") << "A1= " << "" << "=TEXTJOIN(\"-\",TRUE,A1,\"b\")" << " -b";
    QTest::newRow("textjoin two arguments") << "" << "D6=z" << "=TEXTJOIN(\",\",TRUE)" << "#ARG!";
    QTest::newRow("textjoin quoted comma") << "" << "" << "=TEXTJOIN(\"+\",FALSE,\"a,b\",\"c\")" << "a,b+c";
    QTest::newRow("textjoin delimiter is literal") << "A1=q" << "" << "=TEXTJOIN(A1,FALSE,\"p\",\"r\")" << "pA1r";
    QTest::newRow("textjoin of a result") << "" << "" << "=TEXTJOIN(\"\",FALSE,\"\",\"\")" << "";
    QTest::newRow("unique keeps the empty text") << "A1=x|A2=y|A3=x" << "" << "=UNIQUE(A1:A4)" << "x, y, ";
    QTest::newRow("unique over literals") << "" << "" << "=UNIQUE(\"b\",\"a\",\"b\")" << "b, a";
    const QString half(16383, u'x');
    const QString otherHalf(16383, u'y');
    QTest::newRow("textjoin filling a cell") << "A1=" + half + "|B1=" + otherHalf << ""
                                             << "=TEXTJOIN(\"-\",FALSE,A1,B1)" << half + "-" + otherHalf;
    QTest::newRow("textjoin longer than a cell") << "A1=" + half + "x|B1=" + otherHalf << ""
                                                 << "=TEXTJOIN(\"-\",FALSE,A1,B1)" << "#VALUE!";
    QTest::newRow("unique longer than a cell, separator counted") << "A1=" + half + "|B1=" + otherHalf << ""
                                                                  << "=UNIQUE(A1,B1)" << "#VALUE!";
    // A formula longer than a cell holds is not computed: its arguments would
    // cost their whole length again on every change.
    const QString ones = QStringLiteral("1,").repeated(16380);
    QTest::newRow("formula filling a cell") << "" << "" << "=SUM(" + ones + "1)" << "16381";
    QTest::newRow("formula longer than a cell") << "" << "" << "=SUM(" + ones + "1,1)" << "#VALUE!";
    QTest::newRow("formula longer than a cell, cached") << "" << "D6=5" << "=SUM(" + ones + "1,1)" << "5";
    QTest::newRow("absolute range: cached value") << numbers << "D6=6" << "=SUM($A$1:$A$3)" << "6";
    QTest::newRow("absolute range, no cache") << numbers << "" << "=SUM($A$1:$A$3)" << "#VALUE!";
    QTest::newRow("sheet prefix: cached value") << numbers << "D6=8" << "=SUM(Sheet2!A1,1)" << "8";
    QTest::newRow("whole column: cached value") << numbers << "D6=6" << "=SUM(A:A)" << "6";
    QTest::newRow("quoted $ is text") << "" << "" << "=TEXTJOIN(\"$\",TRUE,\"a$\",\"b\")" << "a$$b";
    QTest::newRow("result in a date cell") << "" << "" << "=SUM(44999,1)" << "45000";
}

void TestFormulaEvaluator::evaluate()
{
    QFETCH(QString, cells);
    QFETCH(QString, cached);
    QFETCH(QString, raw);
    QFETCH(QString, expected);
    const CellGrid grid = gridFromEntries(cells);
    const CellGrid cachedGrid = gridFromEntries(cached);
    const FormulaEvaluator evaluator(grid, grid, cachedGrid);
    QCOMPARE(shown(evaluator, raw, 5, 3), expected);
}

void TestFormulaEvaluator::referencesReadValuesBeforeDateDisplay()
{
    // A5 holds a plain serial; B1 a formula whose value lies in the window.
    const CellGrid cells = gridFromEntries("A5=45000|B1==SUM(45000)");
    CellGrid values = cells;
    values[0][1] = "45000";
    const FormulaEvaluator evaluator(cells, values, makeEmptyGrid(10, 5));
    QCOMPARE(shown(evaluator, "45000", 4, 0), QStringLiteral("3/15"));
    QCOMPARE(shown(evaluator, "=SUM(A5,1)", 5, 3), QStringLiteral("45001"));
    QCOMPARE(shown(evaluator, "=SUM(A5,1)", 5, 0), QStringLiteral("3/16"));
    QCOMPARE(shown(evaluator, "=TEXTJOIN(\"/\",TRUE,A5,B1)", 5, 3), QStringLiteral("45000/45000"));
    const FormulaEvaluator::Result result = evaluator.evaluateCell("=SUM(B1)", 4, 0);
    QCOMPARE(result.display, QStringLiteral("3/15"));
    QCOMPARE(result.value, QStringLiteral("45000"));
}

void TestFormulaEvaluator::splitFormulaArguments_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("pieces");
    QTest::newRow("empty text") << "" << QStringList();
    QTest::newRow("trailing comma drops nothing") << "A1," << QStringList{"A1"};
    QTest::newRow("trailing blank piece is kept") << "A1, " << QStringList{"A1", ""};
    QTest::newRow("empty middle piece") << "A1,,B1" << QStringList{"A1", "", "B1"};
    QTest::newRow("lone comma") << "," << QStringList{""};
    QTest::newRow("pieces are trimmed") << " a ,\tb\n" << QStringList{"a", "b"};
    QTest::newRow("comma in quotes") << "\"a,b\" , c" << QStringList{"\"a,b\"", "c"};
    QTest::newRow("comma in parentheses") << "SUM(1,2),3" << QStringList{"SUM(1,2)", "3"};
    QTest::newRow("parenthesis in quotes counts") << "\"(\",1" << QStringList{"\"(\",1"};
    QTest::newRow("negative depth never splits") << ")),1" << QStringList{")),1"};
    QTest::newRow("unclosed quote") << "\"a,b" << QStringList{"\"a,b"};
}

void TestFormulaEvaluator::splitFormulaArguments()
{
    QFETCH(QString, text);
    QFETCH(QStringList, pieces);
    QStringList split;
    for (const QStringView piece : ::splitFormulaArguments(text))
        split.append(piece.toString());
    QCOMPARE(split, pieces);
}

void TestFormulaEvaluator::formatNumber_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("fraction") << 2.5 << "2.50";
    QTest::newRow("negative third") << -1.0 / 3 << "-0.33";
    QTest::newRow("exact tie rounds to even") << 0.125 << "0.12";
    QTest::newRow("exact tie rounds to even, up") << 0.375 << "0.38";
    QTest::newRow("binary value below the tie") << 2.675 << "2.67";
    QTest::newRow("tiny fraction") << 1e-300 << "0.00";
    QTest::newRow("integer") << 3.0 << "3";
    QTest::newRow("negative integer") << -12.0 << "-12";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << "inf";
    QTest::newRow("negative infinity") << -std::numeric_limits<double>::infinity() << "-inf";
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << "nan";
    QTest::newRow("lowest 64-bit") << -9223372036854775808.0 << "-9223372036854775808";
    QTest::newRow("2^63 is beyond 64 bits") << 9223372036854775808.0 << "9223372036854775808";
    QTest::newRow("far beyond 64 bits") << -1e20 << "-100000000000000000000";
}

void TestFormulaEvaluator::formatNumber()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(FormulaEvaluator::formatNumber(value), text);
}

// Fractions show as printf's "%.2f" gives them, to the last digit: values
// near and at ties of every size, and arbitrary bit patterns.
void TestFormulaEvaluator::formatNumberRoundsAsPrintf()
{
    QRandomGenerator random(33);
    const auto check = [](double value) {
        char expected[400];
        const auto end = std::to_chars(expected, expected + sizeof expected, value, std::chars_format::fixed, 2).ptr;
        if (!std::isfinite(value) || value == std::trunc(value))
            return true;
        return FormulaEvaluator::formatNumber(value) == QLatin1String(expected, end - expected);
    };
    for (int i = 0; i < 100000; ++i) {
        const double thousandths = double(qint64(random.generate64() % 20000000001) - 10000000000) / 1000;
        const double values[] = {std::bit_cast<double>(random.generate64()), thousandths,
                                 std::nextafter(thousandths, 1e300), std::nextafter(thousandths, -1e300),
                                 std::ldexp(double(random.generate64() >> 11), -int(random.bounded(60))),
                                 double(qint64(random.generate64() % 1000000)) / 8, -1 / double(i + 3)};
        for (const double value : values)
            QVERIFY2(check(value), qPrintable(QString::number(value, 'g', 17)));
    }
}

void TestFormulaEvaluator::dateRule_data()
{
    QTest::addColumn<QString>("cells");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<QString>("expected"); // "" for no date

    QTest::newRow("column A") << "" << "45000" << 4 << 0 << "3/15";
    QTest::newRow("column B weekday") << "" << "45000" << 4 << 1 << "水";
    QTest::newRow("row 2 month") << "" << "45000" << 1 << 2 << "2023年3月分";
    QTest::newRow("elsewhere no date") << "" << "45000" << 2 << 2 << "";
    QTest::newRow("fraction dropped") << "" << "45000.75" << 4 << 0 << "3/15";
    QTest::newRow("exponent form") << "" << "4.5e4" << 4 << 0 << "3/15";
    QTest::newRow("blank before is no number") << "" << " 45000" << 4 << 0 << "";
    QTest::newRow("window start") << "" << "40000" << 4 << 0 << "7/6";
    QTest::newRow("window end") << "" << "50000" << 4 << 0 << "11/21";
    QTest::newRow("below window") << "" << "39999" << 4 << 0 << "";
    QTest::newRow("above window") << "" << "50001" << 4 << 0 << "";
    QTest::newRow("header 日") << "C1=日" << "45000" << 4 << 2 << "3/15";
    QTest::newRow("header 日 trimmed") << "C1= 日\n" << "45000" << 4 << 2 << "3/15";
    QTest::newRow("header 日曜 decides nothing") << "C1=日曜" << "45000" << 4 << 2 << "";
    QTest::newRow("header of another column") << "C1=日" << "45000" << 4 << 3 << "";
    QTest::newRow("header wins over row 2") << "C1=日付" << "45000" << 1 << 2 << "3/15";
    QTest::newRow("text in a date column") << "C1=日" << "text" << 4 << 2 << "";
    QTest::newRow("header 日曜, row 2 month") << "C1=日曜" << "45000" << 1 << 2 << "2023年3月分";
    QTest::newRow("header 曜日") << "C1=曜日" << "45000" << 4 << 2 << "水";
    QTest::newRow("header 日付") << "C1=入金日付" << "45000" << 4 << 2 << "3/15";
    QTest::newRow("header 年月日") << "C1=年月日" << "45000" << 4 << 2 << "3/15";
    QTest::newRow("header overrides column A") << "A1=曜日" << "45000" << 4 << 0 << "水";
    QTest::newRow("first header row decides") << "C1=曜日|C2=日付" << "45000" << 4 << 2 << "水";
    QTest::newRow("曜日 anywhere wins over 日付") << "C1=日付の曜日" << "45000" << 4 << 2 << "水";
    QTest::newRow("header in row 15 counts") << "C15=日" << "45000" << 16 << 2 << "3/15";
    QTest::newRow("header in row 16 ignored") << "C16=日" << "45000" << 17 << 2 << "";
    QTest::newRow("the cell itself is a header row") << "C3=45000" << "45000" << 2 << 2 << "";
}

void TestFormulaEvaluator::dateRule()
{
    QFETCH(QString, cells);
    QFETCH(QString, value);
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(QString, expected);
    const CellGrid grid = gridFromEntries(cells, 20, 5);
    const CellDateFormat dates(grid);
    QCOMPARE(dates.display(value, row, col).value_or(QString()), expected);
}

void TestFormulaEvaluator::dateFromSerial_data()
{
    QTest::addColumn<double>("serial");
    QTest::addColumn<QDate>("date");
    QTest::newRow("serial 1") << 1.0 << QDate(1900, 1, 1);
    QTest::newRow("serial 59") << 59.0 << QDate(1900, 2, 28);
    QTest::newRow("serial 60 is not lowered") << 60.0 << QDate(1900, 3, 1);
    QTest::newRow("serial 61 is lowered") << 61.0 << QDate(1900, 3, 1);
    QTest::newRow("serial 45000") << 45000.0 << QDate(2023, 3, 15);
    QTest::newRow("fraction dropped") << 45000.75 << QDate(2023, 3, 15);
    QTest::newRow("serial 0") << 0.0 << QDate(1899, 12, 31);
    QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << QDate();
    QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << QDate();
    QTest::newRow("huge") << 1e300 << QDate();
}

void TestFormulaEvaluator::dateFromSerial()
{
    QFETCH(double, serial);
    QFETCH(QDate, date);
    QCOMPARE(CellDateFormat::dateFromSerial(serial).value_or(QDate()), date);
}

void TestFormulaEvaluator::referencesAtGridEdges_data()
{
    QTest::addColumn<QString>("reference");
    QTest::addColumn<bool>("valid");
    QTest::newRow("last cell") << "E10" << true;
    QTest::newRow("one row below") << "E11" << false;
    QTest::newRow("one column right") << "F10" << false;
    QTest::newRow("range to the last cell") << "A1:E10" << true;
    QTest::newRow("range one row beyond") << "A1:E11" << false;
}

void TestFormulaEvaluator::referencesAtGridEdges()
{
    QFETCH(QString, reference);
    QFETCH(bool, valid);
    const bool parsed = reference.contains(u':') ? CellReference::parseRangeWithin(reference, 10, 5).has_value()
                                                 : CellReference::parseWithin(reference, 10, 5).has_value();
    QCOMPARE(parsed, valid);
}

void TestFormulaEvaluator::shortCachedGridReadsAsEmpty()
{
    const CellGrid grid = makeEmptyGrid(10, 5);
    const CellGrid cached = makeEmptyGrid(2, 2);
    const CellGrid noValues;
    const FormulaEvaluator evaluator(grid, noValues, cached);
    QCOMPARE(shown(evaluator, "=A1+1", 9, 4), QStringLiteral("#VALUE!"));
    QCOMPARE(shown(evaluator, "=FOO()", 9, 4), QStringLiteral("#NAME?"));
    const CellGrid formulas = gridFromEntries("A1==SUM(1)");
    const FormulaEvaluator withoutValues(formulas, noValues, cached);
    QCOMPARE(shown(withoutValues, "=SUM(A1,2)", 5, 3), QStringLiteral("2"));
}

void TestFormulaEvaluator::exactResults_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("exact");
    QTest::addColumn<bool>("computes");
    QTest::newRow("rounded sum") << "=SUM(617.250005)" << "617.25" << "617.250005" << true;
    QTest::newRow("average of thirds") << "=AVERAGE(1,2,2)" << "1.67" << "1.6666666666666667" << true;
    QTest::newRow("integral sum is exact already") << "=SUM(2,3)" << "5" << "" << true;
    QTest::newRow("join has no number") << "=TEXTJOIN(\"\",TRUE,\"1.5\")" << "1.5" << "" << true;
    QTest::newRow("unknown function") << "=FOO(1.25)" << "#NAME?" << "" << false;
    QTest::newRow("absolute reference") << "=SUM($A$1)" << "#VALUE!" << "" << false;
    QTest::newRow("no call") << "=A1+1" << "#VALUE!" << "" << false;
    QTest::newRow("plain text") << "5.5" << "5.5" << "" << false;
}

void TestFormulaEvaluator::exactResults()
{
    QFETCH(QString, raw);
    QFETCH(QString, display);
    QFETCH(QString, exact);
    QFETCH(bool, computes);
    const CellGrid grid = makeEmptyGrid(10, 5);
    const FormulaEvaluator evaluator(grid, grid, grid);
    const FormulaEvaluator::Result result = evaluator.evaluateCell(raw, 9, 4);
    QCOMPARE(result.display, display);
    QCOMPARE(result.exact ? NumberText::shortest(*result.exact) : QString(), exact);
    QCOMPARE(FormulaEvaluator::computes(raw), computes);
}

// A join over a grid of long texts takes no more than a cell holds, so it
// neither builds huge lists nor takes long.
void TestFormulaEvaluator::joinsOverHugeGridsStopEarly_data()
{
    QTest::addColumn<QString>("raw");
    QTest::newRow("textjoin") << "=TEXTJOIN(\",\",FALSE,A1:GR1000)";
    QTest::newRow("unique") << "=UNIQUE(A1:GR1000)";
    const QString literal(16000, u'x'); // two fit in a formula, not in a cell with A1
    QTest::newRow("textjoin of literals") << "=TEXTJOIN(\",\",FALSE," + literal + ',' + literal + ",A1)";
}

void TestFormulaEvaluator::joinsOverHugeGridsStopEarly()
{
    QFETCH(QString, raw);
    CellGrid grid = makeEmptyGrid(1000, 200);
    for (int r = 0; r < 1000; ++r) {
        for (int c = 0; c < 200; ++c)
            grid[r][c] = QString(1000, QChar(u'a' + (r * 200 + c) % 26)) + QString::number(r * 200 + c);
    }
    const FormulaEvaluator evaluator(grid, grid, grid);
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(shown(evaluator, raw, 0, 0), QStringLiteral("#VALUE!"));
    QVERIFY2(timer.elapsed() < 1000, qPrintable(QString::number(timer.elapsed())));
}

QTEST_GUILESS_MAIN(TestFormulaEvaluator)
#include "tst_formulaevaluator.moc"
