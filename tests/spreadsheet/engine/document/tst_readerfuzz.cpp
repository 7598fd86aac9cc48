// Seeded mutation fuzzing of the XLSX and Lotus readers. The suite runs a
// fixed number of cases per target with a fixed seed; set MORVANE_FUZZ_SECONDS
// (per target) and MORVANE_FUZZ_SEED to search longer. An input that crashes is left at the
// path printed at start; keep it under tests/data/<format>/fuzz-regressions/,
// where every file is read again on each run.

#include "spreadsheet/engine/xlsx/XlsxTestPackage.h"
#include "support/FuzzMutator.h"

#include "spreadsheet/engine/document/ExcelDocument.h"
#include "spreadsheet/engine/files/LotusParser.h"
#include "spreadsheet/engine/xlsx/XlsxReader.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace XlsxTestPackage;

namespace {

const QList<QByteArray> xmlTokens = {
    "<c r=\"GR1000\">", "<c r=\"GS1\">", "<c r=\"b3\" s=\"1\">", "</c>", "<v>1e999</v>", "<v>-1</v>",
    "<f>", "</f>", "<f/>", "t=\"s\"", "t=\"inlineStr\"", "t=\"b\"", "s=\"99999999999999999999\"",
    "s=\"-1\"", "<is><r><t>x</t></r></is>", "<si><r><t> a </t></r></si>", "<row r=\"0\">",
    "<mergeCell ref=\"B2:A1\"/>", "<mergeCell ref=\"A1:GR1000\"/>", "&#0;", "&#1;", "&amp;", "&unknown;",
    "<![CDATA[", "]]>", "<!--", "-->", "<?x?>", "<!DOCTYPE x [<!ENTITY e \"e\">]>", "val=\"0\"", "<b/>",
    "<i val=\"false\"/>", "rgb=\"#GG\"", "rgb=\"\"", "patternType=\"solid\"", "sheetId=\"-1\"",
    "r:id=\"rId1\"", "Target=\"../../x.xml\"", "Target=\"/xl/worksheets/sheet1.xml\"",
    "Target=\"worksheets/%2e%2e/%2e%2e/x\"", "fontId=\"0\"", "fillId=\"2\"", "\xEF\xBB\xBF", "\xFF\xFE",
    "\xC3\x28", "\xE3\x80\x80", "\0",
};

} // namespace

class TestReaderFuzz : public QObject
{
    Q_OBJECT

private:
    // Reads `data` as an XLSX file, now and then through a document: either
    // the document takes the whole workbook or it stays exactly as it was.
    void readPackage(const QByteArray &data)
    {
        const QString path = m_work.filePath(QStringLiteral("current.xlsx"));
        QVERIFY(fuzzWriteInput(path, data));
        if (++m_reads % 8 != 0) {
            ExcelError error;
            if (const auto sheets = XlsxReader::read(path, &error)) {
                for (const ExcelSheet &sheet : *sheets)
                    QVERIFY(sheet.cells.size() <= ExcelDocument::maxRowCount);
            } else {
                QVERIFY(!error.message.isEmpty());
            }
            return;
        }
        ExcelDocument document;
        document.setCell(0, 0, QStringLiteral("before"));
        document.saveCurrentSheet();
        const QList<ExcelSheet> before = document.sheets();
        ExcelError error;
        if (document.importXLSX(path, &error)) {
            QVERIFY(!document.sheets().isEmpty());
            QVERIFY(document.rowCount() <= ExcelDocument::maxRowCount);
            QVERIFY(document.columnCount() <= ExcelDocument::maxColumnCount);
        } else {
            QVERIFY(!error.message.isEmpty());
            QCOMPARE(document.sheets(), before);
        }
    }

    void checkTemporaryDirectoryClean()
    {
        const QStringList leftovers = temporaryLeftovers(m_work.path());
        QVERIFY2(leftovers.isEmpty(), qPrintable(leftovers.join(u',')));
    }

    QTemporaryDir m_work;
    int m_reads = 0;

private slots:
    void initTestCase()
    {
        qInfo().noquote() << "fuzz seed" << fuzzSeed() << "- inputs are written to" << m_work.path();
    }

