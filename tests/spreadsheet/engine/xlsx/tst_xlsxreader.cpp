#include "spreadsheet/engine/xlsx/XlsxTestPackage.h"

#include "spreadsheet/engine/document/ExcelDocument.h"
#include "spreadsheet/engine/xlsx/XlsxFunctionNames.h"
#include "spreadsheet/engine/xlsx/XlsxReader.h"
#include "spreadsheet/engine/xlsx/XlsxStylesReader.h"
#include "spreadsheet/engine/xlsx/XlsxWorksheetReader.h"
#include "spreadsheet/engine/xlsx/XlsxNodes.h"
#include "spreadsheet/engine/xlsx/XlsxWriter.h"
#include "platform/XmlRead.h"
#include "support/PeakMemory.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace XlsxTestPackage;

namespace {

const QByteArray mainNs = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
const QByteArray relNs = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
const QByteArray packageRelNs = "http://schemas.openxmlformats.org/package/2006/relationships";

QByteArray workbook(const QByteArray &sheets)
{
    return "<workbook xmlns=\"" + mainNs + "\" xmlns:r=\"" + relNs + "\"><sheets>" + sheets
           + "</sheets></workbook>";
}

QByteArray relationships(const QByteArray &items)
{
    return "<Relationships xmlns=\"" + packageRelNs + "\">" + items + "</Relationships>";
}

QByteArray worksheet(const QByteArray &rows, const QByteArray &after = {})
{
    return "<worksheet xmlns=\"" + mainNs + "\"><sheetData>" + rows + "</sheetData>" + after
           + "</worksheet>";
}

// One sheet "Sheet1" at xl/worksheets/sheet1.xml.
Parts onePackage(const QByteArray &sheetXml)
{
    return {{"xl/workbook.xml", workbook("<sheet name=\"Sheet1\" sheetId=\"1\" r:id=\"rId1\"/>")},
            {"xl/_rels/workbook.xml.rels",
             relationships("<Relationship Id=\"rId1\" Target=\"worksheets/sheet1.xml\"/>")},
            {"xl/worksheets/sheet1.xml", sheetXml}};
}

const QByteArray sharedStrings =
    "<sst xmlns=\"" + mainNs + "\">"
    "<si><t>zero</t></si><si><t>one</t></si><si><t>two</t></si>"
    "<si><t>a</t><r><t>b</t></r></si>"
    "<si><r><t>Hello </t></r><r><rPr><b/></rPr><t>World</t></r></si>"
    "<si><t xml:space=\"preserve\">  a  </t></si>"
    "<si/></sst>";

QByteArray stylesWith(const QByteArray &fonts, const QByteArray &fills, const QByteArray &xfs)
{
    return "<styleSheet xmlns=\"" + mainNs + "\"><fonts>" + fonts + "</fonts><fills>" + fills
           + "</fills><cellXfs>" + xfs + "</cellXfs></styleSheet>";
}

} // namespace

class TestXlsxReader : public QObject
{
    Q_OBJECT

private:
    QString save(const Parts &parts, const QString &name = QStringLiteral("in.xlsx"))
    {
        const QString path = m_dir.filePath(name);
        QFile::remove(path);
        if (!TestPackageParts::zip(parts, path))
            qWarning() << "cannot zip" << path;
        return path;
    }

    std::optional<QList<ExcelSheet>> read(const Parts &parts, ExcelError *error = nullptr,
                                          const XlsxReadLimits &limits = {})
    {
        ExcelError ignored;
        return XlsxReader::read(save(parts), error ? error : &ignored, limits);
    }

    // `count` cells of row-major places from A1, each `cell` with "%1" its reference.
    static QByteArray cellsFromA1(int count, const QByteArray &cell, int columns = 200)
    {
        QByteArray rows;
        for (int r = 0; r * columns < count; ++r) {
            rows += "<row r=\"" + QByteArray::number(r + 1) + "\">";
            for (int c = 0; c < columns && r * columns + c < count; ++c)
                rows += QByteArray(cell).replace("%1", CellReference::text(r, c).toLatin1());
            rows += "</row>";
        }
        return rows;
    }

    QTemporaryDir m_dir;

private slots:
    void cellRules_data()
    {
        QTest::addColumn<QByteArray>("type");
        QTest::addColumn<QByteArray>("cell");
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("value");
        QTest::newRow("formula with cached value") << QByteArray("") << QByteArray("<f>SUM(A1:A3)</f><v>6</v>") << "=SUM(A1:A3)" << "6";
        QTest::newRow("formula text trimmed") << QByteArray("") << QByteArray("<f> SUM(1) </f>") << "=SUM(1)" << "";
        QTest::newRow("shared formula without its defining cell keeps its value")
            << QByteArray("") << QByteArray("<f t=\"shared\" si=\"0\"/><v>12</v>") << "12" << "12";
        QTest::newRow("newer function prefix removed") << QByteArray("str")
            << QByteArray("<f>_xlfn.TEXTJOIN(\"-\",TRUE,B1:B2)</f><v>a</v>") << "=TEXTJOIN(\"-\",TRUE,B1:B2)" << "a";
        QTest::newRow("other prefixed function kept") << QByteArray("") << QByteArray("<f>_xlfn.CONCAT(1)</f><v>1</v>") << "=_xlfn.CONCAT(1)" << "1";
        QTest::newRow("integer written with .0 reads as integer") << QByteArray("") << QByteArray("<v>5.0</v>") << "5" << "5";
        QTest::newRow("negative integer with .0") << QByteArray("n") << QByteArray("<v>-4.0</v>") << "-4" << "-4";
        QTest::newRow("large integer with .0") << QByteArray("") << QByteArray("<v>9007199254740992.0</v>") << "9007199254740992" << "9007199254740992";
        QTest::newRow("formula cache with .0") << QByteArray("") << QByteArray("<f>SUM(1)</f><v>85.0</v>") << "=SUM(1)" << "85";
        QTest::newRow("other number texts as written") << QByteArray("") << QByteArray("<v>1e-05</v>") << "1e-05" << "1e-05";
        QTest::newRow("two decimals stay") << QByteArray("") << QByteArray("<v>5.00</v>") << "5.00" << "5.00";
        QTest::newRow("text type keeps .0") << QByteArray("str") << QByteArray("<f>T()</f><v>5.0</v>") << "=T()" << "5.0";
        QTest::newRow("formula caching a shared string") << QByteArray("s") << QByteArray("<f>X()</f><v>1</v>") << "=X()" << "one";
        QTest::newRow("formula caching a boolean") << QByteArray("b") << QByteArray("<f>TRUE()</f><v>1</v>") << "=TRUE()" << "1";
        QTest::newRow("formula caching text") << QByteArray("str") << QByteArray("<f>T()</f><v> hi </v>") << "=T()" << " hi ";
        QTest::newRow("inline string keeps blanks") << QByteArray("inlineStr") << QByteArray("<is><t>  a  </t></is>") << "  a  " << "  a  ";
        QTest::newRow("inline string keeps ideographic space") << QByteArray("inlineStr")
            << QString("<is><t>\u3000x\u3000</t></is>").toUtf8() << "\u3000x\u3000" << "\u3000x\u3000";
        QTest::newRow("inline rich runs joined untrimmed") << QByteArray("inlineStr")
            << QByteArray("<is><r><t>Hello </t></r><r><t>World</t></r></is>") << "Hello World" << "Hello World";
        QTest::newRow("inline without text falls to value") << QByteArray("inlineStr") << QByteArray("<is/><v>7</v>") << "7" << "7";
        QTest::newRow("inline without anything is empty") << QByteArray("inlineStr") << QByteArray("<is/>") << "" << "";
        QTest::newRow("shared string") << QByteArray("s") << QByteArray("<v>2</v>") << "two" << "two";
        QTest::newRow("shared string index with blanks") << QByteArray("s") << QByteArray("<v> 2 </v>") << "two" << "two";
        QTest::newRow("shared string first text wins") << QByteArray("s") << QByteArray("<v>3</v>") << "a" << "a";
        QTest::newRow("shared rich string joined") << QByteArray("s") << QByteArray("<v>4</v>") << "Hello World" << "Hello World";
        QTest::newRow("shared string keeps blanks") << QByteArray("s") << QByteArray("<v>5</v>") << "  a  " << "  a  ";
        QTest::newRow("empty shared string item") << QByteArray("s") << QByteArray("<v>6</v>") << "" << "";
        QTest::newRow("shared string past the end") << QByteArray("s") << QByteArray("<v>7</v>") << "" << "7";
        QTest::newRow("shared string negative") << QByteArray("s") << QByteArray("<v>-1</v>") << "" << "-1";
        QTest::newRow("shared string not an integer") << QByteArray("s") << QByteArray("<v>1.0</v>") << "" << "1.0";
        QTest::newRow("shared string huge index") << QByteArray("s") << QByteArray("<v>99999999999999999999</v>") << "" << "99999999999999999999";
        QTest::newRow("shared string without value") << QByteArray("s") << QByteArray("") << "" << "";
        QTest::newRow("number trimmed") << QByteArray("") << QByteArray("<v>\n 42 \n</v>") << "42" << "42";
        QTest::newRow("number between tabs") << QByteArray("") << QByteArray("<v>\t42\r\n</v>") << "42" << "42";
        QTest::newRow("type with blanks") << QByteArray(" s ") << QByteArray("<v>2</v>") << "two" << "two";
        QTest::newRow("only blanks is no type") << QByteArray("  ") << QByteArray("<v> 2 </v>") << "2" << "2";
        QTest::newRow("boolean") << QByteArray("b") << QByteArray("<v>1</v>") << "1" << "1";
        QTest::newRow("error value") << QByteArray("e") << QByteArray("<v>#N/A</v>") << "#N/A" << "#N/A";
        QTest::newRow("no value") << QByteArray("") << QByteArray("") << "" << "";
    }

