#include "spreadsheet/engine/xlsx/XlsxTestPackage.h"

#include "spreadsheet/engine/document/ExcelDocument.h"
#include "spreadsheet/engine/xlsx/XlsxWriter.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace XlsxTestPackage;

namespace {

const QString mainNamespace = QStringLiteral("http://schemas.openxmlformats.org/spreadsheetml/2006/main");

QString worksheetText(const QString &body)
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\"?>\n"
                          "<worksheet xmlns=\"%1\">\n")
               .arg(mainNamespace)
           + body + QStringLiteral("</worksheet>");
}

// The cell A1 holding formula text `f`, cached value `v` ("" for none) and type.
QString formula(const char *f, const char *v, const char *type)
{
    QString cell = QStringLiteral("\t\t\t<c r=\"A1\"%1>\n\t\t\t\t<f>%2</f>\n")
                       .arg(*type ? QStringLiteral(" t=\"%1\"").arg(QLatin1String(type)) : QString(),
                            QLatin1String(f));
    if (*v)
        cell += QStringLiteral("\t\t\t\t<v>%1</v>\n").arg(QLatin1String(v));
    return cell + QStringLiteral("\t\t\t</c>\n");
}

QString sheetDataRow1(const QString &cell)
{
    return QStringLiteral("\t<sheetData>\n\t\t<row r=\"1\">\n") + cell
           + QStringLiteral("\t\t</row>\n\t</sheetData>\n");
}

CellStyle bold() { return {true, false, std::nullopt, std::nullopt}; }
CellStyle italic() { return {false, true, std::nullopt, std::nullopt}; }
CellStyle textColor(const QString &hex) { return {false, false, hex, std::nullopt}; }
CellStyle background(const QString &hex) { return {false, false, std::nullopt, hex}; }

} // namespace

class TestXlsxWriter : public QObject
{
    Q_OBJECT

private:
    Parts write(const QList<ExcelSheet> &sheets, const QString &fileName = QStringLiteral("book.xlsx"))
    {
        const QString path = m_dir.filePath(fileName);
        ExcelError error;
        if (!XlsxWriter(sheets, XlsxWriter::kindForPath(path)).write(path, &error)) {
            qWarning() << "write failed:" << error.message;
            return {};
        }
        return unzip(path);
    }

    QTemporaryDir m_dir;

private slots:
    void goldenPackage()
    {
        ExcelSheet first = sheet(QStringLiteral("Sheet1"),
                                 {{"5", "abc"},
                                  {"=SUM(A1:A1)", "=TEXTJOIN(\"-\",TRUE,A1:B1)"},
                                  {"", "", ""},
                                  {"x&y<z>"},
                                  {}},
                                 5, 3);
        first.evaluatedCells[1][0] = QStringLiteral("5");
        first.evaluatedCells[1][1] = QStringLiteral("5-abc");
        first.cellStyles.insert(QStringLiteral("B1"), bold());
        first.cellStyles.insert(QStringLiteral("C3"), background(QStringLiteral("#ffcc00")));
        first.cellStyles.insert(QStringLiteral("A4"), {false, true, QStringLiteral("#FF0000"), std::nullopt});
        first.mergedRanges = {{4, 0, 4, 1}};
        ExcelSheet second = sheet(QStringLiteral("R&D\u0007"),
                                  {{"1e-5", "0.50"}, {"=", "x\ny"}, {"inf", "a\u0001b"}});
        second.cellStyles.insert(QStringLiteral("B1"), bold());

        const Parts parts = write({first, second});
        const Parts golden = readFolder(QStringLiteral(MORVANE_TEST_DATA_DIR "/xlsx/golden"));
        QCOMPARE(parts.keys(), golden.keys());
        for (auto it = golden.cbegin(); it != golden.cend(); ++it) {
            if (parts.value(it.key()) != it.value()) {
                qWarning().noquote() << "written" << it.key() << ":\n" << parts.value(it.key());
                QFAIL(qPrintable(it.key() + QStringLiteral(" differs from the golden part")));
            }
        }
    }

