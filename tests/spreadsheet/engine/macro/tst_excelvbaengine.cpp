#include "platform/AppState.h"
#include "spreadsheet/engine/document/ExcelDocument.h"
#include "spreadsheet/engine/macro/ExcelVBAEngine.h"
#include "support/StdoutCapture.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

namespace {

QString sub(const QString &body)
{
    return QStringLiteral("Sub Test()\n") + body + QStringLiteral("\nEnd Sub\n");
}

// "name=text" expects that text; "!name" expects no such variable.
void compareVariables(const ExcelVBAEngine::Variables &variables, const QStringList &expected)
{
    for (const QString &item : expected) {
        if (item.startsWith(QLatin1Char('!'))) {
            QVERIFY2(!variables.contains(item.mid(1)), qPrintable(item));
            continue;
        }
        const qsizetype equals = item.indexOf(QLatin1Char('='));
        const QString name = item.left(equals);
        QVERIFY2(variables.contains(name), qPrintable(item));
        QCOMPARE(variables.value(name).text(), item.mid(equals + 1));
    }
}

// Raw column A, rows 1 to 4.
QStringList columnA(const ExcelDocument &document)
{
    QStringList texts;
    for (int row = 0; row < 4; ++row)
        texts << document.cell(row, 0);
    return texts;
}

} // namespace

class TestExcelVBAEngine : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void blockCollection_data();
    void blockCollection();
    void nothingToRunLeavesNoVariables_data();
    void nothingToRunLeavesNoVariables();

    void loops_data();
    void loops();
    void loopCounterIsInteger();

    void expressions_data();
    void expressions();
    void conditions_data();
    void conditions();
    void ifBlocks_data();
    void ifBlocks();

    void cellWrites_data();
    void cellWrites();
    void styleWrites_data();
    void styleWrites();
    void styleWriteMarksUnsavedAndAnnouncesOnce();

    void readsSeeTheRunsOwnWrites();
    void formulasReadValuesBeforeTheirDateDisplay();
    void thousandsOfWritesQueueOneRecalculation();
    void runWithoutWritesLeavesDocumentAlone();
    void missingDocumentKeepsVariablesAndMessages();

    void messagesArriveAfterTheRunInOrder();
    void messageTextIsFixedAtItsStatement();
    void messageWithEqualsSignIsAnAssignment();
    void messagesOutliveTheEngine();
    void onlyTheLastMessagesAreKept();

    void runawayMacroStopsAndKeepsItsWrites();
    void runawayFormulaWorkStopsTheRun();
    void runawayTextStopsTheRun_data();
    void runawayTextStopsTheRun();
    void hostileMacros_data();
    void hostileMacros();

private:
    void runMacro(const QString &code);

    std::unique_ptr<ExcelDocument> m_document;
    std::unique_ptr<ExcelVBAEngine> m_engine;
    QStringList m_messages;
};

void TestExcelVBAEngine::init()
{
    QCoreApplication::processEvents(); // nothing of an earlier test stays queued
    AppState::shared().setHasUnsavedChanges(AppState::Editor::Spreadsheet, false);
    m_document = std::make_unique<ExcelDocument>();
    m_engine = std::make_unique<ExcelVBAEngine>();
    m_engine->document = m_document.get();
    m_messages.clear();
    m_engine->onShowMessage = [this](const QString &message) { m_messages << message; };
}

void TestExcelVBAEngine::runMacro(const QString &code)
{
    m_engine->run(code);
}

