// Seeded mutation fuzzing of the presentation package reader, from the golden
// package and the Impress-made fixture: a fixed number of cases in the suite;
// set MORVANE_FUZZ_SECONDS (per target)
// and MORVANE_FUZZ_SEED to search longer. An input that crashes is left at
// the path printed at start; keep it under
// tests/data/presentation/fuzz-regressions/, read again on each run.

#include "PptxTestPackage.h"
#include "support/FuzzMutator.h"

#include "presentation/document/PowerPointDocument.h"
#include "presentation/document/PptxReader.h"
#include "presentation/document/SlidePartReader.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace PptxTestPackage;

namespace {

const QList<QByteArray> xmlTokens = {
    "<p:sp>", "</p:sp>", "<p:sp/>", "<p:spTree>", "</p:spTree>", "<p:spTree/>", "<p:cSld>", "</p:cSld>",
    "<p:sldId/>", "<p:sldIdLst>", "</p:sldIdLst>", "<p:x>nan</p:x>", "<p:x>1e999</p:x>", "<p:y>-1e308</p:y>",
    "<p:animOrder>9223372036854775807</p:animOrder>", "<p:animOrder>-9223372036854775809</p:animOrder>",
    "<p:animOrder>2.5</p:animOrder>", "<p:type>円</p:type>", "<p:animType>ズーム</p:animType>",
    "<p:text>  </p:text>", "<p:title/>", "<p:nvGrpSpPr/>", "<p:spPr/>", "&#0;", "&#1;", "&#10;", "&amp;",
    "&unknown;", "<![CDATA[", "]]>", "<!--", "-->", "<!DOCTYPE x [<!ENTITY e \"e\">]>", "\xEF\xBB\xBF", "\xC3\x28",
    "\0",
};

QString goldenArchive(const QString &folder)
{
    const QString path = folder + QStringLiteral("/golden.pptx");
    TestPackageParts::zip(readFolder(QStringLiteral(MORVANE_TEST_DATA_DIR "/presentation/golden")), path);
    return path;
}

const QString foreignFixture = QStringLiteral(MORVANE_TEST_DATA_DIR "/presentation/impress-three-slides.pptx");

} // namespace

class TestPptxReaderFuzz : public QObject
{
    Q_OBJECT

private:
    // Reads `data` as a package, now and then into a document: either the
    // document takes the slides read or stays exactly as it was.
    void readPackage(const QByteArray &data)
    {
        const QString path = m_work.filePath(QStringLiteral("current.pptx"));
        QVERIFY(fuzzWriteInput(path, data));
        if (++m_reads % 8 != 0) {
            PresentationError error;
            if (const auto slides = PptxReader::read(path, &error)) {
                QVERIFY(!slides->isEmpty() && slides->size() <= PptxReader::maxSlideCount);
                for (const Slide &slide : *slides)
                    QVERIFY(slide.hasFiniteNumbers() && slide.objects.size() <= SlidePartReader::maxObjectCount);
            } else {
                QVERIFY(!error.message.isEmpty());
            }
            return;
        }
        PowerPointDocument document;
        const QList<Slide> before = document.slides();
        PresentationError error;
        if (document.importPPTX(path, &error)) {
            QVERIFY(document.slideCount() > 0);
            QCOMPARE(document.currentSlideIndex(), 0);
        } else {
            QVERIFY(!error.message.isEmpty());
            QVERIFY(document.slides() == before);
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

    void regressions()
    {
        for (const QString &file : fuzzFilesIn(QStringLiteral(MORVANE_TEST_DATA_DIR "/presentation/fuzz-regressions")))
            readPackage(fuzzReadAll(file));
    }

    void partMutations()
    {
        const QList<Parts> seeds = {unzip(goldenArchive(m_work.path())), unzip(foreignFixture)};
        QVERIFY(!seeds[0].isEmpty() && !seeds[1].isEmpty());
        Mutator mutator(fuzzSeed());
        const int runs = fuzzFor(60, [&](int) {
            Parts parts = seeds[mutator.bounded(int(seeds.size()))];
            const QStringList names = parts.keys();
            const int edits = 1 + mutator.bounded(2);
            for (int i = 0; i < edits; ++i) {
                // Mostly the parts the reader reads.
                QString name = names[mutator.bounded(int(names.size()))];
                if (mutator.bounded(3) > 0)
                    name = mutator.bounded(2) ? QStringLiteral("ppt/presentation.xml") : QStringLiteral("ppt/slides/slide1.xml");
                parts[name] = mutator.mutate(parts[name], xmlTokens);
            }
            const QString archive = m_work.filePath(QStringLiteral("mutated.pptx"));
            QFile::remove(archive);
            QVERIFY(TestPackageParts::zip(parts, archive));
            readPackage(fuzzReadAll(archive));
        });
        qInfo() << runs << "mutated packages read";
        checkTemporaryDirectoryClean();
    }

    void archiveMutations()
    {
        const QList<QByteArray> seeds = {fuzzReadAll(goldenArchive(m_work.path())), fuzzReadAll(foreignFixture)};
        Mutator mutator(fuzzSeed() + 1);
        const int runs = fuzzFor(800, [&](int) { readPackage(mutator.mutate(seeds[mutator.bounded(int(seeds.size()))], {})); });
        qInfo() << runs << "mutated archives read";
        checkTemporaryDirectoryClean();
    }
};

// The temporary directory is a private one, so the test sees every folder
// or file a read leaves behind.
int main(int argc, char **argv)
{
    static QTemporaryDir temporary; // outlives the process's scratch folder
    QDir(temporary.path()).mkdir(QStringLiteral("tmp"));
    qputenv("TMPDIR", (temporary.path() + QStringLiteral("/tmp")).toLocal8Bit());
    QCoreApplication app(argc, argv);
    TestPptxReaderFuzz test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_pptxreaderfuzz.moc"
