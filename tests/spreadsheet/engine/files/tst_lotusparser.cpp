#include "platform/TextEncoding.h"
#include "spreadsheet/engine/document/ExcelDocument.h"
#include "spreadsheet/engine/document/WorkbookFiles.h"
#include "spreadsheet/engine/files/LotusParser.h"
#include "support/PeakMemory.h"

#include <QDir>
#include <QElapsedTimer>
#include <QtEndian>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>

#include <sys/stat.h>

namespace {

QByteArray uint16(int value)
{
    return QByteArray(1, char(value & 0xFF)) + char((value >> 8) & 0xFF);
}

QByteArray record(int opcode, const QByteArray &body)
{
    return uint16(opcode) + uint16(int(body.size())) + body;
}

QByteArray address(int row, int col)
{
    return QByteArray(1, '\0') + uint16(col) + uint16(row);
}

QByteArray label(int row, int col, const QByteArray &text)
{
    return record(0x0F, address(row, col) + text + '\0');
}

QByteArray number(int row, int col, double value)
{
    char bytes[8];
    std::memcpy(bytes, &value, 8); // the build machines are little-endian
    return record(0x0E, address(row, col) + QByteArray(bytes, 8));
}

QByteArray integer(int row, int col, int value)
{
    return record(0x0D, address(row, col) + uint16(value & 0xFFFF));
}

const QByteArray beginning = record(0x00, uint16(0x0406));
const QByteArray ending = record(0x01, {});

} // namespace

using Cells = QList<LotusCell>;

class TestLotusParser : public QObject
{
    Q_OBJECT

private:
    QString writeFile(const QString &name, const QByteArray &data)
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return {};
        file.write(data);
        return path;
    }

    QTemporaryDir m_dir;