void TestExcelVBAEngine::blockCollection_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("one block writes A1") << "Sub A()\nCells(1, 1).Value = 7\nEnd Sub"
                                         << QStringList{"7", "", "", ""};
    QTest::newRow("lines outside blocks never run")
        << "Cells(1, 1) = 1\nSub A()\nCells(2, 1) = 2\nEnd Sub\nCells(3, 1) = 3"
        << QStringList{"", "2", "", ""};
    QTest::newRow("blocks run in source order, sharing variables")
        << "Sub A()\nCells(1, 1) = \"a\"\nx = \"from A\"\nEnd Sub\nSub B()\nCells(1, 1) = \"b\"\n"
           "Cells(2, 1) = x\nEnd Sub"
        << QStringList{"b", "from A", "", ""};
    QTest::newRow("Sub without End Sub runs to the end")
        << "Sub A()\nCells(1, 1) = 1\nCells(2, 1) = 2" << QStringList{"1", "2", "", ""};
    QTest::newRow("second header before End Sub merges the bodies")
        << "Sub A()\nCells(1, 1) = 1\nSub B()\nCells(2, 1) = 2\nEnd Sub\nCells(3, 1) = 3"
        << QStringList{"1", "2", "", ""};
    QTest::newRow("comments and blank lines are dropped, trailing comments are not")
        << "Sub A()\n' Cells(1, 1) = 9\n\n   \t\nCells(2, 1) = 2 ' two\nEnd Sub"
        << QStringList{"", "2 ' two", "", ""};
    QTest::newRow("CRLF line ends and keywords in any case")
        << "SUB A()\r\n  cells(1, 1) = 1\r\nEND SUB\r\n" << QStringList{"1", "", "", ""};
    QTest::newRow("unknown statements are skipped")
        << "Sub A()\nDim x As Integer\nCall Other\nExit Sub\nMsgBox(\"x\")\nCells(1, 1) = 1\nEnd Sub"
        << QStringList{"1", "", "", ""};
}

void TestExcelVBAEngine::blockCollection()
{
    QFETCH(QString, code);
    QFETCH(QStringList, expected);
    runMacro(code);
    QCOMPARE(columnA(*m_document), expected);
}

void TestExcelVBAEngine::nothingToRunLeavesNoVariables_data()
{
    QTest::addColumn<QString>("code");
    QTest::newRow("empty macro") << QString();
    QTest::newRow("only comments") << "' x = 1\n   ' Sub A()";
    QTest::newRow("no Sub header") << "x = 1\nCells(1, 1) = 1\nEnd Sub";
}

void TestExcelVBAEngine::nothingToRunLeavesNoVariables()
{
    QFETCH(QString, code);
    m_engine->variables.insert(QStringLiteral("stale"), QStringLiteral("from before"));
    QSignalSpy cellsChanged(m_document.get(), &ExcelDocument::cellsChanged);
    runMacro(code);
    QVERIFY(m_engine->variables.isEmpty());
    QCOMPARE(cellsChanged.count(), 0);
}

void TestExcelVBAEngine::loops_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("1 to 3 runs three passes, counter keeps the end")
        << "n = 0\nFor i = 1 To 3\nn = n + 1\nNext i" << QStringList{"n=3", "i=3"};
    QTest::newRow("keywords in any case, counter keeps its case")
        << "n = 0\nFOR Idx = 1 TO 2\nn = n + 1\nnext" << QStringList{"n=2", "Idx=2", "!idx"};
    QTest::newRow("start after end runs zero times")
        << "n = 0\nFor i = 5 To 1\nn = n + 1\nNext" << QStringList{"n=0", "!i"};
    QTest::newRow("Step -1 runs zero times") << "n = 0\nFor i = 3 To 1 Step -1\nn = n + 1\nNext"
                                              << QStringList{"n=0", "!i"};
    QTest::newRow("Step makes the end unreadable, so it is 1")
        << "n = 0\nFor k = 1 To 10 Step 2\nn = n + 1\nNext" << QStringList{"n=1", "k=1"};
    QTest::newRow("bounds are lower-cased before lookup")
        << "Limit = 5\nlimit = 3\nn = 0\nFor i = 1 To Limit\nn = n + 1\nNext" << QStringList{"n=3"};
    QTest::newRow("bound naming a capitalised variable is 1")
        << "Limit = 5\nn = 0\nFor i = 1 To Limit\nn = n + 1\nNext" << QStringList{"n=1"};
    QTest::newRow("bounds are expressions") << "n = 0\nFor i = 2*1 To 1+2\nn = n + 1\nNext"
                                            << QStringList{"n=2", "i=3"};
    QTest::newRow("nested loops") << "n = 0\nFor i = 1 To 2\nFor j = 1 To 2\nn = n + 1\nNext j\nNext i"
                                  << QStringList{"n=4", "i=2", "j=2"};
    QTest::newRow("a line beginning with next closes the loop and still runs")
        << "n = 0\nm = 0\nFor i = 1 To 3\nn = n + 1\nnextRow = 1\nm = m + 1\nNext"
        << QStringList{"n=3", "nextRow=1", "m=1"};
    QTest::newRow("assigning the counter lasts until the next pass")
        << "n = 0\nFor i = 1 To 3\nn = n + 1\ni = 10\nNext" << QStringList{"n=3", "i=10"};
    QTest::newRow("missing Next runs to the end of the block")
        << "n = 0\nFor i = 1 To 3\nn = n + 1" << QStringList{"n=3"};
    QTest::newRow("header without = runs zero times")
        << "n = 0\nFor Each c In Range(\"A1:A3\")\nn = n + 1\nNext\nafter = 1"
        << QStringList{"n=0", "after=1"};
    QTest::newRow("header without To runs zero times")
        << "n = 0\nFor i = 3\nn = n + 1\nNext" << QStringList{"n=0", "!i"};
    QTest::newRow("bounds at the top of the 64-bit range")
        << "n = 0\nFor i = 9223372036854775806 To 9223372036854775807\nn = n + 1\nNext"
        << QStringList{"n=2", "i=9223372036854775807"};
    QTest::newRow("bounds at the bottom of the 64-bit range")
        << "n = 0\nFor i = -9223372036854775808 To -9223372036854775807\nn = n + 1\nNext"
        << QStringList{"n=2", "i=-9223372036854775807"};
    QTest::newRow("bound beyond 64 bits is 1")
        << "n = 0\nFor i = 0 To 9223372036854775808\nn = n + 1\nNext" << QStringList{"n=2", "i=1"};
    QTest::newRow("If inside a loop")
        << "n = 0\nFor i = 1 To 4\nIf i > 2 Then\nn = n + 1\nEnd If\nNext" << QStringList{"n=2"};
}

