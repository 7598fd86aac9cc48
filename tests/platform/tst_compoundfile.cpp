#include "platform/CompoundFileLayout.h"
#include "platform/CompoundFileReader.h"
#include "platform/CompoundFileWriter.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace CompoundFileLayout;

namespace {

using Streams = QList<std::pair<QString, QByteArray>>;

QByteArray pattern(qsizetype size, int salt)
{
    QByteArray bytes(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char((i * 31 + salt * 7 + i / 251) & 0xFF);
    return bytes;
}

QByteArray container(const Streams &streams)
{
    CompoundFileWriter writer;
    for (const auto &[name, bytes] : streams) {
        if (!writer.addStream(name, bytes))
            qFatal("stream name refused");
    }
    return writer.toBytes();
}

quint32 get32(const QByteArray &bytes, qint64 at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

void set32(QByteArray &bytes, qint64 at, quint32 value)
{
    qToLittleEndian(value, bytes.data() + at);
}

qint64 sectorOffset(quint32 sector)
{
    return (qint64(sector) + 1) * 512;
}

qint64 directoryEntryOffset(const QByteArray &file, int entry)
{
    return sectorOffset(get32(file, FirstDirectorySectorField)) + entry * directoryEntrySize;
}

// The directory entry of `name` in a container that this writer made (one
// directory sector chain laid out contiguously).
int entryIndex(const QByteArray &file, const QString &name)
{
    for (int i = 0; i < 4 * (512 / directoryEntrySize); ++i) {
        const qint64 at = directoryEntryOffset(file, i);
        if (at + directoryEntrySize > file.size())
            break;
        const QString entryName = QString::fromUtf16(reinterpret_cast<const char16_t *>(file.constData() + at),
                                                     qMax(0, (qFromLittleEndian<quint16>(file.constData() + at + 64) / 2) - 1));
        if (entryName == name)
            return i;
    }
    return -1;
}

} // namespace

class TestCompoundFile : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data()
    {
        QTest::addColumn<Streams>("streams");
        QTest::newRow("no streams") << Streams{};
        QTest::newRow("empty stream") << Streams{{"Empty", {}}};
        QTest::newRow("mini sizes at sector edges")
            << Streams{{"a", pattern(1, 1)}, {"b", pattern(63, 2)}, {"c", pattern(64, 3)}, {"d", pattern(65, 4)}};
        QTest::newRow("either side of the mini cutoff")
            << Streams{{"Small", pattern(4095, 5)}, {"Large", pattern(4096, 6)}, {"Larger", pattern(4097, 7)}};
        QTest::newRow("Word streams") << Streams{{"WordDocument", pattern(5000, 8)}, {"1Table", pattern(900, 9)},
                                                 {QStringLiteral("\x05SummaryInformation"), pattern(300, 10)}};
        Streams many;
        for (int i = 0; i < 40; ++i)
            many << std::pair{QStringLiteral("Stream %1").arg(i), pattern(i * 97, i)};
        QTest::newRow("directory over several sectors") << many;
        QTest::newRow("non-Latin names") << Streams{{QStringLiteral("データ"), pattern(10, 11)}, {"Ünï", pattern(5000, 12)}};
        // More than 109 FAT sectors: the DIFAT needs sectors of its own.
        QTest::newRow("DIFAT sectors") << Streams{{"Big", pattern(8 * 1024 * 1024, 13)}, {"Tail", pattern(70, 14)}};
    }

    void roundTrip()
    {
        QFETCH(Streams, streams);
        const QByteArray file = container(streams);
        QCOMPARE(file.size() % 512, 0);
        QString error;
        const auto reader = CompoundFileReader::open(file, &error);
        QVERIFY2(reader, qPrintable(error));
        QCOMPARE(reader->streamPaths().size(), streams.size());
        for (const auto &[name, bytes] : streams) {
            const auto read = reader->stream(name, &error);
            QVERIFY2(read, qPrintable(error));
            QCOMPARE(read->size(), bytes.size());
            QVERIFY(*read == bytes);
            QVERIFY(reader->hasStream(name.toLower()));
        }
    }

    void siblingsListedInNameOrder()
    {
        const QByteArray file = container({{"bb", {}}, {"A", {}}, {"ccc", {}}, {"a2", {}}, {"B", {}}});
        QString error;
        const auto reader = CompoundFileReader::open(file, &error);
        QVERIFY2(reader, qPrintable(error));
        QCOMPARE(reader->streamPaths(), (QStringList{"A", "B", "a2", "bb", "ccc"}));
    }

    void streamNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("plain") << "1Table" << true;
        QTest::newRow("control prefix") << QStringLiteral("\x01" "CompObj") << true;
        QTest::newRow("31 units") << QString(31, u'x') << true;
        QTest::newRow("32 units") << QString(32, u'x') << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("slash") << "a/b" << false;
        QTest::newRow("backslash") << "a\\b" << false;
        QTest::newRow("colon") << "a:b" << false;
        QTest::newRow("exclamation") << "a!" << false;
        QTest::newRow("taken in another case") << "worddocument" << false;
    }