private slots:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<Cells>("cells");
        QTest::newRow("label with apostrophe prefix")
            << QByteArray::fromHex("0f000900" "000200030027414200") << Cells{{3, 2, "AB"}};
        QTest::newRow("caret alone is empty") << label(0, 0, "^") << Cells{{0, 0, ""}};
        QTest::newRow("other prefixes removed")
            << label(0, 0, "\"r") + label(0, 1, "\\c") + label(0, 2, "'l") << Cells{{0, 0, "r"}, {0, 1, "c"}, {0, 2, "l"}};
        QTest::newRow("vertical bar kept") << label(0, 0, "|x") << Cells{{0, 0, "|x"}};
        QTest::newRow("only one prefix removed") << label(0, 0, "''x") << Cells{{0, 0, "'x"}};
        QTest::newRow("shift-jis text") << label(1, 1, "'" + *TextEncoding::encodeCp932("日本語")) << Cells{{1, 1, "日本語"}};
        QTest::newRow("utf-8 text that is not shift-jis")
            << label(0, 0, QString("'café’").toUtf8()) << Cells{{0, 0, "café’"}};
        QTest::newRow("invalid everywhere is replaced") << label(0, 0, "'\x80x") << Cells{{0, 0, "\uFFFDx"}};
        QTest::newRow("cut at the zero byte before decoding")
            << record(0x0F, address(0, 0) + "'\x93\xFA" + '\0' + "\x82") << Cells{{0, 0, "日"}};
        QTest::newRow("label without zero byte") << record(0x0F, address(0, 0) + "'A") << Cells{{0, 0, "A"}};
        QTest::newRow("integral number") << number(0, 0, 2.0) << Cells{{0, 0, "2"}};
        QTest::newRow("fractional number") << number(0, 0, 2.5) << Cells{{0, 0, "2.5"}};
        QTest::newRow("date serial") << number(0, 0, 45000) << Cells{{0, 0, "45000"}};
        QTest::newRow("negative integral number") << number(0, 0, -3) << Cells{{0, 0, "-3"}};
        QTest::newRow("negative zero keeps its sign") << number(0, 0, -0.0) << Cells{{0, 0, "-0"}};
        QTest::newRow("integral number beyond 64 bits") << number(0, 0, 1e20) << Cells{{0, 0, "100000000000000000000"}};
        QTest::newRow("large integral number") << number(0, 0, 1e15) << Cells{{0, 0, "1000000000000000"}};
        QTest::newRow("tiny number") << number(0, 0, 1e-5) << Cells{{0, 0, "1e-05"}};
        QTest::newRow("infinity") << number(0, 0, -qInf()) << Cells{{0, 0, "-inf"}};
        QTest::newRow("not a number") << number(0, 0, qQNaN()) << Cells{{0, 0, "nan"}};
        QTest::newRow("integer minus one") << QByteArray::fromHex("0d000700" "0000000000ffff") << Cells{{0, 0, "-1"}};
        QTest::newRow("integer") << integer(4, 7, 300) << Cells{{4, 7, "300"}};
        QTest::newRow("largest address") << integer(65535, 65535, 1) << Cells{{65535, 65535, "1"}};
        QTest::newRow("short bodies skipped, walk goes on")
            << record(0x0F, address(0, 0)) + record(0x0E, address(0, 0) + QByteArray(7, '\0'))
                   + record(0x0D, address(0, 0) + '\x01') + integer(1, 1, 5)
            << Cells{{1, 1, "5"}};
        QTest::newRow("other records skipped, walk goes on after the end record")
            << beginning + record(0x96, "xyz") + ending + integer(0, 0, 1) << Cells{{0, 0, "1"}};
        QTest::newRow("body past the end stops the walk")
            << integer(0, 0, 1) + uint16(0x0D) + uint16(200) + QByteArray(10, '\0') << Cells{{0, 0, "1"}};
        QTest::newRow("three bytes") << QByteArray("\x0d\x00\x07", 3) << Cells{};
        QTest::newRow("empty") << QByteArray() << Cells{};
        QTest::newRow("later record kept in order") << integer(0, 0, 1) + integer(0, 0, 2) << Cells{{0, 0, "1"}, {0, 0, "2"}};
    }

    void parse()
    {
        QFETCH(QByteArray, data);
        QFETCH(Cells, cells);
        QCOMPARE(LotusParser().parse(data), cells);
    }

    void readUInt64LE_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("offset");
        QTest::addColumn<quint64>("value");
        const QByteArray bytes = QByteArray::fromHex("0102030405060708ff");
        QTest::newRow("at start") << bytes << 0 << Q_UINT64_C(0x0807060504030201);
        QTest::newRow("last full word") << bytes << 1 << Q_UINT64_C(0xff08070605040302);
        QTest::newRow("fewer than eight bytes") << bytes << 2 << Q_UINT64_C(0);
        QTest::newRow("negative offset") << bytes << -1 << Q_UINT64_C(0);
        QTest::newRow("past the end") << bytes << 100 << Q_UINT64_C(0);
    }

    void readUInt64LE()
    {
        QFETCH(QByteArray, data);
        QFETCH(int, offset);
        QFETCH(quint64, value);
        QCOMPARE(LotusParser::readUInt64LE(data, offset), value);
    }

    void importGrowsGrid_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("text"); // at (row, col) after the import
        QTest::newRow("inside the sheet") << beginning + label(3, 2, "'AB") << 100 << 50 << 3 << 2 << "AB";
        QTest::newRow("beyond grows the grid") << beginning + integer(149, 60, 7) << 150 << 61 << 149 << 60 << "7";
        QTest::newRow("up to the readers' limit") << beginning + integer(999, 199, 7) << 1000 << 200 << 999 << 199 << "7";
        QTest::newRow("beyond the limit dropped")
            << beginning + integer(1000, 0, 7) + integer(0, 200, 8) + integer(0, 0, 9) << 100 << 50 << 0 << 0 << "9";
        QTest::newRow("later record overwrites") << beginning + integer(0, 0, 1) + label(0, 0, "'two") << 100 << 50 << 0 << 0 << "two";
    }

    void importGrowsGrid()
    {
        QFETCH(QByteArray, data);
        QFETCH(int, rows);
        QFETCH(int, columns);
        QFETCH(int, row);
        QFETCH(int, col);
        QFETCH(QString, text);
        ExcelDocument document;
        document.setCell(5, 5, QStringLiteral("old"));
        document.setCellStyle(QStringLiteral("F6"), {true, false, std::nullopt, std::nullopt});
        ExcelError error;
        QVERIFY2(document.importLotus(writeFile(QStringLiteral("grid.wk1"), data), &error), qPrintable(error.message));
        QCOMPARE(document.rowCount(), rows);
        QCOMPARE(document.columnCount(), columns);
        QCOMPARE(document.cell(row, col), text);
        QCOMPARE(document.evaluatedCell(row, col), text);
        QCOMPARE(document.cell(5, 5), QString());
        QVERIFY(document.cellStyles().isEmpty());
        QCOMPARE(document.evaluatedCells().size(), rows);
    }

    void importSavedCsv_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QStringList>("firstRow");
        QTest::newRow("shift-jis csv") << "book.wk1" << *TextEncoding::encodeCp932("名前,値\nA,1\n") << QStringList{"名前", "値"};
        QTest::newRow("utf-8 csv") << "book.WK1" << QString("😀,x\n").toUtf8() << QStringList{"😀", "x"};
        // The save falls back to UTF-8 for text CP932 cannot hold; these bytes
        // are also valid CP932 (half-width katakana), which must not win.
        QTest::newRow("utf-8 csv that also decodes as cp932")
            << "accents.wk1" << QString("café,Größe\n").toUtf8() << QStringList{"café", "Größe"};
        QTest::newRow("empty file") << "empty.wk1" << QByteArray() << QStringList{"", ""};
        QTest::newRow("worksheet with beginning record")
            << "real.wk1" << beginning + label(0, 1, "'x") << QStringList{"", "x"};
    }

    void importSavedCsv()
    {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, data);
        QFETCH(QStringList, firstRow);
        ExcelDocument document;
        document.setCell(0, 0, QStringLiteral("old"));
        ExcelError error;
        QVERIFY2(document.importLotus(writeFile(fileName, data), &error), qPrintable(error.message));
        QCOMPARE(document.cells().at(0).mid(0, 2), firstRow);
    }

    void importFixtures_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QList<QStringList>>("rows"); // the first rows, first two columns
        QTest::newRow("worksheet") << "sample.wk1"
                                   << QList<QStringList>{{"Item", "Price"}, {"りんご", "120.5"}, {"Pear", "-300"}, {"", ""}};
        QTest::newRow("csv text saved as wk1") << "saved-as-csv.wk1"
                                               << QList<QStringList>{{"品名", "価格"}, {"りんご", "120"}, {"", ""}};
    }

    void importFixtures()
    {
        QFETCH(QString, file);
        QFETCH(QList<QStringList>, rows);
        ExcelDocument document;
        ExcelError error;
        QVERIFY2(document.importLotus(QStringLiteral(MORVANE_TEST_DATA_DIR "/lotus/") + file, &error),
                 qPrintable(error.message));
        for (int r = 0; r < rows.size(); ++r)
            QCOMPARE(document.cells().at(r).mid(0, 2), rows[r]);
    }

    // A 250 MB worksheet of INTEGER records took 1.97 GB: every record was
    // kept in a list before the grid dropped most of them. A million
    // records (11 MB) now cost about the file and the grid.
    void manyRecordsCostTheFileNotARecordEach()
    {
        QByteArray data = beginning;
        QByteArray one = integer(0, 0, 0);
        data.reserve(data.size() + one.size() * 1000000);
        for (int i = 0; i < 1000000; ++i) {
            qToLittleEndian(quint16(i % 300), one.data() + 5);
            qToLittleEndian(quint16(i % 2000), one.data() + 7);
            qToLittleEndian(quint16(i & 0x7FFF), one.data() + 9);
            data += one;
        }
        const QString path = writeFile(QStringLiteral("records.wk1"), data);
        data = QByteArray();
        ExcelDocument document;
        ExcelError error;
        bool imported = false;
        const auto growth = PeakMemory::growthDuring([&] { imported = document.importLotus(path, &error); });
        if (!growth)
            QSKIP("the kernel's peak memory mark cannot be reset here");
        QVERIFY2(imported, qPrintable(error.message));
        QCOMPARE(document.rowCount(), 1000);
        QCOMPARE(document.cell(999, 199), QStringLiteral("11959")); // the last of its records: i = 994999
        QVERIFY2(*growth < qint64(64) << 20, qPrintable(QString::number(*growth >> 20) + " MB"));
    }

    void oversizedFileIsRefused()
    {
        QFile file(m_dir.filePath(QStringLiteral("huge.wk1")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.write(beginning) == beginning.size());
        QVERIFY(file.resize(ExcelDocument::maxLotusFileSize + 1)); // sparse: nothing is read
        file.close();
        ExcelDocument document;
        document.setCell(0, 0, QStringLiteral("kept"));
        ExcelError error;
        QVERIFY(!document.importLotus(file.fileName(), &error));
        QVERIFY2(error.message.contains(file.fileName()) && error.message.contains(QStringLiteral("too large")),
                 qPrintable(error.message));
        QCOMPARE(document.cell(0, 0), QStringLiteral("kept"));
    }

    // Only a worksheet with its beginning record, or this program's own CSV
    // text saved as .wk1, opens; anything else is refused before the document
    // changes.
    void notAWorksheetIsRefused_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("random bytes as 123") << "noise.123" << QByteArray("\x13\x9a\x00\xff\x42\x07\x00\x01", 8);
        QTest::newRow("text as 123") << "book.123" << QByteArray("a,b\n");
        QTest::newRow("random bytes as wk1") << "noise.wk1" << QByteArray("\x13\x9a\x00\xff\x42\x07\x00\x01", 8);
        QTest::newRow("text with a NUL as wk1") << "nul.wk1" << QByteArray("a,b\0c\n", 6);
        QTest::newRow("empty 123") << "empty.123" << QByteArray();
    }

    void notAWorksheetIsRefused()
    {
        QFETCH(QString, fileName);
        QFETCH(QByteArray, data);
        ExcelDocument document;
        document.setCell(0, 0, QStringLiteral("kept"));
        document.addObject(ExcelObjectType::Rectangle);
        ExcelError error;
        QVERIFY(!document.importLotus(writeFile(fileName, data), &error));
        QVERIFY2(error.message.contains(QStringLiteral("not a Lotus 1-2-3 worksheet")), qPrintable(error.message));
        QCOMPARE(document.cell(0, 0), QStringLiteral("kept"));
        QCOMPARE(document.objects().size(), 1);
    }

    // A link to a device would be read without end and a FIFO would hold
    // the window until someone writes to it: only regular files are read.
    void nonRegularFilesAreRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        for (const char *name : {"zero.csv", "zero.wk1", "zero.123", "zero.xlsx"})
            QTest::newRow(name) << name << "link to /dev/zero";
        for (const char *name : {"pipe.csv", "pipe.wk1", "pipe.xlsx"})
            QTest::newRow(name) << name << "fifo";
        QTest::newRow("folder.csv") << "folder.csv" << "folder";
    }

    void nonRegularFilesAreRefused()
    {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        const QString path = m_dir.filePath(name);
        if (kind == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind == QLatin1String("folder"))
            QVERIFY(QDir(m_dir.path()).mkdir(name));
        else
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        ExcelDocument document;
        document.setCell(0, 0, QStringLiteral("kept"));
        QString error;
        QElapsedTimer timer;
        timer.start();
        QVERIFY(!WorkbookFiles::open(document, path, &error));
        QVERIFY(timer.elapsed() < 2000);
        QVERIFY2(error.contains(path) && error.contains(QStringLiteral("not a regular file")), qPrintable(error));
        QCOMPARE(document.cell(0, 0), QStringLiteral("kept"));
    }

    void unreadableFileChangesNothing()
    {
        ExcelDocument document;
        document.setCell(0, 0, QStringLiteral("kept"));
        ExcelError error;
        QVERIFY(!document.importLotus(m_dir.filePath(QStringLiteral("missing.wk1")), &error));
        QVERIFY(error.message.contains(QStringLiteral("missing.wk1")));
        QCOMPARE(document.cell(0, 0), QStringLiteral("kept"));
    }
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    TestLotusParser test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_lotusparser.moc"