void TestExcelVBAEngine::loops()
{
    QFETCH(QString, body);
    QFETCH(QStringList, expected);
    runMacro(sub(body));
    compareVariables(m_engine->variables, expected);
}

void TestExcelVBAEngine::loopCounterIsInteger()
{
    runMacro(sub("For i = 1 To 3\nCells(i, 1).Value = i\nNext i\nMsgBox i"));
    QCOMPARE(columnA(*m_document), (QStringList{"1", "2", "3", ""}));
    QVERIFY(m_engine->variables.value("i").isInteger());
    QTRY_COMPARE(m_messages, QStringList{"3"});
}

void TestExcelVBAEngine::expressions_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("expected");

    QTest::newRow("product binds tighter than sum") << "2*3+1" << "7";
    QTest::newRow("concatenation binds loosest") << "1+1 & 2*3" << "26";
    QTest::newRow("fractional sum") << "1.5+1" << "2.5";
    QTest::newRow("shortest round-trip text") << "0.1+0.2" << "0.30000000000000004";
    QTest::newRow("text in a product counts as 1") << "abc*2" << "2";
    QTest::newRow("text in a sum counts as 0") << "abc+2" << "2";
    QTest::newRow("minus is no operator") << "5-3" << "5-3";
    QTest::newRow("hexadecimal number") << "0x10+0" << "16";
    QTest::newRow("a name that is no variable is itself") << "foo" << "foo";
    QTest::newRow("variable names are case-sensitive") << "Y" << "Y";
    QTest::newRow("variable") << "y" << "5";
    QTest::newRow("quoted ends make one literal") << "\"a\" & \"b\"" << "a\" & \"b";
    QTest::newRow("literal joined with a variable") << "\"v=\" & y" << "v=5";
    QTest::newRow("lone quote is empty") << "\"" << "";
    QTest::newRow("sum past 64 bits is a double") << "9223372036854775807+1" << "9.223372036854776e+18";
    QTest::newRow("product past 64 bits is a double") << "10000000000*10000000000" << "1e+20";
    QTest::newRow("lowest 64-bit integer stays integral") << "-9223372036854775808*1"
                                                          << "-9223372036854775808";
    QTest::newRow("negative zero") << "-0*1" << "0";
    QTest::newRow("infinite product") << "1e308*10" << "inf";
    QTest::newRow("not a number") << "nan*1" << "nan";
    QTest::newRow("cell read") << "Cells(1, 2)" << "7";
    QTest::newRow("cell read in a product") << "Cells(1, 2) * 2" << "14";
    QTest::newRow("range read, any case") << "range(\"b1\")" << "7";
    QTest::newRow("operators split inside Cells") << "Cells(1, 1+1)" << "0";
    QTest::newRow("cell outside the grid reads empty") << "Cells(101, 1) & \"|\"" << "|";
    QTest::newRow("range of cells reads empty") << "Range(\"A1:B2\") & \"|\"" << "|";
}