    void streamNames()
    {
        QFETCH(QString, name);
        QFETCH(bool, accepted);
        CompoundFileWriter writer;
        QVERIFY(writer.addStream(QStringLiteral("WordDocument"), "x"));
        QCOMPARE(writer.addStream(name, "y"), accepted);
        const auto reader = CompoundFileReader::open(writer.toBytes(), nullptr);
        QVERIFY(reader);
        QCOMPARE(reader->streamPaths().size(), accepted ? 2 : 1);
    }

    void rootClassIdIsStored()
    {
        CompoundFileWriter writer;
        const QByteArray classId = QByteArray::fromHex("0609020000000000c000000000000046");
        writer.setRootClassId(classId);
        const QByteArray file = writer.toBytes();
        QCOMPARE(file.mid(directoryEntryOffset(file, 0) + ClassIdField, 16), classId);
    }

    // Damage done to a sound container, each one an error with a message
    // (at open, or when the damaged stream is read), never a crash or hang.
    void hostileContainers_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("expected");
        const QByteArray sound = container({{"Large", pattern(6000, 1)}, {"Small", pattern(100, 2)}});
        const int large = entryIndex(sound, "Large");
        const int small = entryIndex(sound, "Small");
        QVERIFY(large > 0 && small > 0);
        const quint32 firstFatSector = get32(sound, HeaderDifatField);
        const quint32 largeStart = get32(sound, directoryEntryOffset(sound, large) + StartSectorField);

