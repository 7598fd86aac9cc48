#include "spreadsheet/engine/EngineTestSupport.h"

#include "spreadsheet/engine/files/CsvFormat.h"
#include "spreadsheet/engine/document/ExcelDocument.h"

#include <QTest>

class TestCsvFormat : public QObject
{
    Q_OBJECT
private slots:
    void read_data();
    void read();
    void gridIsSizedToTheData_data();
    void gridIsSizedToTheData();
    void write_data();
    void write();
    void newDocumentExportsEmptyLines();
    void roundTrip_data();
    void roundTrip();
    void documentFromCsvIsEvaluated();
};

void TestCsvFormat::read_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("cells");
    QTest::newRow("two lines") << "a,b\nc" << "A1=a|B1=b|A2=c";
    QTest::newRow("empty text") << "" << "";
    QTest::newRow("unquoted fields are trimmed") << "  a\t, b " << "A1=a|B1=b";
    QTest::newRow("blanks around quotes") << " \"x\" " << "A1=x";
    QTest::newRow("blanks inside quotes stay") << "\" x \",y" << "A1= x |B1=y";
    QTest::newRow("comma inside quotes") << "\"a,b\",c" << "A1=a,b|B1=c";
    QTest::newRow("doubled quotes read as one") << "\"say \"\"hi\"\"\"" << "A1=say \"hi\"";
    QTest::newRow("line feed inside quotes") << "\"one\ntwo\",z\nnext" << "A1=one\ntwo|B1=z|A2=next";
    QTest::newRow("CR LF line ends") << "a,b\r\nc,d\r\n" << "A1=a|B1=b|A2=c|B2=d";
    QTest::newRow("CR LF inside quotes") << "\"a\r\nb\"\r\nc" << "A1=a\r\nb|A2=c";
    QTest::newRow("byte-order mark") << QString(QChar(0xFEFF)) + "a,b" << "A1=a|B1=b";
    QTest::newRow("quote inside an unquoted field") << "a\"b,c" << "A1=a\"b|B1=c";
    QTest::newRow("unclosed quote stays a character") << "\"abc,def\nx" << "A1=\"abc|B1=def|A2=x";
    QTest::newRow("lone quote reads as empty") << "\",x" << "B1=x";
    QTest::newRow("text after the closing quote") << "\"a\" b,c" << "A1=ab|B1=c";
    QTest::newRow("empty lines keep their rows") << "\n\nx" << "A3=x";
    QTest::newRow("empty quoted field") << "\"\",b" << "B1=b";
    QTest::newRow("formula text") << "1,2,=SUM(A1:B1)" << "A1=1|B1=2|C1==SUM(A1:B1)";
    QTest::newRow("earlier writer's quoting") << "\"x,y\",\"q\"\"r\",plain\n" << "A1=x,y|B1=q\"r|C1=plain";
}

void TestCsvFormat::read()
{
    QFETCH(QString, text);
    QFETCH(QString, cells);
    QCOMPARE(CsvFormat::read(text), gridFromEntries(cells, 100, 50));
}

void TestCsvFormat::gridIsSizedToTheData_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("fields");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("columns");
    QTest::newRow("small text, default size") << 3 << 3 << 100 << 50;
    QTest::newRow("150 lines keep every line") << 150 << 3 << 150 << 50;
    QTest::newRow("1200 lines stop at 1000") << 1200 << 3 << 1000 << 50;
    QTest::newRow("60 fields keep every field") << 3 << 60 << 100 << 60;
    QTest::newRow("250 fields stop at 200") << 3 << 250 << 100 << 200;
}

void TestCsvFormat::gridIsSizedToTheData()
{
    QFETCH(int, lines);
    QFETCH(int, fields);
    QFETCH(int, rows);
    QFETCH(int, columns);
    QString text;
    for (int line = 0; line < lines; ++line) {
        QStringList values;
        for (int field = 0; field < fields; ++field)
            values.append(QStringLiteral("%1_%2").arg(line).arg(field));
        text += values.join(u',') + u'\n';
    }
    const CellGrid grid = CsvFormat::read(text);
    QVERIFY(hasShape(grid, rows, columns));
    const int lastRow = std::min(lines, rows) - 1;
    const int lastColumn = std::min(fields, columns) - 1;
    QCOMPARE(grid.at(lastRow).at(lastColumn), QStringLiteral("%1_%2").arg(lastRow).arg(lastColumn));
}