void TestExcelVBAEngine::expressions()
{
    QFETCH(QString, expression);
    QFETCH(QString, expected);
    m_document->setCell(0, 1, QStringLiteral("7"));
    m_document->recalculate();
    runMacro(sub("y = 5\nx = " + expression));
    QCOMPARE(m_engine->variables.value("x").text(), expected);
}

void TestExcelVBAEngine::conditions_data()
{
    QTest::addColumn<QString>("condition");
    QTest::addColumn<bool>("taken");

    QTest::newRow("numbers compare as numbers") << "10 > 9" << true;
    QTest::newRow("not equal, true") << "x <> 5" << true;
    QTest::newRow("not equal, false") << "x <> 3" << false;
    QTest::newRow("equal in another spelling") << "x = 3.0" << true;
    QTest::newRow("at least, tried before greater") << "x >= 3" << true;
    QTest::newRow("at most") << "x <= 2" << false;
    QTest::newRow("less") << "2 < x" << true;
    QTest::newRow("quoted number is a number") << "x = \"3\"" << true;
    QTest::newRow("text equality is exact") << "s = \"abc\"" << true;
    QTest::newRow("text equality is case-sensitive") << "s = \"ABC\"" << false;
    QTest::newRow("text differs from the empty literal") << "s <> \"\"" << true;
    QTest::newRow("texts have no order") << "\"b\" > \"a\"" << false;
    QTest::newRow("number against text has no order") << "x < abc" << false;
    QTest::newRow("double equals splits in three") << "x == 3" << false;
    QTest::newRow("And is not understood") << "x > 1 And x < 5" << false;
    QTest::newRow("no operator is false") << "x" << false;
    QTest::newRow("operators inside literals count") << "s = \"a=b\"" << false;
}

void TestExcelVBAEngine::conditions()
{
    QFETCH(QString, condition);
    QFETCH(bool, taken);
    runMacro(sub("x = 3\ns = \"abc\"\nIf " + condition + " Then\nr = \"then\"\nElse\nr = \"else\"\nEnd If"));
    QCOMPARE(m_engine->variables.value("r").text(), taken ? "then" : "else");
}

void TestExcelVBAEngine::ifBlocks_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("Then may be left out") << "x = 3\nIf x > 1\nr = 1\nEnd If" << QStringList{"r=1"};
    QTest::newRow("Else at a greater depth belongs to the inner If")
        << "x = 3\nIf x > 1 Then\nIf x > 5 Then\nr = \"inner then\"\nElse\nr = \"inner else\"\nEnd If\n"
           "Else\nr = \"outer else\"\nEnd If"
        << QStringList{"r=inner else"};
    QTest::newRow("a one-line If takes the condition whole")
        << "x = 3\nIf x > 1 Then r = 1\nq = 2\nEnd If" << QStringList{"!r", "!q"};
    QTest::newRow("If without End If runs to the end of the block")
        << "x = 3\nIf x > 1 Then\nr = 1\nq = 2" << QStringList{"r=1", "q=2"};
    QTest::newRow("lines after End If run either way")
        << "x = 3\nIf x > 5 Then\nr = 1\nEnd If\nq = 2" << QStringList{"!r", "q=2"};
    QTest::newRow("ElseIf is an assignment inside the Then part")
        << "x = 3\nIf x > 1 Then\nr = 1\nElseIf x = 3 Then\nEnd If" << QStringList{"r=1", "ElseIf x=3 Then"};
    QTest::newRow("a Next inside an If closes the enclosing loop")
        << "n = 0\nFor i = 1 To 3\nIf i > 0 Then\nn = n + 1\nNext\nEnd If" << QStringList{"n=3", "i=3"};
}

void TestExcelVBAEngine::ifBlocks()
{
    QFETCH(QString, body);
    QFETCH(QStringList, expected);
    runMacro(sub(body));
    compareVariables(m_engine->variables, expected);
}