    void emptyWorkbook()
    {
        const Parts parts = write({sheet(QStringLiteral("Sheet1"), {}, 100, 50)});
        QCOMPARE(QString::fromUtf8(parts.value("xl/worksheets/sheet1.xml")),
                 worksheetText(QStringLiteral("\t<sheetData />\n")));
        const QString styles = QString::fromUtf8(parts.value("xl/styles.xml"));
        QVERIFY(styles.contains("<fonts count=\"1\">\n\t\t<font>\n\t\t\t<sz val=\"11\" />\n"
                                "\t\t\t<name val=\"Calibri\" />\n\t\t</font>\n\t</fonts>"));
        QVERIFY(styles.contains("<fills count=\"2\">"));
        QVERIFY(styles.contains("<cellXfs count=\"1\">\n\t\t<xf borderId=\"0\" fillId=\"0\" fontId=\"0\" "
                                "numFmtId=\"0\" xfId=\"0\" />\n\t</cellXfs>"));
        QCOMPARE(parts.value("xl/_rels/workbook.xml.rels").count("<Relationship "), 2);
    }

    void cellElements_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("evaluated");
        QTest::addColumn<QString>("children"); // "" means the cell is not written
        auto number = [](const char *v) {
            return QStringLiteral("\t\t\t<c r=\"A1\">\n\t\t\t\t<v>%1</v>\n\t\t\t</c>\n").arg(QLatin1String(v));
        };
        auto text = [](const QString &t) {
            return QStringLiteral("\t\t\t<c r=\"A1\" t=\"inlineStr\">\n\t\t\t\t<is>\n\t\t\t\t\t<t>%1</t>\n"
                                  "\t\t\t\t</is>\n\t\t\t</c>\n")
                .arg(t);
        };
        QTest::newRow("integer keeps one decimal") << "5" << "" << number("5.0");
        QTest::newRow("leading zeros dropped") << "007" << "" << number("7.0");
        QTest::newRow("integral exponent") << "1e3" << "" << number("1000.0");
        QTest::newRow("hexadecimal") << "0x1A" << "" << number("26.0");
        QTest::newRow("negative zero") << "-0" << "" << number("-0.0");
        QTest::newRow("trailing zeros trimmed") << "0.50" << "" << number("0.5");
        QTest::newRow("shortest round trip") << "3.14159265358979323846" << "" << number("3.141592653589793");
        QTest::newRow("tiny in exponent form") << "0.00001" << "" << number("1e-05");
        QTest::newRow("1e-4 stays fixed") << "0.0001" << "" << number("0.0001");
        QTest::newRow("huge in exponent form") << "1e20" << "" << number("1e+20");
        QTest::newRow("leading blank is text") << " 5" << "" << text(" 5");
        QTest::newRow("trailing blank is text") << "5 " << "" << text("5 ");
        QTest::newRow("thousands comma is text") << "1,000" << "" << text("1,000");
        QTest::newRow("infinity is text") << "inf" << "" << text("inf");
        QTest::newRow("negative infinity is text") << "-Infinity" << "" << text("-Infinity");
        QTest::newRow("not-a-number is text") << "nan" << "" << text("nan");
        QTest::newRow("overflow is text") << "1e999" << "" << text("1e999");
        QTest::newRow("Japanese and emoji kept") << QString::fromUtf16(u"売上 \U0001F600") << ""
                                                 << text(QString::fromUtf16(u"売上 \U0001F600"));
        QTest::newRow("line breaks escaped") << "a\r\nb\tc" << "" << text("a&#13;&#10;b\tc");
        QTest::newRow("forbidden characters dropped") << "a\u0001b\uFFFEc" << "" << text("abc");
        QTest::newRow("text escaped") << "<a href='x'>&\"" << ""
                                      << text("&lt;a href=&apos;x&apos;&gt;&amp;&quot;");
        QTest::newRow("formula with number") << "=SUM(A1:A2)" << "3" << formula("SUM(A1:A2)", "3", "");
        QTest::newRow("formula without value") << "=SUM(A1:A2)" << "" << formula("SUM(A1:A2)", "", "");
        QTest::newRow("unknown function caches no stand-in error") << "=FOO(1)" << "#NAME?" << formula("FOO(1)", "", "");
        QTest::newRow("unfollowed reference caches no stand-in error") << "=SUM($A$1)" << "#VALUE!" << formula("SUM($A$1)", "", "");
        QTest::newRow("formula date display is typed text") << "=SUM(A5)" << "3/15" << formula("SUM(A5)", "3/15", "str");
        QTest::newRow("formula join is typed text") << "=UNIQUE(B1:B3)" << "x, y" << formula("_xlfn.UNIQUE(B1:B3)", "x, y", "str");
        QTest::newRow("newer functions prefixed in any case") << "=textjoin(\",\",TRUE,SUM(A1))" << ""
            << formula("_xlfn.textjoin(&quot;,&quot;,TRUE,SUM(A1))", "", "");
        QTest::newRow("prefix not doubled") << "=_xlfn.UNIQUE(B1)" << "" << formula("_xlfn.UNIQUE(B1)", "", "");
        QTest::newRow("names in texts untouched") << "=SUM(\"UNIQUE(\")" << "0" << formula("SUM(&quot;UNIQUE(&quot;)", "0", "");
        QTest::newRow("formula infinite value is typed text") << "=SUM(B1)" << "inf" << formula("SUM(B1)", "inf", "str");
        QTest::newRow("formula hex value is typed text") << "=SUM(B1)" << "0x10" << formula("SUM(B1)", "0x10", "str");
        QTest::newRow("formula value with decimals") << "=SUM(1.5,1)" << "2.50" << formula("SUM(1.5,1)", "2.50", "");
        QTest::newRow("formula control character dropped") << "=SUM(\u0002A1)" << "" << formula("SUM(A1)", "", "");
        QTest::newRow("equals sign alone is empty") << "=" << "5" << "";
        QTest::newRow("equals sign and blanks is empty") << "=  " << "" << "";
    }

    // A formula's cache is the exact result, or what the file it came from
    // cached when this program cannot compute it.
    void formulaCaches_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("exact");
        QTest::addColumn<QString>("fileCache");
        QTest::addColumn<QString>("children");
        QTest::newRow("unrounded sum") << "=SUM(B1)" << "617.25" << "617.250005" << ""
                                       << formula("SUM(B1)", "617.250005", "");
        QTest::newRow("stale exact value ignored") << "=SUM(B1)" << "3.50" << "617.250005" << ""
                                                   << formula("SUM(B1)", "3.50", "");
        QTest::newRow("unknown function keeps file cache") << "=FOO(1)" << "42" << "" << "42"
                                                           << formula("FOO(1)", "42", "");
        QTest::newRow("sheet reference keeps file text cache") << "=SUM(Other!A1)" << "n/a" << "" << "n/a"
                                                               << formula("SUM(Other!A1)", "n/a", "str");
    }

    void formulaCaches()
    {
        QFETCH(QString, raw);
        QFETCH(QString, shown);
        QFETCH(QString, exact);
        QFETCH(QString, fileCache);
        QFETCH(QString, children);
        ExcelSheet one = sheet(QStringLiteral("Sheet1"), {{raw}});
        one.evaluatedCells[0][0] = shown;
        one.cachedEvaluatedCells[0][0] = fileCache;
        if (!exact.isEmpty()) {
            one.exactResults.reset(1, 1);
            one.exactResults.set(0, exact.toDouble());
        }
        const Parts parts = write({one});
        QCOMPARE(QString::fromUtf8(parts.value("xl/worksheets/sheet1.xml")), worksheetText(sheetDataRow1(children)));
    }

    void cellElements()
    {
        QFETCH(QString, raw);
        QFETCH(QString, evaluated);
        QFETCH(QString, children);
        ExcelSheet one = sheet(QStringLiteral("Sheet1"), {{raw}});
        one.evaluatedCells[0][0] = evaluated;
        const Parts parts = write({one});
        const QString expected = children.isEmpty() ? QStringLiteral("\t<sheetData />\n") : sheetDataRow1(children);
        QCOMPARE(QString::fromUtf8(parts.value("xl/worksheets/sheet1.xml")), worksheetText(expected));
    }

    void styleNumbering_data()
    {
        QTest::addColumn<QList<CellStyleMap>>("styles"); // one map per sheet
        QTest::addColumn<QStringList>("expected");       // fragments of styles.xml, in order
        QTest::addColumn<QStringList>("cells");          // fragments of sheet1.xml

        QTest::newRow("first met is numbered first")
            << QList<CellStyleMap>{{{"A2", bold()}, {"B1", italic()}}}
            << QStringList{"<fonts count=\"3\">", "<i />", "<b />", "<cellXfs count=\"3\">"}
            << QStringList{"<c r=\"B1\" s=\"1\" />", "<c r=\"A2\" s=\"2\" />"};
        QTest::newRow("same font on two sheets is one font")
            << QList<CellStyleMap>{{{"B1", bold()}}, {{"A5", bold()}}}
            << QStringList{"<fonts count=\"2\">", "<cellXfs count=\"2\">",
                           "<xf applyFont=\"1\" borderId=\"0\" fillId=\"0\" fontId=\"1\" numFmtId=\"0\" xfId=\"0\" />"}
            << QStringList{"<c r=\"B1\" s=\"1\" />"};
        QTest::newRow("colour text compared as stored")
            << QList<CellStyleMap>{{{"A1", textColor("#ff0000")}, {"A2", textColor("#FF0000")}}}
            << QStringList{"<fonts count=\"3\">", "<color rgb=\"FFFF0000\" />", "<color rgb=\"FFFF0000\" />"}
            << QStringList{"<c r=\"A1\" s=\"1\" />", "<c r=\"A2\" s=\"2\" />"};
        QTest::newRow("background only")
            << QList<CellStyleMap>{{{"C3", background("#ffcc00")}}}
            << QStringList{"<fills count=\"3\">", "<fgColor rgb=\"FFFFCC00\" />", "<bgColor indexed=\"64\" />",
                           "<xf applyFill=\"1\" borderId=\"0\" fillId=\"2\" fontId=\"0\" numFmtId=\"0\" xfId=\"0\" />"}
            << QStringList{"<row r=\"3\">\n\t\t\t<c r=\"C3\" s=\"1\" />\n\t\t</row>"};
        QTest::newRow("alpha kept")
            << QList<CellStyleMap>{{{"A1", background("#80FF0000")}}}
            << QStringList{"<fgColor rgb=\"80FF0000\" />"} << QStringList{"<c r=\"A1\" s=\"1\" />"};
        QTest::newRow("columns past Z in one row")
            << QList<CellStyleMap>{{{"AB3", bold()}, {"C3", italic()}, {"AA4", bold()}}}
            << QStringList{"<fonts count=\"3\">", "<cellXfs count=\"3\">"}
            << QStringList{"<row r=\"3\">\n\t\t\t<c r=\"C3\" s=\"1\" />\n\t\t\t<c r=\"AB3\" s=\"2\" />\n\t\t</row>\n"
                           "\t\t<row r=\"4\">\n\t\t\t<c r=\"AA4\" s=\"2\" />\n\t\t</row>"};
        QTest::newRow("plain style entry writes an empty row")
            << QList<CellStyleMap>{{{"A7", CellStyle{}}}}
            << QStringList{"<fonts count=\"1\">", "<cellXfs count=\"1\">"}
            << QStringList{"<row r=\"7\" />"};
        QTest::newRow("key outside the grid ignored")
            << QList<CellStyleMap>{{{"AZ1", bold()}}}
            << QStringList{"<fonts count=\"1\">"} << QStringList{"<sheetData />"};
        QTest::newRow("non-canonical key ignored")
            << QList<CellStyleMap>{{{"b1", bold()}}}
            << QStringList{"<fonts count=\"1\">"} << QStringList{"<sheetData />"};
        QTest::newRow("key with a leading zero ignored")
            << QList<CellStyleMap>{{{"A01", bold()}}}
            << QStringList{"<fonts count=\"1\">"} << QStringList{"<sheetData />"};
        QTest::newRow("text colour that is not hexadecimal has no rgb")
            << QList<CellStyleMap>{{{"A1", {true, false, QStringLiteral("#GGGGGG"), std::nullopt}}}}
            << QStringList{"<fonts count=\"2\">", "<b />\n\t\t</font>"} << QStringList{"<c r=\"A1\" s=\"1\" />"};
        QTest::newRow("background of wrong length is no fill colour")
            << QList<CellStyleMap>{{{"A1", background("#FFF")}}}
            << QStringList{"<fills count=\"3\">", "gray125", "<patternFill patternType=\"none\" />\n\t\t</fill>\n\t</fills>"}
            << QStringList{"<c r=\"A1\" s=\"1\" />"};
    }

    void styleNumbering()
    {
        QFETCH(QList<CellStyleMap>, styles);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, cells);
        QList<ExcelSheet> sheets;
        for (const CellStyleMap &map : styles) {
            ExcelSheet s = sheet(QStringLiteral("S%1").arg(sheets.size() + 1), {}, 10, 50);
            s.cellStyles = map;
            sheets.append(s);
        }
        const Parts parts = write(sheets);
        const QString stylesXml = QString::fromUtf8(parts.value("xl/styles.xml"));
        qsizetype at = 0;
        for (const QString &fragment : expected) {
            at = stylesXml.indexOf(fragment, at);
            QVERIFY2(at >= 0, qPrintable(fragment + QStringLiteral("\nmissing in order from\n") + stylesXml));
            at += fragment.size();
        }
        const QString sheetXml = QString::fromUtf8(parts.value("xl/worksheets/sheet1.xml"));
        for (const QString &fragment : cells)
            QVERIFY2(sheetXml.contains(fragment), qPrintable(sheetXml));
    }

    void mergesWrittenAsStored()
    {
        ExcelSheet s = sheet(QStringLiteral("Sheet1"), {}, 10, 10);
        s.mergedRanges = {{0, 0, 1, 1}, {2, 2, 0, 0}};
        const QString xml = QString::fromUtf8(write({s}).value("xl/worksheets/sheet1.xml"));
        QVERIFY(xml.endsWith("\t<mergeCells count=\"2\">\n\t\t<mergeCell ref=\"A1:B2\" />\n"
                             "\t\t<mergeCell ref=\"C3:A1\" />\n\t</mergeCells>\n</worksheet>"));
    }

    void packageKind_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("workbookType");
        const QString sheetType = QStringLiteral("spreadsheetml.sheet.main+xml");
        const QString templateType = QStringLiteral("spreadsheetml.template.main+xml");
        QTest::newRow("xlsx is a workbook") << "a.xlsx" << sheetType;
        QTest::newRow("xltx is a template") << "b.xltx" << templateType;
        QTest::newRow("extension case ignored") << "c.XlTx" << templateType;
        QTest::newRow("other extension is a workbook") << "d.bin" << sheetType;
    }

    void packageKind()
    {
        QFETCH(QString, fileName);
        QFETCH(QString, workbookType);
        const QList<ExcelSheet> sheets{sheet(QStringLiteral("Sheet1"), {{"1"}})};
        const Parts parts = write(sheets, fileName);
        const Parts workbook = write(sheets, QStringLiteral("reference.xlsx"));
        QCOMPARE(parts.keys(), workbook.keys());
        for (const QString &key : workbook.keys()) {
            if (key != QLatin1String("[Content_Types].xml"))
                QCOMPARE(parts.value(key), workbook.value(key));
        }
        const QString contentTypes = QString::fromUtf8(parts.value("[Content_Types].xml"));
        QVERIFY(contentTypes.contains("<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/"
                                      "vnd.openxmlformats-officedocument."
                                      + workbookType + "\"/>"));
    }

    void saveReplacesExistingFile()
    {
        const QString path = m_dir.filePath(QStringLiteral("existing.xlsx"));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old content");
        old.close();
        ExcelError error;
        QVERIFY(XlsxWriter({sheet(QStringLiteral("New"), {{"x"}})}, XlsxPackageKind::Workbook).write(path, &error));
        QVERIFY(unzip(path).value("xl/workbook.xml").contains("name=\"New\""));
    }

    void failedSaveKeepsOldFile_data()
    {
        QTest::addColumn<QString>("destination");
        QTest::newRow("missing folder") << QStringLiteral("no/such/folder/book.xlsx");
        QTest::newRow("destination is a folder") << QStringLiteral("folder.xlsx");
    }

    void failedSaveKeepsOldFile()
    {
        QFETCH(QString, destination);
        QVERIFY(QDir(m_dir.path()).mkpath(QStringLiteral("folder.xlsx")));
        const QString path = m_dir.filePath(destination);
        ExcelError error;
        QVERIFY(!XlsxWriter({sheet(QStringLiteral("S"), {{"x"}})}, XlsxPackageKind::Workbook).write(path, &error));
        QVERIFY(!error.message.isEmpty());
        QCOMPARE(error.domain, QStringLiteral("ExcelDocument"));
        QVERIFY(QFileInfo(m_dir.filePath(QStringLiteral("folder.xlsx"))).isDir());
    }

    void documentWritesWorkingCopy()
    {
        ExcelDocument document;
        document.setCell(0, 0, QStringLiteral("edited"));
        document.setCellStyle(QStringLiteral("A1"), bold());
        const QString path = m_dir.filePath(QStringLiteral("document.xlsx"));
        ExcelError error;
        QVERIFY2(document.exportXLSX(path, &error), qPrintable(error.message));
        const QString xml = QString::fromUtf8(unzip(path).value("xl/worksheets/sheet1.xml"));
        QVERIFY(xml.contains("<c r=\"A1\" s=\"1\" t=\"inlineStr\">"));
        QVERIFY(xml.contains("<t>edited</t>"));
    }

    void temporaryFoldersRemoved()
    {
        const QStringList leftovers = temporaryLeftovers(m_dir.path());
        QVERIFY2(leftovers.isEmpty(), qPrintable(leftovers.join(u',')));
    }
};

int main(int argc, char **argv)
{
    return runWithPrivateTemporaryDirectory<TestXlsxWriter>(argc, argv);
}

#include "tst_xlsxwriter.moc"