    void cellRules()
    {
        QFETCH(QByteArray, type);
        QFETCH(QByteArray, cell);
        QFETCH(QString, raw);
        QFETCH(QString, value);
        const QByteArray t = type.isEmpty() ? QByteArray() : " t=\"" + type + "\"";
        Parts parts = onePackage(worksheet("<row r=\"1\"><c r=\"A1\"" + t + ">" + cell + "</c></row>"));
        parts.insert("xl/sharedStrings.xml", sharedStrings);
        const auto sheets = read(parts);
        QVERIFY(sheets);
        QCOMPARE(sheets->first().cells[0][0], raw);
        QCOMPARE(sheets->first().evaluatedCells[0][0], value);
        QCOMPARE(sheets->first().cachedEvaluatedCells[0][0], value);
    }

    // Members of a shared formula group repeat the defining cell's formula
    // with their relative references moved.
    void sharedFormulas_data()
    {
        QTest::addColumn<QByteArray>("cells");
        QTest::addColumn<QString>("reference");
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("value");
        const QByteArray defining = "<c r=\"C2\"><f t=\"shared\" ref=\"C2:E4\" si=\"3\">B2*2+$A$1+B$1+$A2+SUM(A1:B2)</f><v>1</v></c>";
        QTest::newRow("down one row") << defining + "<c r=\"C3\"><f t=\"shared\" si=\"3\"/><v>2</v></c>"
                                      << "C3" << "=B3*2+$A$1+B$1+$A3+SUM(A2:B3)" << "2";
        QTest::newRow("right two columns") << defining + "<c r=\"E2\"><f t=\"shared\" si=\"3\"/></c>"
                                           << "E2" << "=D2*2+$A$1+D$1+$A2+SUM(C1:D2)" << "";
        QTest::newRow("defining cell keeps its text") << defining << "C2" << "=B2*2+$A$1+B$1+$A2+SUM(A1:B2)" << "1";
        QTest::newRow("member before its defining cell")
            << QByteArray("<c r=\"A1\"><f t=\"shared\" si=\"0\"/><v>9</v></c><c r=\"A2\"><f t=\"shared\" ref=\"A1:A2\" si=\"0\">B2</f></c>")
            << "A1" << "=B1" << "9";
        QTest::newRow("names, texts and sheets stay")
            << QByteArray("<c r=\"A1\"><f t=\"shared\" ref=\"A1:A2\" si=\"1\">LOG10(B1)&amp;\"C1\"&amp;Sheet2!C1&amp;'My B1'!B1</f></c>"
                          "<c r=\"A2\"><f t=\"shared\" si=\"1\"/></c>")
            << "A2" << "=LOG10(B2)&\"C1\"&Sheet2!C2&'My B1'!B2" << "";
        QTest::newRow("moved before row 1") << QByteArray("<c r=\"A2\"><f t=\"shared\" ref=\"A1:A2\" si=\"2\">B1</f></c>"
                                                          "<c r=\"A1\"><f t=\"shared\" si=\"2\"/></c>")
                                            << "A1" << "=#REF!" << "";
        QTest::newRow("prefixed function in a group")
            << QByteArray("<c r=\"A1\"><f t=\"shared\" ref=\"A1:A2\" si=\"4\">_xlfn.UNIQUE(B1:B3)</f></c><c r=\"A2\"><f t=\"shared\" si=\"4\"/></c>")
            << "A2" << "=UNIQUE(B2:B4)" << "";
    }

    void sharedFormulas()
    {
        QFETCH(QByteArray, cells);
        QFETCH(QString, reference);
        QFETCH(QString, raw);
        QFETCH(QString, value);
        const auto sheets = read(onePackage(worksheet("<row r=\"1\">" + cells + "</row>")));
        QVERIFY(sheets);
        const auto address = CellReference::parse(reference);
        QCOMPARE(sheets->first().cells[address->row][address->col], raw);
        QCOMPARE(sheets->first().evaluatedCells[address->row][address->col], value);
    }