void TestExcelVBAEngine::cellWrites_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<int>("row"); // -1: nothing changes
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("text");

    QTest::newRow("Cells with .Value") << "Cells(2, 3).Value = 5" << 1 << 2 << "5";
    QTest::newRow("Cells without suffix") << "cells(2, 3) = 5" << 1 << 2 << "5";
    QTest::newRow("last cell of the grid") << "Cells(100, 50) = \"z\"" << 99 << 49 << "z";
    QTest::newRow("row from an expression") << "Cells(r, 1) = 1" << 2 << 0 << "1";
    QTest::newRow("unreadable row is 1") << "Cells(abc, 2) = 1" << 0 << 1 << "1";
    QTest::newRow("row 0 is outside") << "Cells(0, 1) = 1" << -1 << 0 << "";
    QTest::newRow("row past the grid") << "Cells(101, 1) = 1" << -1 << 0 << "";
    QTest::newRow("column past the grid") << "Cells(1, 51) = 1" << -1 << 0 << "";
    QTest::newRow("negative row") << "Cells(-1, 1) = 1" << -1 << 0 << "";
    QTest::newRow("64-bit row") << "Cells(9223372036854775807, 1) = 1" << -1 << 0 << "";
    QTest::newRow("no column") << "Cells(1) = 1" << -1 << 0 << "";
    QTest::newRow("Range reference") << "Range(\"B3\").Value = 1" << 2 << 1 << "1";
    QTest::newRow("Range in lower case with a leading zero") << "Range(\" a01 \") = 1" << 0 << 0 << "1";
    QTest::newRow("Range of several cells") << "Range(\"A1:B2\") = 1" << -1 << 0 << "";
    QTest::newRow("Range below the grid") << "Range(\"A101\") = 1" << -1 << 0 << "";
    QTest::newRow("Range right of the grid") << "Range(\"AY1\") = 1" << -1 << 0 << "";
    QTest::newRow("Range of a variable") << "Range(r) = 1" << -1 << 0 << "";
    QTest::newRow("formula stored raw") << "Cells(1, 1) = \"=SUM(B1:C1)\"" << 0 << 0 << "=SUM(B1:C1)";
    QTest::newRow("literal keeps its equals sign") << "Cells(1, 1) = \"a=b\"" << 0 << 0 << "a=b";
}

void TestExcelVBAEngine::cellWrites()
{
    QFETCH(QString, statement);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(QString, text);
    CellGrid expected = m_document->cells();
    if (row >= 0)
        expected[row][column] = text;
    runMacro(sub("r = 3\n" + statement));
    QCOMPARE(m_document->cells(), expected);
}

void TestExcelVBAEngine::styleWrites_data()
{
    QTest::addColumn<QString>("statement");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<QVariant>("fill"); // invalid: no fill

    const QVariant none;
    QTest::newRow("Cells bold") << "Cells(3, 2).Font.Bold = True" << "B3" << true << QVariant("#EEEEEE");
    QTest::newRow("bold from any case of true") << "Cells(3, 2).font.bold = \"TRUE\"" << "B3" << true
                                                << QVariant("#EEEEEE");
    QTest::newRow("False clears bold") << "Cells(3, 2).Font.Bold = False" << "B3" << false
                                       << QVariant("#EEEEEE");
    QTest::newRow("any other text clears bold") << "Cells(3, 2).Font.Bold = yes" << "B3" << false
                                                << QVariant("#EEEEEE");
    QTest::newRow("Range fill colour") << "Range(\"B3\").Interior.Color = \"#FF0000\"" << "B3" << true
                                       << QVariant("#FF0000");
    QTest::newRow("fill colour stored verbatim") << "Range(\"B3\").Interior.Color = red" << "B3" << true
                                                 << QVariant("red");
    QTest::newRow("clear removes the fill") << "Range(\"B3\").Interior.Color = \"clear\"" << "B3" << true
                                            << none;
    QTest::newRow("Clear is a colour text") << "Range(\"B3\").Interior.Color = \"Clear\"" << "B3" << true
                                            << QVariant("Clear");
    QTest::newRow("Range key is canonical") << "Range(\"b03\").Font.Bold = False" << "B3" << false
                                            << QVariant("#EEEEEE");
    QTest::newRow("new style from defaults") << "Range(\"a01\").Font.Bold = True" << "A1" << true << none;
}

