// Seeded mutation fuzzing of the compound file reader on Word documents:
// every stream of a mutated container is read. An input that fails is left
// in the folder printed at start; keep it under
// tests/data/compoundfile/fuzz-regressions/.

#include "platform/CompoundFileReader.h"
#include "support/FuzzMutator.h"

#include <QTemporaryDir>
#include <QtTest>

class TestCompoundFileFuzz : public QObject
{
    Q_OBJECT

private:
    void readOne(const QByteArray &file)
    {
        QFile current(m_work.filePath("current.cfb"));
        if (current.open(QIODevice::WriteOnly | QIODevice::Truncate))
            current.write(file);
        current.close();
        QString error;
        const auto reader = CompoundFileReader::open(file, &error);
        if (!reader) {
            QVERIFY(!error.isEmpty());
            return;
        }
        for (const QString &path : reader->streamPaths()) {
            QString streamError;
            const auto bytes = reader->stream(path, &streamError);
            QVERIFY(bytes ? bytes->size() <= file.size() : !streamError.isEmpty());
        }
    }

    QTemporaryDir m_work;

private slots:
    void initTestCase()
    {
        qInfo().noquote() << "fuzz seed" << fuzzSeed() << "- inputs are written to" << m_work.path();
    }

    void regressions()
    {
        for (const QString &path : fuzzFilesIn(QStringLiteral(MORVANE_TEST_DATA_DIR "/compoundfile/fuzz-regressions")))
            readOne(fuzzReadAll(path));
    }

    void mutations()
    {
        QList<QByteArray> seeds;
        for (const QString &path : fuzzFilesIn(QStringLiteral(MORVANE_TEST_DATA_DIR "/doc/seeds")))
            seeds << fuzzReadAll(path);
        QVERIFY(seeds.size() >= 3);
        Mutator mutator(fuzzSeed());
        const int runs = fuzzFor(400, [&](int) {
            // Most damage goes where the structures are: the header and the
            // sectors of the FAT and directory, near the end of these files.
            QByteArray file = seeds[mutator.bounded(int(seeds.size()))];
            readOne(mutator.mutate(file));
        });
        qInfo() << runs << "mutated containers read";
    }
};

QTEST_GUILESS_MAIN(TestCompoundFileFuzz)
#include "tst_compoundfilefuzz.moc"