        QTest::newRow("not a container") << QByteArray("PK\x03\x04 not ole at all") << "not a compound document";
        QTest::newRow("empty") << QByteArray() << "not a compound document";
        QTest::newRow("header cut short") << sound.left(300) << "not a compound document";
        QByteArray file = sound;
        set32(file, SectorShiftField, 0x0010);
        QTest::newRow("unknown sector size") << file << "sector size";
        file = sound;
        set32(file, FatSectorCountField, 0x10000000);
        QTest::newRow("FAT count past the file") << file << "FAT sectors";
        file = sound + QByteArray(130 * 512, '\0');
        set32(file, FatSectorCountField, 120);
        set32(file, DifatSectorCountField, 1);
        set32(file, FirstDifatSectorField, 0xFFFFFFF0);
        QTest::newRow("DIFAT outside the file") << file << "DIFAT";
        file = sound + QByteArray(400 * 512, '\0');
        set32(file, FatSectorCountField, 300);
        set32(file, DifatSectorCountField, 2);
        const quint32 lastSector = quint32(file.size() / 512 - 2);
        set32(file, FirstDifatSectorField, lastSector);
        for (int i = 0; i < 127; ++i)
            set32(file, sectorOffset(lastSector) + 4 * i, firstFatSector);
        set32(file, sectorOffset(lastSector) + 508, lastSector);
        QTest::newRow("DIFAT chain loops") << file << "DIFAT";
        file = sound;
        set32(file, FirstDirectorySectorField, 0x00FFFFFF);
        QTest::newRow("directory outside the file") << file << "loops or leaves";
        file = sound;
        {
            const quint32 directory = get32(sound, FirstDirectorySectorField);
            set32(file, sectorOffset(firstFatSector) + 4 * directory, directory);
        }
        QTest::newRow("directory chain loops") << file << "loops or leaves";
        file = sound;
        file[directoryEntryOffset(file, 0) + TypeField] = char(StorageEntry);
        QTest::newRow("no root entry") << file << "no root entry";
        file = sound;
        set32(file, directoryEntryOffset(file, large) + LeftSiblingField, quint32(large));
        set32(file, directoryEntryOffset(file, large) + RightSiblingField, quint32(large));
        QTest::newRow("sibling points to itself") << file << "directory";
        file = sound;
        set32(file, directoryEntryOffset(file, small) + ChildField, 0);
        file[directoryEntryOffset(file, small) + TypeField] = char(StorageEntry);
        QTest::newRow("storage holds the root") << file << "directory";
        file = sound;
        set32(file, directoryEntryOffset(file, large) + LeftSiblingField, 5000);
        QTest::newRow("sibling past the directory") << file << "directory";
        file = sound;
        set32(file, directoryEntryOffset(file, large) + StreamSizeField, 0x7FFFFFFF);
        QTest::newRow("stream larger than the file") << file << "larger than its container";
        file = sound;
        set32(file, directoryEntryOffset(file, small) + StreamSizeField, 4000);
        QTest::newRow("mini stream entry past the mini stream") << file << "larger than its container";
        file = sound;
        set32(file, directoryEntryOffset(file, 0) + StreamSizeField, 0x7FFFFFF0);
        QTest::newRow("mini stream larger than the file") << file << "larger than the file";
        file = sound;
        set32(file, sectorOffset(firstFatSector) + 4 * largeStart, largeStart);
        QTest::newRow("stream chain loops") << file << "Large";
        file = sound;
        set32(file, sectorOffset(firstFatSector) + 4 * largeStart, endOfChain);
        QTest::newRow("stream chain ends early") << file << "Large";
        file = sound;
        set32(file, directoryEntryOffset(file, large) + StartSectorField, 0x00FFFFFF);
        QTest::newRow("stream starts outside the file") << file << "Large";
        file = sound;
        set32(file, directoryEntryOffset(file, small) + StartSectorField, 0x7FFFFFFF);
        QTest::newRow("mini stream chain outside the mini FAT") << file << "Small";
        file = sound;
        file.truncate(sectorOffset(largeStart) + 100);
        QTest::newRow("file cut inside a stream") << file << "";
    }

    void hostileContainers()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, expected);
        QString error;
        const auto reader = CompoundFileReader::open(file, &error);
        if (reader) {
            bool failed = false;
            for (const QString &path : reader->streamPaths()) {
                QString streamError;
                if (!reader->stream(path, &streamError)) {
                    QVERIFY(!streamError.isEmpty());
                    error = streamError;
                    failed = true;
                }
            }
            QVERIFY2(failed, "the damage went unnoticed");
        }
        QVERIFY(!error.isEmpty());
        QVERIFY2(error.contains(expected, Qt::CaseInsensitive), qPrintable(error));
    }

    void missingStreamIsAnError()
    {
        const auto reader = CompoundFileReader::open(container({{"One", "1"}}), nullptr);
        QVERIFY(reader);
        QString error;
        QVERIFY(!reader->stream(QStringLiteral("Two"), &error));
        QVERIFY(error.contains(QLatin1String("Two")));
    }

    // Another program's reader lists and extracts our streams unchanged.
    void peerReadsOurContainer()
    {
        const QString gsf = QStandardPaths::findExecutable(QStringLiteral("gsf"));
        if (gsf.isEmpty())
            QSKIP("gsf is not installed");
        QTemporaryDir folder;
        const Streams streams{{"WordDocument", pattern(9000, 1)}, {"1Table", pattern(700, 2)},
                              {"Data", pattern(64, 3)},           {"a", pattern(3, 4)},
                              {"Zeta stream", pattern(5000, 5)},  {"beta", {}}};
        const QString path = folder.filePath(QStringLiteral("ours.cfb"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(container(streams));
        file.close();
        QProcess list;
        list.start(gsf, {QStringLiteral("list"), path});
        QVERIFY(list.waitForFinished(30000));
        const QString listing = QString::fromUtf8(list.readAllStandardOutput());
        QCOMPARE(list.exitCode(), 0);
        for (const auto &[name, bytes] : streams) {
            QVERIFY2(listing.contains(name), qPrintable(listing));
            QProcess cat;
            cat.start(gsf, {QStringLiteral("cat"), path, name});
            QVERIFY(cat.waitForFinished(30000));
            QVERIFY2(cat.readAllStandardOutput() == bytes, qPrintable(name));
        }
    }
};

QTEST_GUILESS_MAIN(TestCompoundFile)
#include "tst_compoundfile.moc"