void TestExcelVBAEngine::styleWrites()
{
    QFETCH(QString, statement);
    QFETCH(QString, key);
    QFETCH(bool, bold);
    QFETCH(QVariant, fill);
    const CellStyle preset{true, true, QStringLiteral("#123456"), QStringLiteral("#EEEEEE")};
    m_document->setCellStyle(QStringLiteral("B3"), preset);
    const bool presetKey = key == QLatin1String("B3");

    runMacro(sub(statement));

    const CellStyleMap &styles = m_document->cellStyles();
    QCOMPARE(styles.keys(), presetKey ? QStringList{"B3"} : (QStringList{"A1", "B3"}));
    const CellStyle style = styles.value(key);
    QCOMPARE(style.isBold, bold);
    QCOMPARE(style.isItalic, presetKey);
    QCOMPARE(style.textColorHex, presetKey ? preset.textColorHex : std::nullopt);
    QCOMPARE(style.bgColorHex, fill.isValid() ? std::optional<QString>(fill.toString()) : std::nullopt);
    QVERIFY(m_document->cells() == makeEmptyGrid(100, 50));
}

void TestExcelVBAEngine::styleWriteMarksUnsavedAndAnnouncesOnce()
{
    QSignalSpy stylesChanged(m_document.get(), &ExcelDocument::cellStylesChanged);
    QSignalSpy announced(m_document.get(), &ExcelDocument::changed);
    QSignalSpy cellsChanged(m_document.get(), &ExcelDocument::cellsChanged);
    runMacro(sub("For i = 1 To 20\nCells(i, 1).Font.Bold = True\nCells(i, 2).Interior.Color = \"#00FF00\"\n"
                 "Next\nCells(500, 1).Font.Bold = True"));
    QCOMPARE(m_document->cellStyles().size(), 40);
    QCOMPARE(stylesChanged.count(), 1);
    QCOMPARE(announced.count(), 1);
    QCOMPARE(cellsChanged.count(), 0);
    QVERIFY(AppState::shared().hasUnsavedChanges(AppState::Editor::Spreadsheet));
}

void TestExcelVBAEngine::readsSeeTheRunsOwnWrites()
{
    runMacro(sub("Cells(1, 1) = 5\nMsgBox Range(\"A1\")\nCells(1, 2) = \"=SUM(A1,1)\"\nMsgBox Cells(1, 2)\n"
                 "Cells(1, 3) = \"=SUM(B1,1)\"\nx = Cells(1, 3) * 2"));
    QCOMPARE(m_engine->variables.value("x").text(), "14");
    QTRY_COMPARE(m_messages, (QStringList{"5", "6"}));
    QTRY_COMPARE(m_document->evaluatedCell(0, 2), "7");
}

void TestExcelVBAEngine::formulasReadValuesBeforeTheirDateDisplay()
{
    // A1's formula shows its serial as a date; a macro formula over A1 adds
    // up the serial, as the document's own recalculation does.
    m_document->setCell(0, 0, QStringLiteral("=SUM(45000)"));
    m_document->recalculate();
    QCOMPARE(m_document->evaluatedCell(0, 0), QStringLiteral("3/15"));
    runMacro(sub("Cells(3, 3) = \"=SUM(A1,1)\"\nMsgBox Cells(3, 3)"));
    QTRY_COMPARE(m_messages, QStringList{"45001"});
    QCOMPARE(m_document->evaluatedCell(2, 2), QStringLiteral("45001"));
}

void TestExcelVBAEngine::thousandsOfWritesQueueOneRecalculation()
{
    QSignalSpy cellsChanged(m_document.get(), &ExcelDocument::cellsChanged);
    QSignalSpy evaluatedChanged(m_document.get(), &ExcelDocument::evaluatedCellsChanged);
    runMacro(sub("For r = 1 To 100\nFor c = 1 To 50\nCells(r, c) = r * c\nNext c\nNext r"));
    QCOMPARE(cellsChanged.count(), 1);
    QCOMPARE(m_document->cell(99, 49), "5000");
    QVERIFY(AppState::shared().hasUnsavedChanges(AppState::Editor::Spreadsheet));

    QTRY_COMPARE(m_document->evaluatedCell(99, 49), "5000");
    QCoreApplication::processEvents();
    QCOMPARE(evaluatedChanged.count(), 1);
    QCOMPARE(m_document->sheets().first().cells, m_document->cells());
}

