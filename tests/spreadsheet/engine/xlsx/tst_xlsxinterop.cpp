// Interoperability with other programs' XLSX files: workbooks written by
// openpyxl, XlsxWriter and Gnumeric's ssconvert are read, and ours are loaded
// by openpyxl and converted by ssconvert and LibreOffice. Each test skips
// when its tool is missing; the whole executable reports a skip when none is
// present.

#include "spreadsheet/engine/xlsx/XlsxTestPackage.h"
#include "platform/NumberText.h"

#include "spreadsheet/engine/document/ExcelDocument.h"
#include "spreadsheet/engine/xlsx/XlsxReader.h"
#include "spreadsheet/engine/xlsx/XlsxWriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <QTemporaryDir>
#include <QtTest>

using namespace XlsxTestPackage;

namespace {

const QString python = QStringLiteral("/usr/bin/python3");

struct ToolRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

ToolRun run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    ToolRun result;
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        result.err = "timed out or failed to start";
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

bool hasPythonModule(const char *module)
{
    return QFileInfo::exists(python)
           && run(python, {"-c", QStringLiteral("import %1").arg(QLatin1String(module))}).exitCode == 0;
}

QString ssconvert()
{
    return QStandardPaths::findExecutable(QStringLiteral("ssconvert"));
}

// LibreOffice with its spreadsheet component (soffice alone may lack it).
QString libreOfficeCalc()
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty())
        return {};
    const QString program = QFileInfo(QFileInfo(soffice).canonicalFilePath()).absolutePath();
    return QFileInfo::exists(program + QStringLiteral("/libsclo.so")) ? soffice : QString();
}

const char *openpyxlWriter = R"py(
import sys, openpyxl
from openpyxl.styles import Font, PatternFill
wb = openpyxl.Workbook()
ws = wb.active
ws.title = "Data"
ws["A1"] = "Hello"; ws["A1"].font = Font(bold=True)
ws["B1"] = 42; ws["B1"].font = Font(italic=True)
ws["C1"] = 3.5; ws["C1"].font = Font(color="FFFF0000")
ws["A2"] = "=SUM(B1:C1)"; ws["A2"].fill = PatternFill("solid", fgColor="FFFFFF00")
ws["B2"] = "  pad  "
ws["C2"] = True
ws.merge_cells("A4:C5")
ws2 = wb.create_sheet("日本語")
ws2["B3"] = "テキスト"
ws2["A1"] = 85; ws2["A2"] = -4; ws2["A3"] = 92.5; ws2["A4"] = "a\r\nb"
ws2["C1"] = '=TEXTJOIN("-",TRUE,A1:A3)'
ws2["C2"] = "=AVERAGE(A1:A3)"
wb.save(sys.argv[1])
)py";

const char *xlsxwriterWriter = R"py(
import sys, xlsxwriter
wb = xlsxwriter.Workbook(sys.argv[1], {"constant_memory": sys.argv[2] == "inline"})
ws = wb.add_worksheet("Summary")
bold = wb.add_format({"bold": True})
italic_red = wb.add_format({"italic": True, "font_color": "#FF0000"})
fill = wb.add_format({"bg_color": "#00FF00", "pattern": 1})
ws.write("A1", "Name", bold)
ws.write("B1", 12.25, italic_red)
ws.write_formula("C1", "=SUM(B1,1)", fill, 13.25)
ws.write_rich_string("A2", "Hello ", bold, "World")
ws.write_formula("B2", "=SUM($B$1,Other!A1)", None, 99)
ws.write("C2", "  pad  ")
ws.merge_range("A4:B5", "merged", bold)
wb.add_worksheet("Other").write("A1", 86.75)
wb.close()
)py";

// Dumps what openpyxl sees in a workbook, as JSON.
const char *openpyxlDump = R"py(
import sys, json, openpyxl
formulas = openpyxl.load_workbook(sys.argv[1])
values = openpyxl.load_workbook(sys.argv[1], data_only=True)
out = {"template": formulas.template, "sheets": []}
for ws in formulas.worksheets:
    cached = values[ws.title]
    cells = {}
    for row in ws.iter_rows():
        for c in row:
            if c.value is None and not c.has_style:
                continue
            color = c.font.color.rgb if c.font.color is not None else None
            cells[c.coordinate] = {
                "value": c.value, "cached": cached[c.coordinate].value,
                "bold": bool(c.font.b), "italic": bool(c.font.i),
                "color": color if isinstance(color, str) else None,
                "pattern": c.fill.patternType,
                "fill": c.fill.fgColor.rgb if c.fill.patternType == "solid" else None}
    out["sheets"].append({"name": ws.title, "merges": sorted(str(r) for r in ws.merged_cells.ranges),
                          "cells": cells})