    void xlsxRegressions()
    {
        for (const QString &file : fuzzFilesIn(QStringLiteral(MORVANE_TEST_DATA_DIR "/xlsx/fuzz-regressions")))
            readPackage(fuzzReadAll(file));
        checkTemporaryDirectoryClean();
    }

    void xlsxPartMutations()
    {
        QList<Parts> seeds;
        for (const QString &file : fuzzFilesIn(QStringLiteral(MORVANE_TEST_DATA_DIR "/xlsx/seeds")))
            seeds << unzip(file);
        QVERIFY(seeds.size() >= 5);
        Mutator mutator(fuzzSeed());
        const int runs = fuzzFor(60, [&](int) {
            Parts parts = seeds[mutator.bounded(int(seeds.size()))];
            const QStringList names = parts.keys();
            const int edits = 1 + mutator.bounded(2);
            for (int i = 0; i < edits; ++i) {
                const QString name = names[mutator.bounded(int(names.size()))];
                parts[name] = mutator.mutate(parts[name], xmlTokens);
            }
            const QString archive = m_work.filePath(QStringLiteral("mutated.xlsx"));
            QFile::remove(archive);
            QVERIFY(TestPackageParts::zip(parts, archive));
            readPackage(fuzzReadAll(archive));
        });
        qInfo() << runs << "mutated packages read";
        checkTemporaryDirectoryClean();
    }

    void xlsxArchiveMutations()
    {
        QList<QByteArray> seeds;
        for (const QString &file : fuzzFilesIn(QStringLiteral(MORVANE_TEST_DATA_DIR "/xlsx/seeds")))
            seeds << fuzzReadAll(file);
        Mutator mutator(fuzzSeed() + 1);
        const int runs = fuzzFor(1000, [&](int) { readPackage(mutator.mutate(seeds[mutator.bounded(int(seeds.size()))], {})); });
        qInfo() << runs << "mutated archives read";
        checkTemporaryDirectoryClean();
    }

    void lotusMutations()
    {
        QList<QByteArray> seeds;
        for (const QString &file : fuzzFilesIn(QStringLiteral(MORVANE_TEST_DATA_DIR "/lotus")))
            seeds << fuzzReadAll(file);
        for (const QString &file : fuzzFilesIn(QStringLiteral(MORVANE_TEST_DATA_DIR "/lotus/fuzz-regressions")))
            seeds << fuzzReadAll(file);
        QVERIFY(seeds.size() >= 2);
        const QList<QByteArray> tokens = {QByteArray("\x0f\x00\xff\xff", 4), QByteArray("\x0e\x00\x0d\x00", 4),
                                          QByteArray("\x0d\x00\x07\x00", 4), QByteArray("\x00\x00\x02\x00\x06\x04", 6),
                                          QByteArray("\xe7\x03\xc7\x00", 4), QByteArray("\xff\xff\xff\xff", 4)};
        Mutator mutator(fuzzSeed() + 2);
        const QString path = m_work.filePath(QStringLiteral("current.wk1"));
        const int runs = fuzzFor(1500, [&](int run) {
            const QByteArray data = mutator.mutate(seeds[mutator.bounded(int(seeds.size()))], tokens);
            for (const LotusCell &cell : LotusParser().parse(data))
                QVERIFY(cell.row >= 0 && cell.row <= 0xFFFF && cell.col >= 0 && cell.col <= 0xFFFF);
            if (run % 16 == 0) { // the import, CSV path included, now and then
                QFile file(path);
                QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
                file.write(data);
                file.close();
                ExcelDocument document;
                document.setCell(0, 0, QStringLiteral("kept"));
                ExcelError error;
                if (!document.importLotus(path, &error)) { // not a worksheet: nothing changes
                    QCOMPARE(document.cell(0, 0), QStringLiteral("kept"));
                    return;
                }
                QVERIFY(document.rowCount() <= ExcelDocument::maxRowCount);
                QVERIFY(document.columnCount() <= ExcelDocument::maxColumnCount);
            }
        });
        qInfo() << runs << "mutated worksheets parsed";
    }
};

int main(int argc, char **argv)
{
    return runWithPrivateTemporaryDirectory<TestReaderFuzz>(argc, argv);
}

#include "tst_readerfuzz.moc"