void TestExcelVBAEngine::runWithoutWritesLeavesDocumentAlone()
{
    QSignalSpy cellsChanged(m_document.get(), &ExcelDocument::cellsChanged);
    QSignalSpy stylesChanged(m_document.get(), &ExcelDocument::cellStylesChanged);
    runMacro(sub("x = Cells(1, 1)\nCells(0, 0) = 1\nRange(\"ZZ1\").Font.Bold = True\nMsgBox x"));
    QCoreApplication::processEvents();
    QCOMPARE(cellsChanged.count(), 0);
    QCOMPARE(stylesChanged.count(), 0);
    QVERIFY(!AppState::shared().hasUnsavedChanges(AppState::Editor::Spreadsheet));
}

void TestExcelVBAEngine::missingDocumentKeepsVariablesAndMessages()
{
    m_document.reset();
    QVERIFY(!m_engine->document);
    runMacro(sub("Cells(1, 1) = 1\nRange(\"A1\").Font.Bold = True\nx = Cells(1, 1) & \"|\"\nMsgBox x"));
    QCOMPARE(m_engine->variables.value("x").text(), "|");
    QTRY_COMPARE(m_messages, QStringList{"|"});
}

void TestExcelVBAEngine::messagesArriveAfterTheRunInOrder()
{
    runMacro(sub("MsgBox \"one\"\nx = 2\nMsgBox x\nMsgBox \"a\" & x"));
    QVERIFY(m_messages.isEmpty());
    QTRY_COMPARE(m_messages, (QStringList{"one", "2", "a2"}));
    QCoreApplication::processEvents();
    QCOMPARE(m_messages.size(), 3);
}

void TestExcelVBAEngine::messageTextIsFixedAtItsStatement()
{
    runMacro(sub("x = 1\nMsgBox x\nx = 2"));
    QTRY_COMPARE(m_messages, QStringList{"1"});
}

void TestExcelVBAEngine::messageWithEqualsSignIsAnAssignment()
{
    runMacro(sub("MsgBox \"a=b\"\nMsgBox \"after\""));
    QCOMPARE(m_engine->variables.value("MsgBox \"a").text(), "b\"");
    QTRY_COMPARE(m_messages, QStringList{"after"});
}

void TestExcelVBAEngine::messagesOutliveTheEngine()
{
    runMacro(sub("MsgBox \"kept\""));
    m_engine.reset();
    QTRY_COMPARE(m_messages, QStringList{"kept"});
}

void TestExcelVBAEngine::onlyTheLastMessagesAreKept()
{
    const int limit = ExcelVBAEngine::messageLimit;
    runMacro(sub(QStringLiteral("For i = 1 To %1\nMsgBox i\nNext").arg(limit + 5)));
    QTRY_COMPARE(m_messages.size(), limit);
    QCOMPARE(m_messages.first(), QString::number(6));
    QCOMPARE(m_messages.last(), QString::number(limit + 5));
}

// Standard output goes to a file for the run, which must print exactly one
// line however long the macro would have run.
void TestExcelVBAEngine::runawayMacroStopsAndKeepsItsWrites()
{
    StdoutCapture capture;
    QVERIFY(capture.isCapturing());
    QSignalSpy cellsChanged(m_document.get(), &ExcelDocument::cellsChanged);
    QElapsedTimer timer;
    timer.start();
    runMacro(sub("Cells(1, 1) = \"before\"\nFor i = 1 To 9223372036854775807\nFor j = 1 To 2\nNext\nNext\n"
                 "Cells(2, 1) = \"after\"\nMsgBox \"after\"") +
             sub("Cells(3, 1) = \"next block\""));
    const qint64 elapsed = timer.elapsed();
    std::fflush(stdout);
    const std::optional<QByteArray> written = capture.finish();

    QVERIFY(written);
    QCOMPARE(written->count('\n'), 1);
    QVERIFY2(written->startsWith("Macro stopped"), written->constData());
    QCOMPARE(m_engine->stopReason() + u'\n', QString::fromUtf8(*written));
    QCOMPARE(columnA(*m_document), (QStringList{"before", "", "", ""}));
    QCOMPARE(cellsChanged.count(), 1);
    const qint64 passes = m_engine->variables.value("i").integer();
    QVERIFY(passes > 1000000 && passes < ExcelVBAEngine::statementLimit);
    QVERIFY2(elapsed < 120000, qPrintable(QString::number(elapsed)));
    QCoreApplication::processEvents();
    QVERIFY(m_messages.isEmpty());
}