    // Rows parsed a piece at a time give exactly the sheet the whole tree
    // gives, however the pieces fall; what the piecewise reading cannot
    // follow it leaves to the whole tree.
    void piecesMatchWholeTree_data()
    {
        QTest::addColumn<QByteArray>("xml");
        // Whether the rows are read in pieces when cut after every row, and
        // when left in one piece; else the whole tree is read.
        QTest::addColumn<bool>("cutAtEachRow");
        QTest::addColumn<bool>("onePiece");
        QByteArray rows;
        for (int r = 1; r <= 40; ++r) {
            const QByteArray n = QByteArray::number(r);
            rows += "<row r=\"" + n + "\"><c r=\"A" + n + "\" s=\"1\"><v>" + n + ".0</v></c>"
                    "<c r=\"B" + n + "\" t=\"inlineStr\"><is><t> t" + n + " &amp; \u00e9 </t></is></c>"
                    "<c r=\"C" + n + "\" t=\"s\"><v>" + QByteArray::number(r % 7) + "</v></c></row>";
        }
        const QByteArray merges = "<mergeCells><mergeCell ref=\"A1:B2\"/></mergeCells>";
        QTest::newRow("many rows") << worksheet(rows, merges) << true << true;
        QTest::newRow("declaration and byte order mark")
            << "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n" + worksheet(rows) << true << true;
        QTest::newRow("other encoding declared")
            << QByteArray("<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><worksheet><sheetData><row><c r=\"A1\" "
                          "t=\"inlineStr\"><is><t>\xE9</t></is></c></row></sheetData></worksheet>") << false << false;
        QTest::newRow("later cell replaces an earlier piece's")
            << worksheet("<row r=\"1\"><c r=\"A1\" s=\"1\"><v>1</v></c></row><row r=\"2\"><c r=\"A2\"><v>2</v></c></row>"
                         "<row r=\"1\"><c r=\"A1\"><v>3</v></c></row>") << true << true;
        QTest::newRow("shared formula defined in a later piece")
            << worksheet("<row r=\"1\"><c r=\"A1\"><f t=\"shared\" si=\"0\"/><v>4</v></c></row>"
                         "<row r=\"2\"><c r=\"A2\"><f t=\"shared\" si=\"0\"/><v>5</v></c></row>"
                         "<row r=\"2\"><c r=\"A2\"><v>6</v></c></row>"
                         "<row r=\"3\"><c r=\"A3\"><f t=\"shared\" ref=\"A1:A3\" si=\"0\">B3</f></c></row>") << true << true;
        QTest::newRow("empty rows") << worksheet("<row r=\"1\"/><row r=\"2\"><c r=\"B2\"><v>1</v></c></row><row/>") << true << true;
        QTest::newRow("closing row text in a comment")
            << worksheet("<row><c r=\"A1\"><v>1</v></c></row><!-- </row> </sheetData> --><row><c r=\"A2\"><v>2</v></c></row>")
            << false << false;
        QTest::newRow("closing row text in CDATA")
            << worksheet("<row><c r=\"A1\" t=\"str\"><f>T()</f><v><![CDATA[a</row>b]]></v></c></row>"
                         "<row><c r=\"A2\"><v>2</v></c></row>") << false << true;
        QTest::newRow("closing row text in an attribute")
            << worksheet("<row><c r=\"A1\" x=\"</row>\"><v>1</v></c></row><row><c r=\"A2\"><v>2</v></c></row>") << false << true;
        QTest::newRow("nested element named row")
            << worksheet("<row><c r=\"A1\"><row></row><v>1</v></c></row><row><c r=\"A2\"><v>2</v></c></row>") << false << true;
        QTest::newRow("quoted greater-than before sheetData")
            << QByteArray("<worksheet a=\"x>y\" b='/>'><sheetPr/><sheetData><row><c r=\"A1\"><v>1</v></c></row>"
                          "</sheetData></worksheet>") << true << true;
        QTest::newRow("sheetData deeper than the root's child")
            << QByteArray("<worksheet><x><sheetData><row><c r=\"A1\"><v>1</v></c></row></sheetData></x>"
                          "<sheetData><row><c r=\"A2\"><v>2</v></c></row></sheetData></worksheet>") << true << true;
        QTest::newRow("second sheetData ignored")
            << worksheet("<row><c r=\"A1\"><v>1</v></c></row>",
                         "<sheetData><row><c r=\"A2\"><v>2</v></c></row></sheetData>") << true << true;
        QTest::newRow("empty sheetData") << QByteArray("<worksheet><sheetData/></worksheet>") << false << false;
        QTest::newRow("comment before sheetData")
            << QByteArray("<worksheet><!-- x --><sheetData><row><c r=\"A1\"><v>1</v></c></row></sheetData></worksheet>")
            << false << false;
    }

    void piecesMatchWholeTree()
    {
        QFETCH(QByteArray, xml);
        QFETCH(bool, cutAtEachRow);
        QFETCH(bool, onePiece);
        const QStringList strings{"zero", "one", "two", "three", "four", "five", "six"};
        const QList<CellStyle> formats{CellStyle{}, CellStyle{true, false, std::nullopt, std::nullopt}};
        pugi::xml_document doc;
        QString message;
        QVERIFY2(XmlRead::loadBytes(doc, xml, &message), qPrintable(message));
        XlsxReadBudget budget(0);
        ExcelSheet whole = *XlsxWorksheetReader::read(doc.document_element(), QStringLiteral("S"), strings, formats, budget);
        const qsizetype onePieceSize = qsizetype(1) << 20;
        for (const qsizetype pieceSize : {qsizetype(1), qsizetype(100), onePieceSize}) {
            QByteArray part = xml;
            std::optional<ExcelSheet> pieces =
                XlsxWorksheetReader::readInPieces(part, QStringLiteral("S"), strings, formats, budget, nullptr, pieceSize);
            if (pieceSize == 1)
                QCOMPARE(pieces.has_value(), cutAtEachRow);
            if (pieceSize == onePieceSize)
                QCOMPARE(pieces.has_value(), onePiece);
            if (pieces) {
                pieces->id = whole.id;
                QCOMPARE(*pieces, whole);
            }
        }
    }

    // Shared strings long enough to be read in pieces give each item at its
    // index, and so does a part the piecewise reading must leave to the
    // whole tree.
    void longSharedStrings_data()
    {
        QTest::addColumn<QByteArray>("between"); // after the 20,000th item
        QTest::newRow("plain") << QByteArray();
        QTest::newRow("closing item text in a comment") << QByteArray("<!-- </si> -->");
        QTest::newRow("nested element named si") << QByteArray("<x><si><t>not an item</t></si></x>");
    }

    void longSharedStrings()
    {
        QFETCH(QByteArray, between);
        QByteArray items;
        for (int i = 0; i < 40000; ++i) {
            items += "<si><t>item " + QByteArray::number(i) + "</t></si>";
            if (i == 19999)
                items += between;
        }
        Parts parts = onePackage(worksheet("<row><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>20000</v></c>"
                                           "<c r=\"C1\" t=\"s\"><v>39999</v></c><c r=\"D1\" t=\"s\"><v>40000</v></c></row>"));
        parts.insert("xl/sharedStrings.xml", "<?xml version=\"1.0\"?>\n<sst xmlns=\"" + mainNs + "\">" + items + "</sst>");
        const auto sheets = read(parts);
        QVERIFY(sheets);
        const QStringList &row = sheets->first().cells[0];
        QCOMPARE(row.mid(0, 4), (QStringList{"item 0", "item 20000", "item 39999", ""}));
    }

    // A worksheet the piecewise reading leaves alone, or a malformed one,
    // is read whole by the reader: same cells, same error.
    void wholeTreeWhenNotInPieces()
    {
        const auto sheets = read(onePackage(worksheet("<row><c r=\"A1\"><v>1</v></c></row><!-- </row> -->"
                                                      "<row><c r=\"A2\"><v>2</v></c></row>")));
        QVERIFY(sheets);
        QCOMPARE(sheets->first().cells[1][0], QStringLiteral("2"));
        const QByteArray malformed = worksheet("<row><c r=\"A1\"><v>1</v></row>");
        pugi::xml_document doc;
        QString reason;
        QVERIFY(!XmlRead::loadBytes(doc, malformed, &reason));
        ExcelError error;
        QVERIFY(!read(onePackage(malformed), &error));
        QCOMPARE(error.message, QStringLiteral("xl/worksheets/sheet1.xml: ") + reason);
    }

    // A workbook whose cells repeat one long text so often that no save
    // could write it is refused while opening.
    void textBeyondTheBudgetIsRefused()
    {
        const QByteArray longText((XlsxReader::maxTextLength >> 4) + 1, 'x');
        const auto rowOf = [](int count) {
            QByteArray cells;
            for (int i = 1; i <= count; ++i)
                cells += "<c r=\"" + CellReference::text(0, i - 1).toLatin1() + "\" t=\"s\"><v>0</v></c>";
            return worksheet("<row r=\"1\">" + cells + "</row>");
        };
        Parts parts = onePackage(rowOf(16));
        parts.insert("xl/sharedStrings.xml", "<sst><si><t>" + longText + "</t></si></sst>");
        ExcelError error;
        QVERIFY(!read(parts, &error));
        QVERIFY2(error.message.contains(QStringLiteral("more text than 256 MiB")), qPrintable(error.message));

        parts.insert("xl/worksheets/sheet1.xml", rowOf(15)); // one cell fewer fits
        QVERIFY(read(parts));
    }