print(json.dumps(out))
)py";

CellStyle style(bool bold, bool italic, std::optional<QString> color = {}, std::optional<QString> bg = {})
{
    return {bold, italic, color, bg};
}

// The workbook our side writes for the other programs.
QList<ExcelSheet> ourWorkbook()
{
    ExcelSheet data = sheet(QStringLiteral("Data"),
                            {{"Name", "12.5", "=SUM(B1,1)"},
                             {"日本語 text", "=TEXTJOIN(\"-\",TRUE,A1:A2)", "inf"},
                             {"=", "0.0001", "1e20"}},
                            100, 50);
    data.evaluatedCells[0][2] = QStringLiteral("13.5");
    data.evaluatedCells[1][1] = QStringLiteral("Name-日本語 text");
    data.evaluatedCells[2][0] = QStringLiteral("#VALUE!");
    data.cellStyles.insert(QStringLiteral("A1"), style(true, false));
    data.cellStyles.insert(QStringLiteral("B1"), style(false, true, QStringLiteral("#FF0000")));
    data.cellStyles.insert(QStringLiteral("C1"), style(false, false, {}, QStringLiteral("#00ff00")));
    data.cellStyles.insert(QStringLiteral("D4"), style(false, false, {}, QStringLiteral("#80112233")));
    data.mergedRanges = {{4, 0, 5, 2}};
    ExcelSheet other = sheet(QStringLiteral("R&D <2>"), {{"x\ny", "-2.5"}});
    return {data, other};
}

} // namespace

class TestXlsxInterop : public QObject
{
    Q_OBJECT

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    std::optional<QList<ExcelSheet>> readOurs(const QString &file)
    {
        ExcelError error;
        auto sheets = XlsxReader::read(file, &error);
        if (!sheets)
            qWarning() << "read failed:" << error.message;
        return sheets;
    }

    QTemporaryDir m_dir;

private slots:
    void readsOpenpyxl()
    {
        if (!hasPythonModule("openpyxl"))
            QSKIP("python3-openpyxl is not installed");
        const QString file = path(QStringLiteral("openpyxl.xlsx"));
        const ToolRun written = run(python, {"-c", openpyxlWriter, file});
        QVERIFY2(written.exitCode == 0, written.err.constData());
        const auto sheets = readOurs(file);
        QVERIFY(sheets);
        QCOMPARE(sheets->size(), 2);
        const ExcelSheet &data = sheets->at(0);
        QCOMPARE(data.name, QStringLiteral("Data"));
        QCOMPARE(data.cells[0].mid(0, 3), (QStringList{"Hello", "42", "3.5"}));
        QCOMPARE(data.cells[1].mid(0, 3), (QStringList{"=SUM(B1:C1)", "  pad  ", "1"}));
        QCOMPARE(data.cellStyles.value("A1"), style(true, false));
        QCOMPARE(data.cellStyles.value("B1"), style(false, true));
        QCOMPARE(data.cellStyles.value("C1"), style(false, false, QStringLiteral("#FF0000")));
        QCOMPARE(data.cellStyles.value("A2"), style(false, false, {}, QStringLiteral("#FFFF00")));
        QCOMPARE(data.mergedRanges, (QList<ExcelRange>{{3, 0, 4, 2}}));
        QCOMPARE(sheets->at(1).name, QStringLiteral("日本語"));
        QCOMPARE(sheets->at(1).cells[2][1], QStringLiteral("テキスト"));

        ExcelDocument document;
        ExcelError error;
        QVERIFY(document.importXLSX(file, &error));
        QCOMPARE(document.evaluatedCell(1, 0), QStringLiteral("45.50"));
    }