void TestCsvFormat::write_data()
{
    QTest::addColumn<QString>("cell");
    QTest::addColumn<QString>("field");
    QTest::newRow("plain") << "abc" << "abc";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("formula") << "=SUM(A1:A2)" << "=SUM(A1:A2)";
    QTest::newRow("comma") << "x,y" << "\"x,y\"";
    QTest::newRow("quote") << "say \"hi\"" << "\"say \"\"hi\"\"\"";
    QTest::newRow("line feed") << "a\nb" << "\"a\nb\"";
    QTest::newRow("carriage return") << "a\rb" << "\"a\rb\"";
    QTest::newRow("leading blank") << " x" << "\" x\"";
    QTest::newRow("trailing tab") << "x\t" << "\"x\t\"";
    QTest::newRow("inner blank") << "a b" << "a b";
    QTest::newRow("leading U+FEFF") << QString(QChar(0xFEFF)) + "x" << "\"" + QString(QChar(0xFEFF)) + "x\"";
}

void TestCsvFormat::write()
{
    QFETCH(QString, cell);
    QFETCH(QString, field);
    QCOMPARE(CsvFormat::write({{cell, "z"}}), field + ",z\n");
}

void TestCsvFormat::newDocumentExportsEmptyLines()
{
    const ExcelDocument document;
    QString expected;
    for (int i = 0; i < 100; ++i)
        expected += QString(49, u',') + u'\n';
    QCOMPARE(document.exportCSV(), expected);
    QCOMPARE(CsvFormat::write({}), QString());
}

void TestCsvFormat::roundTrip_data()
{
    QTest::addColumn<CellGrid>("grid");
    QTest::newRow("every kind of field")
        << CellGrid{{"plain", "x,y", "say \"hi\"", "=SUM(A1:A2)"},
                    {"two\nlines", "cr\r\nlf", " padded ", "\""},
                    {QString(QChar(0xFEFF)) + "bom", "", "日本語", ",,,"}};
    QTest::newRow("full size grid") << makeEmptyGrid(1000, 200);
}

void TestCsvFormat::roundTrip()
{
    QFETCH(CellGrid, grid);
    const int rows = std::max<int>(int(grid.size()), 100);
    const int columns = std::max(gridWidth(grid), 50);
    grid = resizeGrid(grid, rows, columns);
    QCOMPARE(CsvFormat::read(CsvFormat::write(grid)), grid);
}

void TestCsvFormat::documentFromCsvIsEvaluated()
{
    setUnsaved(false);
    const ExcelDocument document(QStringLiteral("1,x\n2\n=SUM(A1:A2)\n"));
    QCOMPARE(document.sheets().size(), 1);
    QCOMPARE(document.sheets().first().name, QStringLiteral("Sheet1"));
    QCOMPARE(document.cells(), gridFromEntries("A1=1|B1=x|A2=2|A3==SUM(A1:A2)", 100, 50));
    QCOMPARE(document.sheets().first().cells, document.cells());
    QCOMPARE(document.sheets().first().evaluatedCells, makeEmptyGrid(100, 50));
    QCOMPARE(document.evaluatedCell(2, 0), QStringLiteral("3"));
    QCOMPARE(document.exportCSV().section(u'\n', 0, 2), QStringLiteral("1,x%1\n2%2\n=SUM(A1:A2)%2")
                                                            .arg(QString(48, u','), QString(49, u',')));
    QCoreApplication::processEvents();
    QVERIFY(!AppState::shared().hasUnsavedChanges());
}

QTEST_GUILESS_MAIN(TestCsvFormat)
#include "tst_csvformat.moc"