    // A 445 KB workbook whose 1 MB shared formula was copied into 200,000
    // cells aborted after 76 s at 7.4 GB: the text was only counted once
    // every copy was made. The copies are costed first (here an 8 KB formula
    // in 5,000 cells, 40 M units, against 4 M), whether the defining cell
    // comes before its members or after them.
    void sharedFormulaCopiesAreCostedFirst_data()
    {
        QTest::addColumn<bool>("definingFirst");
        QTest::newRow("defining cell first") << true;
        QTest::newRow("defining cell last") << false;
    }

    void sharedFormulaCopiesAreCostedFirst()
    {
        QFETCH(bool, definingFirst);
        QByteArray formula = "B1";
        while (formula.size() < 8192)
            formula += "+B1";
        const QByteArray defining = "<c r=\"A1\"><f t=\"shared\" ref=\"A1:Z200\" si=\"0\">" + formula + "</f></c>";
        QByteArray members = cellsFromA1(5001, "<c r=\"%1\"><f t=\"shared\" si=\"0\"/></c>");
        members.remove(members.indexOf("<c r=\"A1\">"), members.indexOf("</c>") + 4 - members.indexOf("<c r=\"A1\">"));
        const QByteArray rows = definingFirst ? "<row r=\"1\">" + defining + "</row>" + members
                                              : members + "<row r=\"1\">" + defining + "</row>";
        const Parts parts = onePackage(worksheet(rows));
        ExcelError error;
        bool read = true;
        const auto growth = PeakMemory::growthDuring([&] {
            read = this->read(parts, &error, {ReadBudget::minimumLimit, 4 << 20}).has_value();
        });
        QVERIFY(!read);
        QVERIFY2(error.message.contains(QStringLiteral("more text than 4 MiB")) && error.message.contains(u".xlsx"),
                 qPrintable(error.message));
        if (growth)
            QVERIFY2(*growth < qint64(48) << 20, qPrintable(QString::number(*growth >> 20) + " MB"));
    }

    // Where the memory of a small workbook goes, each taken before it is
    // spent: rows of cells (1,000 touched rows took 4.8 MB a sheet, so 256
    // sheets of a 1.4 MB file took 1.21 GB), styled cells (about 190 bytes
    // each: 40 sheets of 200,000 took 1.67 GB), merged ranges and shared
    // strings. Here against 8 MB rather than 768.
    void workbookBeyondItsMemoryIsRefused_data()
    {
        QTest::addColumn<Parts>("parts");
        QTest::addColumn<int>("sheets"); // listed; each names the one part
        QTest::addColumn<bool>("fits");

        const QByteArray touchedRows = worksheet(cellsFromA1(1000, "<c r=\"%1\"><v>1</v></c>", 1)
                                                 + "<row r=\"1\"><c r=\"GR1\"><v>1</v></c></row>");
        auto sheets = [](const QByteArray &sheetXml, int count) {
            Parts parts = onePackage(sheetXml);
            QByteArray entries, rels;
            for (int n = 1; n <= count; ++n) {
                const QByteArray k = QByteArray::number(n);
                entries += "<sheet name=\"S" + k + "\" sheetId=\"" + k + "\" r:id=\"rId" + k + "\"/>";
                rels += "<Relationship Id=\"rId" + k + "\" Target=\"worksheets/sheet" + k + ".xml\"/>";
                parts.insert("xl/worksheets/sheet" + k + ".xml", sheetXml + "<!-- " + k + " -->");
            }
            parts.insert("xl/workbook.xml", workbook(entries));
            parts.insert("xl/_rels/workbook.xml.rels", relationships(rels));
            return parts;
        };
        QTest::newRow("one sheet of 1,000 full rows") << sheets(touchedRows, 1) << 1 << true;
        QTest::newRow("three sheets of 1,000 full rows") << sheets(touchedRows, 3) << 3 << false;

        const QByteArray styledCells = worksheet(cellsFromA1(40000, "<c r=\"%1\" s=\"1\"/>"));
        Parts styled = sheets(styledCells, 1);
        styled.insert("xl/styles.xml", stylesWith("<font/><font><b/></font>", "<fill/>",
                                                  "<xf fontId=\"0\"/><xf fontId=\"1\"/>"));
        QTest::newRow("40,000 styled cells") << styled << 1 << false;
        styled.insert("xl/worksheets/sheet1.xml", worksheet(cellsFromA1(10000, "<c r=\"%1\" s=\"1\"/>")));
        QTest::newRow("10,000 styled cells") << styled << 1 << true;

        Parts strings;
        // The merged ranges come after the rows, in the part read whole
        // around them (10 million in a 583 KB file took 1.73 GB).
        const auto merges = [&](int count) {
            return sheets(worksheet("<row r=\"1\"><c r=\"A1\"><v>1</v></c></row>",
                                    "<mergeCells>" + QByteArray("<mergeCell ref=\"A1:B2\"/>").repeated(count)
                                        + "</mergeCells>"),
                          1);
        };
        QTest::newRow("70,000 merged ranges") << merges(70000) << 1 << false;
        QTest::newRow("10,000 merged ranges") << merges(10000) << 1 << true;

        // Items that never close leave the run uncut: one piece, one tree
        // (50 million empty strings in a 729 KB file took 3.9 GB).
        strings = sheets(worksheet({}), 1);
        strings.insert("xl/sharedStrings.xml", "<sst>" + QByteArray("<si/>").repeated(200000) + "</sst>");
        QTest::newRow("200,000 shared strings in one piece") << strings << 1 << false;
        QTest::newRow("200,000 rows in one piece") << sheets(worksheet(QByteArray("<row/>").repeated(200000)), 1) << 1
                                                   << false;

        QByteArray items;
        for (int i = 0; i < 100000; ++i)
            items += "<si><t>text number " + QByteArray::number(i) + "</t></si>";
        strings = sheets(worksheet({}), 1);
        strings.insert("xl/sharedStrings.xml", "<sst xmlns=\"" + mainNs + "\">" + items + "</sst>");
        QTest::newRow("100,000 shared strings") << strings << 1 << false;
    }

    void workbookBeyondItsMemoryIsRefused()
    {
        QFETCH(Parts, parts);
        QFETCH(int, sheets);
        QFETCH(bool, fits);
        ExcelError error;
        const auto read = this->read(parts, &error, {8 << 20, XlsxReader::maxTextLength});
        QCOMPARE(read.has_value(), fits);
        if (fits) {
            QCOMPARE(read->size(), sheets);
            return;
        }
        QVERIFY2(error.message.contains(QStringLiteral("more than 8 MB of memory")) && error.message.contains(u".xlsx"),
                 qPrintable(error.message));
    }