// Formulas over large ranges written in a loop stop the run by the cells
// their evaluations read, long before the statement limit.
void TestExcelVBAEngine::runawayFormulaWorkStopsTheRun()
{
    StdoutCapture capture;
    QVERIFY(capture.isCapturing());
    runMacro(sub("Cells(1, 1) = \"before\"\nFor i = 1 To 1000000\nCells(2, 1) = \"=SUM(A1:AX100)\"\nNext\n"
                 "Cells(3, 1) = \"after\""));
    std::fflush(stdout);
    const std::optional<QByteArray> written = capture.finish();
    QVERIFY(written);
    QVERIFY2(written->startsWith("Macro stopped after its formulas read"), written->constData());
    const qint64 passes = m_engine->variables.value("i").integer();
    const qint64 readsPerPass = 100 * 50;
    QCOMPARE(passes, ExcelVBAEngine::cellReadLimit / readsPerPass + 1);
    QCOMPARE(columnA(*m_document), (QStringList{"before", "=SUM(A1:AX100)", "", ""}));
}

void TestExcelVBAEngine::runawayTextStopsTheRun_data()
{
    QTest::addColumn<QString>("loop");
    QTest::addColumn<int>("shortest");
    QTest::addColumn<int>("longest");
    // The doublings' results add up to 2^26 - 2 characters by the 25th; the
    // 26th would pass the limit. Growing by one, about 14,000 passes do.
    QTest::newRow("text doubling each pass") << "s = s & s" << (1 << 25) << (1 << 25);
    QTest::newRow("text growing a character a pass") << "s = s & \"x\"" << 10000 << 20000;
}

// A text that would outgrow memory, or take hours to build, stops the run
// like the statement limit: writes so far stay, nothing after runs.
void TestExcelVBAEngine::runawayTextStopsTheRun()
{
    QFETCH(QString, loop);
    QFETCH(int, shortest);
    QFETCH(int, longest);
    QElapsedTimer timer;
    timer.start();
    runMacro(sub("Cells(1, 1) = \"before\"\ns = \"x\"\nFor i = 1 To 100000000\n" + loop
                 + "\nNext\nCells(2, 1) = \"after\"\nMsgBox \"after\""));
    QVERIFY2(timer.elapsed() < 60000, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(columnA(*m_document), (QStringList{"before", "", "", ""}));
    const qsizetype length = m_engine->variables.value("s").text().size();
    QVERIFY2(length >= shortest && length <= longest, qPrintable(QString::number(length)));
    QVERIFY(m_engine->variables.value("i").integer() < 100000000);
    QCoreApplication::processEvents();
    QVERIFY(m_messages.isEmpty());
}

void TestExcelVBAEngine::hostileMacros_data()
{
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("a1");

    const int depth = 50000;
    QTest::newRow("blocks nested 50000 deep")
        << QStringLiteral("For i = 1 To 1\nIf i = 1 Then\n").repeated(depth) + "Cells(1, 1) = \"deep\"\n" +
               QStringLiteral("End If\nNext\n").repeated(depth)
        << "deep";
    QTest::newRow("unclosed blocks nested 50000 deep")
        << QStringLiteral("If 1 = 1\nFor i = 1 To 1\n").repeated(depth) + "Cells(1, 1) = \"open\"" << "open";
    QTest::newRow("Cells read nested 10000 deep")
        << "Cells(1, 1) = " + QStringLiteral("Cells(").repeated(10000) + "1, 1" + QStringLiteral(")").repeated(10000) + " & \"!\""
        << "!";
    QTest::newRow("100000 pieces") << "Cells(1, 1) = " + QStringLiteral("1+").repeated(100000) + "1" << "100001";
    QTest::newRow("backtracking Cells pattern")
        << "Cells(1, 1) = " + QStringLiteral("cells(").repeated(5000) + ")" + QStringLiteral(",").repeated(5000) + " & \"!\""
        << "!";
    QTest::newRow("long line of commas") << "Cells(1, 1) = Cells(" + QStringLiteral(",").repeated(200000) + ")" << "";
}

void TestExcelVBAEngine::hostileMacros()
{
    QFETCH(QString, body);
    QFETCH(QString, a1);
    QElapsedTimer timer;
    timer.start();
    runMacro(sub(body));
    QCOMPARE(m_document->cell(0, 0), a1);
    QVERIFY2(timer.elapsed() < 20000, qPrintable(QString::number(timer.elapsed())));
}

QTEST_GUILESS_MAIN(TestExcelVBAEngine)
#include "tst_excelvbaengine.moc"
