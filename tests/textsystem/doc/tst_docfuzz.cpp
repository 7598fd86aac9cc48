// Seeded mutation fuzzing of the Word 97 reader, on whole files and on the
// streams inside them (so the container stays sound and the damage reaches
// the document's own structures). An input that fails is left in the
// folder printed at start; keep it under tests/data/doc/fuzz-regressions/,
// where every file is read again on each run.

#include "textsystem/doc/DocTestStreams.h"

#include "support/FuzzMutator.h"
#include "textsystem/doc/DocReader.h"
#include "textsystem/doc/DocWriter.h"

#include <QTemporaryDir>
#include <QtTest>

class TestDocFuzz : public QObject
{
    Q_OBJECT

private:
    void readOne(const QByteArray &file)
    {
        // Kept until the next input, so a crash leaves it behind.
        QFile current(m_work.filePath("current.doc"));
        if (current.open(QIODevice::WriteOnly | QIODevice::Truncate))
            current.write(file);
        current.close();
        QString error;
        const auto text = DocReader::read(file, &error);
        if (!text)
            QVERIFY(!error.isEmpty());
    }

    QList<QByteArray> seeds()
    {
        QList<QByteArray> files;
        for (const QString &path : fuzzFilesIn(QStringLiteral(MORVANE_TEST_DATA_DIR "/doc/seeds")))
            files << fuzzReadAll(path);
        StyledText ours;
        TextAttributes link;
        link.link = QUrl("https://example.com/");
        ours.append("Ours, with a ");
        ours.append("link", link);
        ours.append("\nand a second paragraph");
        files << DocWriter::write(ours);
        return files;
    }

    QTemporaryDir m_work;

private slots:
    void initTestCase()
    {
        qInfo().noquote() << "fuzz seed" << fuzzSeed() << "- inputs are written to" << m_work.path();
    }

    void regressions()
    {
        for (const QString &path : fuzzFilesIn(QStringLiteral(MORVANE_TEST_DATA_DIR "/doc/fuzz-regressions")))
            readOne(fuzzReadAll(path));
    }

    void streamMutations()
    {
        QList<DocTestStreams> documents;
        for (const QByteArray &seed : seeds())
            documents << DocTestStreams::of(seed);
        QVERIFY(documents.size() >= 4);
        Mutator mutator(fuzzSeed());
        const int runs = fuzzFor(400, [&](int) {
            DocTestStreams streams = documents[mutator.bounded(int(documents.size()))];
            const int edits = 1 + mutator.bounded(2);
            for (int i = 0; i < edits; ++i) {
                auto &[name, bytes] = streams.streams[mutator.bounded(int(streams.streams.size()))];
                bytes = mutator.mutate(bytes);
            }
            readOne(streams.container());
        });
        qInfo() << runs << "documents with mutated streams read";
    }

    void fileMutations()
    {
        const QList<QByteArray> files = seeds();
        Mutator mutator(fuzzSeed() + 1);
        const int runs = fuzzFor(400, 
            [&](int) { readOne(mutator.mutate(files[mutator.bounded(int(files.size()))])); });
        qInfo() << runs << "mutated files read";
    }
};

QTEST_GUILESS_MAIN(TestDocFuzz)
#include "tst_docfuzz.moc"