    void parseCellAddress_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("row"); // -1: not found
        QTest::addColumn<int>("col");
        QTest::newRow("upper case") << "B3" << 2 << 1;
        QTest::newRow("lower case") << "b3" << 2 << 1;
        QTest::newRow("leading zeros") << "A01" << 0 << 0;
        QTest::newRow("last cell") << "GR1000" << 999 << 199;
        QTest::newRow("row zero") << "A0" << -1 << -1;
        QTest::newRow("letters only") << "A" << -1 << -1;
        QTest::newRow("digits only") << "12" << -1 << -1;
        QTest::newRow("letter after digits") << "A1B" << -1 << -1;
        QTest::newRow("inner blank") << "A 1" << -1 << -1;
        QTest::newRow("absolute marker") << "$A$1" << -1 << -1;
        QTest::newRow("column past limit") << "GS1" << -1 << -1;
        QTest::newRow("row past limit") << "A1001" << -1 << -1;
        QTest::newRow("very long letters") << QString(40, u'Z') + "1" << -1 << -1;
        QTest::newRow("very long digits") << "A" + QString(40, u'9') << -1 << -1;
        QTest::newRow("non-ASCII letter") << "\u00C41" << -1 << -1;
        QTest::newRow("empty") << "" << -1 << -1;
    }

    void parseCellAddress()
    {
        QFETCH(QString, text);
        QFETCH(int, row);
        QFETCH(int, col);
        const auto address = XlsxWorksheetReader::parseCellAddress(text, 1000, 200);
        QCOMPARE(address.has_value(), row >= 0);
        if (address)
            QCOMPARE(*address, (CellAddress{row, col}));
        const QByteArray utf8 = text.toUtf8();
        QCOMPARE(XlsxWorksheetReader::parseCellAddress(QByteArrayView(utf8), 1000, 200), address);
    }

    // The index of a shared string or a cell format, read from text or bytes alike.
    void listIndex_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("index"); // -1: none
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("last") << "9" << 9;
        QTest::newRow("leading zeros") << "007" << 7;
        QTest::newRow("plus sign") << "+2" << 2;
        QTest::newRow("negative zero") << "-0" << 0;
        QTest::newRow("negative") << "-1" << -1;
        QTest::newRow("one past the end") << "10" << -1;
        QTest::newRow("beyond 64 bits") << "99999999999999999999999" << -1;
        QTest::newRow("sign alone") << "+" << -1;
        QTest::newRow("empty") << "" << -1;
        QTest::newRow("blank inside") << "1 " << -1;
        QTest::newRow("decimal") << "1.0" << -1;
    }

    void listIndex()
    {
        QFETCH(QString, text);
        QFETCH(int, index);
        const std::optional<qsizetype> expected = index < 0 ? std::nullopt : std::optional<qsizetype>(index);
        QCOMPARE(XlsxNodes::listIndex(text, 10), expected);
        const QByteArray bytes = text.toLatin1();
        QCOMPARE(XlsxNodes::listIndex(QByteArrayView(bytes), 10), expected);
    }

    // Cells repeating a short text share one string rather than a copy each.
    void repeatedTextsShareOneString()
    {
        const auto sheets = read(onePackage(worksheet(
            "<row><c r=\"A1\" t=\"inlineStr\"><is><t>same</t></is></c><c r=\"B1\"><v>1.5</v></c></row>"
            "<row><c r=\"A2\" t=\"inlineStr\"><is><t>same</t></is></c><c r=\"B2\"><v>1.5</v></c></row>")));
        QVERIFY(sheets);
        const CellGrid &cells = sheets->first().cells;
        QCOMPARE(cells[1][0], QStringLiteral("same"));
        QVERIFY(cells[0][0].isSharedWith(cells[1][0]));
        QVERIFY(cells[0][1].isSharedWith(cells[1][1]));
        QVERIFY(sheets->first().evaluatedCells[1][1].isSharedWith(cells[0][1]));
    }

    void functionNames_data()
    {
        QTest::addColumn<QString>("formula");
        QTest::addColumn<QString>("inFile");
        const QString longSum = "SUM(" + QString("1,").repeated(500'000) + "1)";
        QTest::newRow("long formula, nothing to rewrite") << longSum << longSum;
        QTest::newRow("calls in calls") << "SUM(textjoin(\",\",TRUE,UNIQUE(A1)),B1)"
                                        << "SUM(_xlfn.textjoin(\",\",TRUE,_xlfn.UNIQUE(A1)),B1)";
        QTest::newRow("quoted names") << "TEXTJOIN(\"UNIQUE(\",1,\"(\",A1)&UNIQUE(B1)"
                                      << "_xlfn.TEXTJOIN(\"UNIQUE(\",1,\"(\",A1)&_xlfn.UNIQUE(B1)";
        QTest::newRow("unclosed quote") << "UNIQUE(\"TEXTJOIN(" << "_xlfn.UNIQUE(\"TEXTJOIN(";
        QTest::newRow("names ending in a function's") << "XUNIQUE(1)+A.UNIQUE(2)" << "XUNIQUE(1)+A.UNIQUE(2)";
    }

    // Function names are translated in a few searches of the formula, and one
    // with nothing to translate keeps its text: a long formula is not copied
    // a character at a time.
    void functionNames()
    {
        QFETCH(QString, formula);
        QFETCH(QString, inFile);
        QCOMPARE(XlsxFunctionNames::toFile(formula), inFile);
        const QString read = XlsxFunctionNames::fromFile(inFile);
        QCOMPARE(read, formula);
        QCOMPARE(read.isSharedWith(inFile), formula == inFile);
    }

    void gridSize_data()
    {
        QTest::addColumn<QByteArray>("references");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("placed"); // non-empty cells in the grid
        QTest::newRow("small sheet keeps the minimum") << QByteArray("C7") << 100 << 50 << 1;
        QTest::newRow("largest cell") << QByteArray("GR1000") << 1000 << 200 << 1;
        QTest::newRow("column past the limit dropped") << QByteArray("GS1") << 100 << 50 << 0;
        QTest::newRow("row past the limit dropped") << QByteArray("A1001") << 100 << 50 << 0;
        QTest::newRow("grows to each cell") << QByteArray("A150 BA2") << 150 << 53 << 2;
        QTest::newRow("cell without reference skipped") << QByteArray("-") << 100 << 50 << 0;
        QTest::newRow("later cell overwrites") << QByteArray("B2 b02") << 100 << 50 << 1;
    }

    void gridSize()
    {
        QFETCH(QByteArray, references);
        QFETCH(int, rows);
        QFETCH(int, columns);
        QFETCH(int, placed);
        QByteArray cells;
        for (const QByteArray &reference : references.split(' ')) {
            const QByteArray r = reference == "-" ? QByteArray() : " r=\"" + reference + "\"";
            cells += "<c" + r + " s=\"1\"><v>1</v></c>";
        }
        Parts parts = onePackage(worksheet("<row>" + cells + "</row>",
                                           "<mergeCells><mergeCell ref=\"A1:GS1\"/></mergeCells>"));
        parts.insert("xl/styles.xml", stylesWith("<font/><font><b/></font>", "", "<xf/><xf fontId=\"1\"/>"));
        const auto sheets = read(parts);
        QVERIFY(sheets);
        const ExcelSheet &sheet = sheets->first();
        QCOMPARE(sheet.cells.size(), rows);
        QCOMPARE(sheet.evaluatedCells.size(), rows);
        int found = 0;
        for (const QStringList &row : sheet.cells) {
            QCOMPARE(row.size(), columns);
            found += int(row.count(QStringLiteral("1")));
        }
        QCOMPARE(found, placed);
        QCOMPARE(sheet.cellStyles.size(), placed);
        QVERIFY(sheet.mergedRanges.isEmpty());
    }

    void styles_data()
    {
        QTest::addColumn<QByteArray>("fonts");
        QTest::addColumn<QByteArray>("fills");
        QTest::addColumn<QByteArray>("xf");
        QTest::addColumn<QString>("reference");
        QTest::addColumn<bool>("styled");
        QTest::addColumn<CellStyle>("style");
        const QByteArray plain = "<font><sz val=\"11\"/></font>";
        const QByteArray noFills = "<fill/>";
        auto font = [](std::optional<QString> color = std::nullopt, bool bold = false, bool italic = false) {
            return CellStyle{bold, italic, color, std::nullopt};
        };
        QTest::newRow("bold") << plain + "<font><b/></font>" << noFills << QByteArray("<xf fontId=\"1\"/>") << "A1" << true << font({}, true);
        QTest::newRow("bold val 1") << plain + "<font><b val=\"1\"/><i val=\"true\"/></font>" << noFills << QByteArray("<xf fontId=\"1\"/>") << "A1" << true << font({}, true, true);
        QTest::newRow("bold val 0 is not bold") << plain + "<font><b val=\"0\"/><i/></font>" << noFills << QByteArray("<xf fontId=\"1\"/>") << "A1" << true << font({}, false, true);
        QTest::newRow("false flags are no style") << plain + "<font><b val=\"false\"/><i val=\"0\"/></font>" << noFills << QByteArray("<xf fontId=\"1\"/>") << "A1" << false << CellStyle{};
        QTest::newRow("argb colour") << plain + "<font><color rgb=\"FFFF0000\"/></font>" << noFills << QByteArray("<xf fontId=\"1\"/>") << "A1" << true << font(QStringLiteral("#FF0000"));
        QTest::newRow("rgb colour case kept") << plain + "<font><color rgb=\"ff00aa\"/></font>" << noFills << QByteArray("<xf fontId=\"1\"/>") << "A1" << true << font(QStringLiteral("#ff00aa"));
        QTest::newRow("hash colour") << plain + "<font><color rgb=\"#00FF00\"/></font>" << noFills << QByteArray("<xf fontId=\"1\"/>") << "A1" << true << font(QStringLiteral("#00FF00"));
        QTest::newRow("short colour is white") << plain + "<font><color rgb=\"FF0\"/></font>" << noFills << QByteArray("<xf fontId=\"1\"/>") << "A1" << true << font(QStringLiteral("#FFFFFF"));
        QTest::newRow("theme colour ignored") << plain + "<font><b/><color theme=\"1\"/></font>" << noFills << QByteArray("<xf fontId=\"1\"/>") << "A1" << true << font({}, true);
        QTest::newRow("solid fill") << plain << QByteArray("<fill/><fill/><fill><patternFill patternType=\"solid\"><fgColor rgb=\"FFFFCC00\"/></patternFill></fill>") << QByteArray("<xf fillId=\"2\"/>") << "A1" << true << CellStyle{false, false, std::nullopt, QStringLiteral("#FFCC00")};
        QTest::newRow("gray125 fill has no colour") << plain << QByteArray("<fill><patternFill patternType=\"gray125\"><fgColor rgb=\"FFFFCC00\"/></patternFill></fill>") << QByteArray("<xf fillId=\"0\"/>") << "A1" << false << CellStyle{};
        QTest::newRow("solid fill without colour") << plain << QByteArray("<fill><patternFill patternType=\"solid\"/></fill>") << QByteArray("<xf fillId=\"0\"/>") << "A1" << false << CellStyle{};
        QTest::newRow("font id past the end") << plain << noFills << QByteArray("<xf fontId=\"5\"/>") << "A1" << false << CellStyle{};
        QTest::newRow("font id not a number") << plain + "<font><b/></font>" << noFills << QByteArray("<xf fontId=\"x\"/>") << "A1" << false << CellStyle{};
        QTest::newRow("font id with blanks") << plain + "<font><b/></font>" << noFills << QByteArray("<xf fontId=\" 1 \"/>") << "A1" << true << font({}, true);
        QTest::newRow("lower-case reference keyed canonically") << plain + "<font><b/></font>" << noFills << QByteArray("<xf fontId=\"1\"/>") << "b3" << true << font({}, true);
    }

    void styles()
    {
        QFETCH(QByteArray, fonts);
        QFETCH(QByteArray, fills);
        QFETCH(QByteArray, xf);
        QFETCH(QString, reference);
        QFETCH(bool, styled);
        QFETCH(CellStyle, style);
        Parts parts = onePackage(worksheet("<row><c r=\"" + reference.toUtf8() + "\" s=\"1\"><v>1</v></c>"
                                           "<c r=\"Z9\" s=\"9\"/></row>"));
        parts.insert("xl/styles.xml", stylesWith(fonts, fills, "<xf fontId=\"0\"/>" + xf));
        const auto sheets = read(parts);
        QVERIFY(sheets);
        const CellStyleMap &map = sheets->first().cellStyles;
        const QString key = reference.toUpper();
        QCOMPARE(map.size(), styled ? 1 : 0);
        if (styled)
            QCOMPARE(map.value(key), style);
    }

    void normalizeColorHex_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("color");
        QTest::newRow("argb drops alpha") << "80112233" << "#112233";
        QTest::newRow("hash and blanks trimmed") << " #abcdef " << "#abcdef";
        QTest::newRow("digits not checked") << "GGGGGG" << "#GGGGGG";
        QTest::newRow("seven characters") << "FF00000" << "#FFFFFF";
        QTest::newRow("empty") << "" << "#FFFFFF";
        QTest::newRow("inner punctuation counts") << "FF-000" << "#FF-000";
    }

    void normalizeColorHex()
    {
        QFETCH(QString, value);
        QFETCH(QString, color);
        QCOMPARE(XlsxStylesReader::normalizeColorHex(value), color);
    }

    void merges_data()
    {
        QTest::addColumn<QByteArray>("ref");
        QTest::addColumn<QList<ExcelRange>>("ranges");
        QTest::newRow("two corners") << QByteArray("A1:B2") << QList<ExcelRange>{{0, 0, 1, 1}};
        QTest::newRow("reversed corners normalised") << QByteArray("B2:A1") << QList<ExcelRange>{{0, 0, 1, 1}};
        QTest::newRow("mixed corners normalised") << QByteArray("A3:C1") << QList<ExcelRange>{{0, 0, 2, 2}};
        QTest::newRow("lower case") << QByteArray("c3:d4") << QList<ExcelRange>{{2, 2, 3, 3}};
        QTest::newRow("one corner skipped") << QByteArray("A1") << QList<ExcelRange>{};
        QTest::newRow("three corners skipped") << QByteArray("A1:B2:C3") << QList<ExcelRange>{};
        QTest::newRow("empty corner skipped") << QByteArray("A1:") << QList<ExcelRange>{};
        QTest::newRow("corner outside the grid skipped") << QByteArray("A1:AY1") << QList<ExcelRange>{};
    }

    void merges()
    {
        QFETCH(QByteArray, ref);
        QFETCH(QList<ExcelRange>, ranges);
        const auto sheets = read(onePackage(worksheet("", "<mergeCells><mergeCell ref=\"" + ref + "\"/></mergeCells>")));
        QVERIFY(sheets);
        QCOMPARE(sheets->first().mergedRanges, ranges);
    }

    void sheetEntries_data()
    {
        QTest::addColumn<QByteArray>("sheets");
        QTest::addColumn<QByteArray>("relationships"); // "-": no relationships part
        QTest::addColumn<QStringList>("names");        // empty: the import fails with 500
        const QByteArray sheet1 = "<Relationship Id=\"rId1\" Target=\"worksheets/sheet1.xml\"/>";
        QTest::newRow("relationship under r:id") << QByteArray("<sheet name=\"A\" sheetId=\"1\" r:id=\"rId1\"/>") << sheet1 << QStringList{"A"};
        QTest::newRow("relationship under id") << QByteArray("<sheet name=\"A\" sheetId=\"1\" id=\"rId1\"/>") << sheet1 << QStringList{"A"};
        QTest::newRow("other prefix skipped") << QByteArray("<sheet name=\"A\" sheetId=\"1\" x:id=\"rId1\"/>") << sheet1 << QStringList{};
        QTest::newRow("missing name skipped") << QByteArray("<sheet sheetId=\"1\" r:id=\"rId1\"/>") << sheet1 << QStringList{};
        QTest::newRow("empty name accepted") << QByteArray("<sheet name=\"\" sheetId=\"1\" r:id=\"rId1\"/>") << sheet1 << QStringList{""};
        QTest::newRow("sheet without part skipped")
            << QByteArray("<sheet name=\"A\" sheetId=\"1\" r:id=\"rId1\"/><sheet name=\"B\" sheetId=\"2\" r:id=\"rId2\"/>"
                          "<sheet name=\"C\" sheetId=\"3\" r:id=\"rId1\"/>")
            << sheet1 + "<Relationship Id=\"rId2\" Target=\"worksheets/missing.xml\"/>" << QStringList{"A", "C"};
        QTest::newRow("fallback by sheet id") << QByteArray("<sheet name=\"A\" sheetId=\"3\" r:id=\"rId9\"/>") << QByteArray("-") << QStringList{"Three"};
        QTest::newRow("absolute target from package root")
            << QByteArray("<sheet name=\"A\" sheetId=\"1\" r:id=\"rId1\"/>")
            << QByteArray("<Relationship Id=\"rId1\" Target=\"/xl/worksheets/sheet1.xml\"/>") << QStringList{"A"};
        QTest::newRow("dot segments resolved")
            << QByteArray("<sheet name=\"A\" sheetId=\"1\" r:id=\"rId1\"/>")
            << QByteArray("<Relationship Id=\"rId1\" Target=\"./worksheets/../worksheets/sheet1.xml\"/>") << QStringList{"A"};
        QTest::newRow("part name case ignored")
            << QByteArray("<sheet name=\"A\" sheetId=\"1\" r:id=\"rId1\"/>")
            << QByteArray("<Relationship Id=\"rId1\" Target=\"Worksheets/SHEET1.xml\"/>") << QStringList{"A"};
        QTest::newRow("target leaving the package refused")
            << QByteArray("<sheet name=\"A\" sheetId=\"1\" r:id=\"rId1\"/>")
            << QByteArray("<Relationship Id=\"rId1\" Target=\"../../outside/sheet1.xml\"/>") << QStringList{};
        QTest::newRow("absolute file path refused")
            << QByteArray("<sheet name=\"A\" sheetId=\"1\" r:id=\"rId1\"/>")
            << QByteArray("<Relationship Id=\"rId1\" Target=\"file:///etc/passwd\"/>") << QStringList{};
        QTest::newRow("external target ignored")
            << QByteArray("<sheet name=\"A\" sheetId=\"1\" r:id=\"rId1\"/>")
            << QByteArray("<Relationship Id=\"rId1\" Target=\"worksheets/sheet1.xml\" TargetMode=\"External\"/>")
            << QStringList{"A"};
        QTest::newRow("later relationship wins")
            << QByteArray("<sheet name=\"A\" sheetId=\"1\" r:id=\"rId1\"/>")
            << QByteArray("<Relationship Id=\"rId1\" Target=\"none.xml\"/><Relationship Id=\"rId1\" Target=\"worksheets/sheet1.xml\"/>")
            << QStringList{"A"};
    }

    void sheetEntries()
    {
        QFETCH(QByteArray, sheets);
        QFETCH(QByteArray, relationships);
        QFETCH(QStringList, names);
        Parts parts{{"xl/workbook.xml", workbook(sheets)},
                    {"xl/worksheets/sheet1.xml", worksheet("")},
                    {"xl/worksheets/sheet3.xml", worksheet("<row><c r=\"A1\"><v>3</v></c></row>")},
                    {"outside/sheet1.xml", worksheet("")}};
        if (relationships != "-")
            parts.insert("xl/_rels/workbook.xml.rels", ::relationships(relationships));
        ExcelError error;
        const auto read = this->read(parts, &error);
        if (names.isEmpty()) {
            QVERIFY(!read);
            QCOMPARE(error.code, 500);
            QCOMPARE(error.message, QStringLiteral("No sheets imported"));
            return;
        }
        QVERIFY2(read, qPrintable(error.message));
        QStringList found;
        for (const ExcelSheet &sheet : *read)
            found << (sheet.cells[0][0] == QLatin1String("3") ? QStringLiteral("Three") : sheet.name);
        QCOMPARE(found, names);
    }

    // Sheets listing one part read it once and share its grids, so a small
    // package naming one huge part for hundreds of sheets cannot multiply
    // the memory and time it takes.
    void sheetsOfOnePartShareIt()
    {
        QByteArray entries;
        for (int n = 1; n <= XlsxReader::maxSheetCount; ++n)
            entries += "<sheet name=\"S" + QByteArray::number(n) + "\" sheetId=\"1\" r:id=\"rId1\"/>";
        const Parts parts{{"xl/workbook.xml", workbook(entries)},
                          {"xl/_rels/workbook.xml.rels",
                           relationships("<Relationship Id=\"rId1\" Target=\"worksheets/sheet1.xml\"/>")},
                          {"xl/worksheets/sheet1.xml",
                           worksheet("<row><c r=\"B2\" t=\"inlineStr\"><is><t>x</t></is></c></row>")}};
        const auto sheets = read(parts);
        QVERIFY(sheets);
        QCOMPARE(sheets->size(), XlsxReader::maxSheetCount);
        const ExcelSheet &first = sheets->first();
        const ExcelSheet &last = sheets->last();
        QCOMPARE(last.name, QStringLiteral("S256"));
        QVERIFY(last.id != first.id);
        QCOMPARE(last.cells[1][1], QStringLiteral("x"));
        QVERIFY(last.cells.constData() == first.cells.constData());
        QVERIFY(last.evaluatedCells.constData() == first.evaluatedCells.constData());
    }

    void errors_data()
    {
        QTest::addColumn<Parts>("parts");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message"); // the message, or a part of it for code 0
        const Parts good = onePackage(worksheet(""));
        Parts noWorkbook = good;
        noWorkbook.remove("xl/workbook.xml");
        QTest::newRow("workbook missing") << noWorkbook << 404 << "workbook.xml not found in XLSX";
        Parts badStyles = noWorkbook;
        badStyles.insert("xl/styles.xml", "<styleSheet><fonts></styleSheet>");
        QTest::newRow("styles read before the workbook") << badStyles << 0 << "xl/styles.xml";
        Parts badStrings = good;
        badStrings.insert("xl/sharedStrings.xml", "<sst><si>");
        QTest::newRow("malformed shared strings") << badStrings << 0 << "xl/sharedStrings.xml";
        Parts badWorksheet = good;
        badWorksheet.insert("xl/worksheets/sheet1.xml", "<worksheet><sheetData><row></sheetData>");
        QTest::newRow("malformed worksheet") << badWorksheet << 0 << "xl/worksheets/sheet1.xml";
        Parts badWorkbook = good;
        badWorkbook.insert("xl/workbook.xml", "<workbook");
        QTest::newRow("malformed workbook") << badWorkbook << 0 << "xl/workbook.xml";
        Parts badRels = good;
        badRels.insert("xl/_rels/workbook.xml.rels", "<Relationships><Relationship Id=\"1\">");
        QTest::newRow("malformed relationships") << badRels << 0 << "xl/_rels/workbook.xml.rels";
        Parts prefixed = good;
        prefixed.insert("xl/workbook.xml", "<x:workbook xmlns:x=\"" + mainNs + "\"><x:sheets><x:sheet name=\"A\" "
                                           "sheetId=\"1\" r:id=\"rId1\"/></x:sheets></x:workbook>");
        QTest::newRow("prefixed elements give no sheets") << prefixed << 500 << "No sheets imported";
        QByteArray many;
        for (int i = 1; i <= XlsxReader::maxSheetCount + 1; ++i)
            many += QStringLiteral("<sheet name=\"S%1\" sheetId=\"1\" r:id=\"rId1\"/>").arg(i).toUtf8();
        Parts tooMany = good;
        tooMany.insert("xl/workbook.xml", workbook(many));
        QTest::newRow("too many sheets") << tooMany << 0 << "Too many sheets";
    }

    void errors()
    {
        QFETCH(Parts, parts);
        QFETCH(int, code);
        QFETCH(QString, message);
        ExcelError error;
        QVERIFY(!read(parts, &error));
        QCOMPARE(error.code, code);
        QCOMPARE(error.domain, QStringLiteral("ExcelDocument"));
        if (code == 0)
            QVERIFY2(error.message.contains(message), qPrintable(error.message));
        else
            QCOMPARE(error.message, message);
    }

    void hostilePackages_data()
    {
        QTest::addColumn<QString>("file");
        for (const char *name : {"zip-slip", "absolute-entry", "backslash-entry", "symlink", "zip-bomb",
                                 "zip-bomb-lying-size", "truncated", "crc-mismatch", "not-a-zip", "empty"})
            QTest::newRow(name) << QStringLiteral(MORVANE_TEST_DATA_DIR "/xlsx/hostile/%1.xlsx").arg(QLatin1String(name));
        QTest::newRow("missing file") << m_dir.filePath(QStringLiteral("nothing-here.xlsx"));
    }

    void hostilePackages()
    {
        QFETCH(QString, file);
        ExcelDocument document;
        document.setCell(0, 0, QStringLiteral("kept"));
        document.saveCurrentSheet();
        const QList<ExcelSheet> before = document.sheets();
        ExcelError error;
        QVERIFY(!document.importXLSX(file, &error));
        QVERIFY(!error.message.isEmpty());
        QCOMPARE(document.sheets(), before);
        QCOMPARE(document.cell(0, 0), QStringLiteral("kept"));
        const QDir temp = QDir::temp();
        for (const char *escaped : {"evil.txt", "evil2.txt", "evil4.txt", "../evil.txt", "../evil2.txt"})
            QVERIFY2(!temp.exists(QLatin1String(escaped)), escaped);
        QVERIFY(!QFile::exists(QStringLiteral("/tmp/evil3.txt")));
    }

    void roundTrip()
    {
        ExcelSheet first = sheet(QStringLiteral("Data & more"),
                                 {{"5", "text ", "=SUM(A1:A1)"}, {"", "\u65e5\u672c\u8a9e", "=B2"}}, 120, 60);
        first.evaluatedCells[0][2] = QStringLiteral("5");
        first.evaluatedCells[1][2] = QStringLiteral("\u65e5\u672c\u8a9e");
        first.cellStyles.insert(QStringLiteral("A1"), {true, true, QStringLiteral("#FF0000"), QStringLiteral("#00FF00")});
        first.cellStyles.insert(QStringLiteral("D4"), {false, false, std::nullopt, QStringLiteral("#0000FF")});
        first.mergedRanges = {{5, 1, 6, 3}};
        ExcelSheet second = sheet(QStringLiteral("Second"), {{"x"}});
        const QString path = m_dir.filePath(QStringLiteral("roundtrip.xlsx"));
        ExcelError error;
        QVERIFY(XlsxWriter({first, second}, XlsxPackageKind::Workbook).write(path, &error));

        const auto sheets = XlsxReader::read(path, &error);
        QVERIFY2(sheets, qPrintable(error.message));
        QCOMPARE(sheets->size(), 2);
        const ExcelSheet &back = sheets->first();
        QCOMPARE(back.name, first.name);
        // The grid is sized to what the file holds: the minimum here.
        QCOMPARE(back.cells.size(), 100);
        QCOMPARE(back.cells[0], (QStringList{"5", "text ", "=SUM(A1:A1)"} + QStringList(47)));
        QCOMPARE(back.cells[1][1], first.cells[1][1]);
        QCOMPARE(back.cells[1][2], QStringLiteral("=B2"));
        QCOMPARE(back.cachedEvaluatedCells[0][2], QStringLiteral("5"));
        // "=B2" is no call this program computes: without a cache from a file
        // it is written without one, for other programs to compute.
        QCOMPARE(back.cachedEvaluatedCells[1][2], QString());
        QCOMPARE(back.cellStyles, first.cellStyles);
        QCOMPARE(back.mergedRanges, first.mergedRanges);
        QCOMPARE(sheets->at(1).name, QStringLiteral("Second"));
        QCOMPARE(sheets->at(1).cells[0][0], QStringLiteral("x"));
        QVERIFY(back.id != first.id);
    }

    void documentImport()
    {
        ExcelDocument source;
        source.setCell(0, 0, QStringLiteral("2"));
        source.setCell(0, 1, QStringLiteral("=SUM(A1,3)"));
        source.recalculate();
        source.addSheet(QStringLiteral("Other"));
        source.setCell(0, 0, QStringLiteral("=FOO(1)"));
        source.recalculate();
        const QString path = m_dir.filePath(QStringLiteral("document.xlsx"));
        ExcelError error;
        QVERIFY2(source.exportXLSX(path, &error), qPrintable(error.message));

        ExcelDocument document;
        document.setMacro(QStringLiteral("Keep"), QStringLiteral("Sub Keep()\nEnd Sub"));
        document.addSheet(QStringLiteral("Old"));
        QVERIFY2(document.importXLSX(path, &error), qPrintable(error.message));
        QCOMPARE(document.sheets().size(), 2);
        QCOMPARE(document.activeSheetIndex(), 0);
        QCOMPARE(document.sheets().at(1).name, QStringLiteral("Other"));
        QCOMPARE(document.cell(0, 1), QStringLiteral("=SUM(A1,3)"));
        QCOMPARE(document.evaluatedCell(0, 1), QStringLiteral("5"));
        QVERIFY(document.macros().contains(QStringLiteral("Keep")));
        // A formula this program cannot compute was saved without a cache
        // (other programs compute it); here it shows "#NAME?" once opened.
        QCOMPARE(document.sheets().at(1).evaluatedCells[0][0], QString());
        document.switchToSheet(1);
        QCOMPARE(document.evaluatedCell(0, 0), QStringLiteral("#NAME?"));
    }

    void unknownReferencesShowCachedValue_data()
    {
        QTest::addColumn<QByteArray>("formula");
        QTest::addColumn<QByteArray>("cached"); // "-": no cached value
        QTest::addColumn<QString>("display");
        QTest::newRow("absolute reference") << QByteArray("SUM($A$1)") << QByteArray("7") << "7";
        QTest::newRow("sheet prefix") << QByteArray("SUM(Sheet2!A1:A3)") << QByteArray("6") << "6";
        QTest::newRow("whole column") << QByteArray("SUM(A:A)") << QByteArray("5") << "5";
        QTest::newRow("whole rows") << QByteArray("AVERAGE(1:2)") << QByteArray("4") << "4";
        QTest::newRow("joined from another sheet") << QByteArray("TEXTJOIN(\",\",TRUE,Other!A1:A2)") << QByteArray("p,q") << "p,q";
        QTest::newRow("without cached value") << QByteArray("SUM($A$1)") << QByteArray("-") << "#VALUE!";
        QTest::newRow("known references still computed") << QByteArray("SUM(A1,A1)") << QByteArray("99") << "4";
        QTest::newRow("quoted delimiter is no reference") << QByteArray("TEXTJOIN(\"!\",TRUE,A1:A2)") << QByteArray("x") << "2";
        QTest::newRow("too few arguments stays an error") << QByteArray("TEXTJOIN($A$1,TRUE)") << QByteArray("9") << "#ARG!";
    }

    void unknownReferencesShowCachedValue()
    {
        QFETCH(QByteArray, formula);
        QFETCH(QByteArray, cached);
        QFETCH(QString, display);
        const auto escaped = [](const QByteArray &text) { return QString::fromUtf8(text).toHtmlEscaped().toUtf8(); };
        const QByteArray value = cached == "-" ? QByteArray() : "<v>" + escaped(cached) + "</v>";
        const QString path = save(onePackage(worksheet("<row r=\"1\"><c r=\"A1\"><v>2</v></c>"
                                                       "<c r=\"B1\"><f>" + escaped(formula) + "</f>" + value + "</c></row>")));
        ExcelDocument document;
        ExcelError error;
        QVERIFY2(document.importXLSX(path, &error), qPrintable(error.message));
        QCOMPARE(document.evaluatedCell(0, 1), display);
    }

    void temporaryFoldersRemoved()
    {
        const QStringList leftovers = temporaryLeftovers(m_dir.path());
        QVERIFY2(leftovers.isEmpty(), qPrintable(leftovers.join(u',')));
    }
};

int main(int argc, char **argv)
{
    return runWithPrivateTemporaryDirectory<TestXlsxReader>(argc, argv);
}

#include "tst_xlsxreader.moc"