    void readsXlsxWriter_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("shared strings") << "shared";
        QTest::newRow("inline strings") << "inline";
    }

    void readsXlsxWriter()
    {
        QFETCH(QString, mode);
        if (!hasPythonModule("xlsxwriter"))
            QSKIP("python3-xlsxwriter is not installed");
        const QString file = path(QStringLiteral("xlsxwriter-%1.xlsx").arg(mode));
        const ToolRun written = run(python, {"-c", xlsxwriterWriter, file, mode});
        QVERIFY2(written.exitCode == 0, written.err.constData());
        const auto sheets = readOurs(file);
        QVERIFY(sheets);
        QCOMPARE(sheets->size(), 2);
        const ExcelSheet &summary = sheets->at(0);
        QCOMPARE(summary.cells[0].mid(0, 3), (QStringList{"Name", "12.25", "=SUM(B1,1)"}));
        QCOMPARE(summary.cells[1].mid(0, 3), (QStringList{"Hello World", "=SUM($B$1,Other!A1)", "  pad  "}));
        QCOMPARE(summary.cachedEvaluatedCells[0][2], QStringLiteral("13.25"));
        QCOMPARE(summary.cachedEvaluatedCells[1][1], QStringLiteral("99"));
        QCOMPARE(summary.cells[3][0], QStringLiteral("merged"));
        QCOMPARE(summary.cellStyles.value("A1"), style(true, false));
        QCOMPARE(summary.cellStyles.value("B1"), style(false, true, QStringLiteral("#FF0000")));
        QCOMPARE(summary.cellStyles.value("C1"), style(false, false, {}, QStringLiteral("#00FF00")));
        QCOMPARE(summary.mergedRanges, (QList<ExcelRange>{{3, 0, 4, 1}}));
        QCOMPARE(sheets->at(1).cells[0][0], QStringLiteral("86.75"));

        ExcelDocument document;
        ExcelError error;
        QVERIFY(document.importXLSX(file, &error));
        QCOMPARE(document.evaluatedCell(1, 1), QStringLiteral("99")); // references the evaluator cannot follow
        QCOMPARE(document.evaluatedCell(0, 2), QStringLiteral("13.25"));
    }

    void readsGnumericRewrite()
    {
        const QString tool = ssconvert();
        if (tool.isEmpty())
            QSKIP("ssconvert (gnumeric) is not installed");
        const QString ours = path(QStringLiteral("for-gnumeric.xlsx"));
        const QString theirs = path(QStringLiteral("from-gnumeric.xlsx"));
        ExcelError error;
        QVERIFY(XlsxWriter(ourWorkbook(), XlsxPackageKind::Workbook).write(ours, &error));
        const ToolRun converted = run(tool, {"--export-type=Gnumeric_Excel:xlsx2", ours, theirs});
        QVERIFY2(converted.exitCode == 0, converted.err.constData());
        const auto sheets = readOurs(theirs);
        QVERIFY(sheets);
        QCOMPARE(sheets->size(), 2);
        const ExcelSheet &data = sheets->at(0);
        QCOMPARE(data.name, QStringLiteral("Data"));
        QCOMPARE(data.cells[0].mid(0, 3), (QStringList{"Name", "12.5", "=SUM(B1,1)"}));
        QCOMPARE(data.cells[1][0], QStringLiteral("日本語 text"));
        QCOMPARE(data.cachedEvaluatedCells[0][2], QStringLiteral("13.5"));
        // Gnumeric writes b val="0" and i val="0" on every font.
        QVERIFY(data.cellStyles.value("A1").isBold);
        QVERIFY(!data.cellStyles.value("A1").isItalic);
        QVERIFY(!data.cellStyles.value("B1").isBold);
        QVERIFY(data.cellStyles.value("B1").isItalic);
        QCOMPARE(data.cellStyles.value("B1").textColorHex, QStringLiteral("#FF0000"));
        QCOMPARE(data.cellStyles.value("C1").bgColorHex, QStringLiteral("#00FF00"));
        QVERIFY(!data.cellStyles.value("C1").isBold);
        QCOMPARE(data.mergedRanges, (QList<ExcelRange>{{4, 0, 5, 2}}));
        QCOMPARE(sheets->at(1).name, QStringLiteral("R&D <2>"));
        QCOMPARE(sheets->at(1).cells[0][0], QStringLiteral("x\ny"));
    }

    // A workbook another program wrote, saved here and opened again, shows
    // every value it showed before, on every sheet.
    void peerWorkbookSurvivesSaveAndReopen_data()
    {
        QTest::addColumn<QString>("peer");
        QTest::newRow("openpyxl") << "openpyxl";
        QTest::newRow("XlsxWriter") << "xlsxwriter";
        QTest::newRow("XlsxWriter, inline strings") << "xlsxwriter-inline";
        QTest::newRow("Gnumeric") << "gnumeric";
    }

    void peerWorkbookSurvivesSaveAndReopen()
    {
        QFETCH(QString, peer);
        const QString file = path(QStringLiteral("peer-%1.xlsx").arg(peer));
        ToolRun written;
        if (peer == QLatin1String("openpyxl")) {
            if (!hasPythonModule("openpyxl"))
                QSKIP("python3-openpyxl is not installed");
            written = run(python, {"-c", openpyxlWriter, file});
        } else if (peer.startsWith(QLatin1String("xlsxwriter"))) {
            if (!hasPythonModule("xlsxwriter"))
                QSKIP("python3-xlsxwriter is not installed");
            written = run(python, {"-c", xlsxwriterWriter, file, peer.endsWith(QLatin1String("inline")) ? "inline" : "shared"});
        } else {
            if (ssconvert().isEmpty())
                QSKIP("ssconvert (gnumeric) is not installed");
            const QString ours = path(QStringLiteral("for-gnumeric-roundtrip.xlsx"));
            ExcelError error;
            QVERIFY(XlsxWriter(ourWorkbook(), XlsxPackageKind::Workbook).write(ours, &error));
            written = run(ssconvert(), {"--export-type=Gnumeric_Excel:xlsx2", ours, file});
        }
        QVERIFY2(written.exitCode == 0, written.err.constData());

        const auto shownValues = [](const QString &workbook) {
            ExcelDocument document;
            ExcelError error;
            if (!document.importXLSX(workbook, &error))
                qWarning() << error.message;
            QList<CellGrid> shown;
            for (int i = 0; i < document.sheets().size(); ++i) {
                document.switchToSheet(i);
                shown.append(document.evaluatedCells());
            }
            return shown;
        };
        const QList<CellGrid> before = shownValues(file);
        QVERIFY(!before.isEmpty());
        ExcelDocument document;
        ExcelError error;
        QVERIFY(document.importXLSX(file, &error));
        const QString saved = path(QStringLiteral("peer-%1-saved.xlsx").arg(peer));
        QVERIFY2(document.exportXLSX(saved, &error), qPrintable(error.message));
        const QList<CellGrid> after = shownValues(saved);
        QCOMPARE(after.size(), before.size());
        for (qsizetype sheet = 0; sheet < before.size(); ++sheet) {
            QCOMPARE(after[sheet].size(), before[sheet].size());
            for (qsizetype row = 0; row < before[sheet].size(); ++row) {
                for (qsizetype col = 0; col < before[sheet][row].size(); ++col) {
                    const QString &was = before[sheet][row][col];
                    const QString &is = after[sheet][row][col];
                    // A number may come back in its shortest form ("0.000100…01" as "0.0001").
                    const auto wasNumber = NumberText::toDouble(was);
                    if (is != was && !(wasNumber && wasNumber == NumberText::toDouble(is)))
                        QCOMPARE(is, was);
                }
            }
        }
    }

    void openpyxlLoadsOurs_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<bool>("isTemplate");
        QTest::newRow("workbook") << "ours.xlsx" << false;
        QTest::newRow("template") << "ours.xltx" << true;
    }

    void openpyxlLoadsOurs()
    {
        QFETCH(QString, fileName);
        QFETCH(bool, isTemplate);
        if (!hasPythonModule("openpyxl"))
            QSKIP("python3-openpyxl is not installed");
        const QString file = path(fileName);
        ExcelError error;
        QVERIFY(XlsxWriter(ourWorkbook(), XlsxWriter::kindForPath(file)).write(file, &error));
        const ToolRun dumped = run(python, {"-c", openpyxlDump, file});
        QVERIFY2(dumped.exitCode == 0, dumped.err.constData());
        const QJsonObject book = QJsonDocument::fromJson(dumped.out).object();
        QCOMPARE(book.value("template").toBool(), isTemplate);
        const QJsonArray sheets = book.value("sheets").toArray();
        QCOMPARE(sheets.size(), 2);
        const QJsonObject data = sheets.at(0).toObject();
        QCOMPARE(data.value("name").toString(), QStringLiteral("Data"));
        QCOMPARE(data.value("merges").toArray(), (QJsonArray{"A5:C6"}));
        const QJsonObject cells = data.value("cells").toObject();
        auto cell = [&cells](const char *reference) { return cells.value(QLatin1String(reference)).toObject(); };
        QCOMPARE(cell("A1").value("value").toString(), QStringLiteral("Name"));
        QVERIFY(cell("A1").value("bold").toBool());
        QCOMPARE(cell("B1").value("value").toDouble(), 12.5);
        QVERIFY(cell("B1").value("italic").toBool());
        QVERIFY(!cell("B1").value("bold").toBool());
        QCOMPARE(cell("B1").value("color").toString(), QStringLiteral("FFFF0000"));
        QCOMPARE(cell("C1").value("value").toString(), QStringLiteral("=SUM(B1,1)"));
        QCOMPARE(cell("C1").value("cached").toDouble(), 13.5);
        QCOMPARE(cell("C1").value("fill").toString(), QStringLiteral("FF00FF00"));
        QCOMPARE(cell("A2").value("value").toString(), QStringLiteral("日本語 text"));
        QCOMPARE(cell("B2").value("cached").toString(), QStringLiteral("Name-日本語 text"));
        QCOMPARE(cell("C2").value("value").toString(), QStringLiteral("inf"));
        QVERIFY(!cells.contains(QStringLiteral("A3")));
        QCOMPARE(cell("B3").value("value").toDouble(), 0.0001);
        QCOMPARE(cell("C3").value("value").toDouble(), 1e20);
        QCOMPARE(cell("D4").value("fill").toString(), QStringLiteral("80112233"));
        QVERIFY(cell("D4").value("value").isNull());
        const QJsonObject other = sheets.at(1).toObject();
        QCOMPARE(other.value("name").toString(), QStringLiteral("R&D <2>"));
        QCOMPARE(other.value("cells").toObject().value("A1").toObject().value("value").toString(),
                 QStringLiteral("x\ny"));
    }

    // LibreOffice computes the joins we write (stored as _xlfn.TEXTJOIN) to
    // the values this program shows; one LibreOffice start for all of them.
    void libreOfficeComputesOurJoins()
    {
        const QString tool = libreOfficeCalc();
        if (tool.isEmpty())
            QSKIP("LibreOffice Calc (soffice) is not installed");
        ExcelDocument document;
        document.setCells({{"85", "b", "=TEXTJOIN(\"-\",TRUE,A1:A5)"},
                           {"-4", "", "=TEXTJOIN(\", \",FALSE,B1:B3)"},
                           {"92.5", "a", "=TEXTJOIN(\"\",TRUE,\"x\",A3,B3)"},
                           {"", "", "=TEXTJOIN(\"+\",FALSE,A3:A4)"},
                           {"7", "", "=TEXTJOIN(\"/\",TRUE,A4:A5,B1)"}});
        document.recalculate();
        QCoreApplication::processEvents();
        const QString file = path(QStringLiteral("joins.xlsx"));
        ExcelError error;
        QVERIFY2(document.exportXLSX(file, &error), qPrintable(error.message));

        const QTemporaryDir profile;
        const QString outDir = path(QStringLiteral("libreoffice"));
        const ToolRun converted = run(tool, {"-env:UserInstallation=" + QUrl::fromLocalFile(profile.path()).toString(),
                                             "--headless", "--convert-to", "csv:Text - txt - csv (StarCalc):9,34,76",
                                             "--outdir", outDir, file});
        QVERIFY2(converted.exitCode == 0, converted.err.constData());
        QFile csv(outDir + QStringLiteral("/joins.csv"));
        QVERIFY2(csv.open(QIODevice::ReadOnly), qPrintable(converted.out + converted.err));
        const QList<QByteArray> lines = csv.readAll().split('\n');
        for (int row = 0; row < 5; ++row) {
            const QStringList shown = QString::fromUtf8(lines.value(row)).split(u'\t');
            QCOMPARE(shown.value(2), document.evaluatedCell(row, 2));
        }
    }

    void ssconvertAcceptsOurs_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::newRow("workbook") << "convert.xlsx";
        QTest::newRow("template") << "convert.xltx";
    }

    void ssconvertAcceptsOurs()
    {
        QFETCH(QString, fileName);
        const QString tool = ssconvert();
        if (tool.isEmpty())
            QSKIP("ssconvert (gnumeric) is not installed");
        const QString file = path(fileName);
        ExcelError error;
        QVERIFY(XlsxWriter(ourWorkbook(), XlsxWriter::kindForPath(file)).write(file, &error));
        const QString csv = path(fileName + QStringLiteral("-%n.csv"));
        const ToolRun converted = run(tool, {"-S", "--import-type=Gnumeric_Excel:xlsx",
                                             "--export-type=Gnumeric_stf:stf_csv", file, csv});
        QCOMPARE(converted.exitCode, 0);
        QVERIFY2(converted.err.trimmed().isEmpty(), converted.err.constData());
        QFile first(path(fileName + QStringLiteral("-0.csv")));
        QVERIFY(first.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = first.readAll().split('\n');
        QCOMPARE(lines.value(0), QByteArray("Name,12.5,13.5"));
        QCOMPARE(QString::fromUtf8(lines.value(1)), QStringLiteral("\"日本語 text\",\"Name-日本語 text\",inf"));
        QVERIFY(QFile::exists(path(fileName + QStringLiteral("-1.csv"))));
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (!hasPythonModule("openpyxl") && !hasPythonModule("xlsxwriter") && ssconvert().isEmpty()
        && libreOfficeCalc().isEmpty()) {
        std::puts("No interop tool (python3-openpyxl, python3-xlsxwriter, ssconvert, LibreOffice Calc) is installed");
        return 77;
    }
    TestXlsxInterop test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_xlsxinterop.moc"
