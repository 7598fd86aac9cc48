#include "PptxTestPackage.h"
#include "support/UnzipToFolder.h"

#include "presentation/document/PowerPointDocument.h"
#include "presentation/document/PptxNumber.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace PptxTestPackage;

namespace {

// The two slides pinned by the golden package.
QList<Slide> goldenSlides()
{
    Slide first = Slide::withPlaceholders(1);
    first.objects[0].id = QUuid(QStringLiteral("0a1b2c3d-4e5f-4a6b-8c7d-9e0f1a2b3c4d"));
    SlideObject circle = SlideObject::inserted(SlideObjectType::Circle);
    circle.id = QUuid(QStringLiteral("fedcba98-7654-4321-abcd-ef0123456789"));
    circle.x = 12.5;
    circle.y = -0.0;
    circle.width = 1e16;
    circle.height = 0.1;
    circle.isItalic = true;
    circle.animationType = SlideAnimationType::SlideIn;
    circle.animationOrder = -3;
    first.objects[1] = circle;
    Slide second;
    second.title = QStringLiteral("\"A\" & <B>\nit's");
    second.bgColorHex = QStringLiteral("#00FF00");
    return {first, second};
}

} // namespace

class TestPptxWriter : public QObject
{
    Q_OBJECT

private:
    Parts write(const QList<Slide> &slides, const QString &fileName = QStringLiteral("deck.pptx"))
    {
        PowerPointDocument document;
        document.setSlides(slides);
        const QString path = m_dir.filePath(fileName);
        PresentationError error;
        if (!document.exportPPTX(path, &error)) {
            qWarning() << "export failed:" << error.message;
            return {};
        }
        return unzip(path);
    }

    QTemporaryDir m_dir;

private slots:
    void goldenPackage()
    {
        const Parts written = write(goldenSlides());
        const Parts golden = readFolder(QStringLiteral(MORVANE_TEST_DATA_DIR "/presentation/golden"));
        QCOMPARE(written.keys(), golden.keys());
        for (auto it = golden.cbegin(); it != golden.cend(); ++it)
            QCOMPARE(QString::fromUtf8(written.value(it.key())), QString::fromUtf8(it.value()));
    }

    void entriesAreStoredAtTheTopLevelContentTypesFirst()
    {
        const QString path = m_dir.filePath(QStringLiteral("entries.potx"));
        PowerPointDocument document;
        QVERIFY(document.exportPPTX(path, nullptr));
        QProcess unzipList;
        unzipList.start(QStringLiteral("python3"),
                        {QStringLiteral("-c"),
                         QStringLiteral("import sys,zipfile\nfor i in zipfile.ZipFile(sys.argv[1]).infolist(): "
                                        "print(i.filename, i.compress_type)"),
                         path});
        if (!unzipList.waitForFinished() || unzipList.exitCode() != 0)
            QSKIP("python3 with zipfile is not available");
        const QStringList lines = QString::fromUtf8(unzipList.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines, (QStringList{"[Content_Types].xml 0", "_rels/.rels 0", "ppt/_rels/presentation.xml.rels 0",
                                     "ppt/presentation.xml 0", "ppt/slides/slide1.xml 0"}));
    }

    void everyPartIsWellFormed()
    {
        const QString xmllint = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
        if (xmllint.isEmpty())
            QSKIP("xmllint is not installed");
        QList<Slide> slides = goldenSlides();
        slides[0].objects[0].text = QStringLiteral("tab\there, controls \x01\x1f dropped, CR\r, 𝄞, \xef\xbf\xbe");
        slides << Slide();
        const QString path = m_dir.filePath(QStringLiteral("lint.pptx"));
        PowerPointDocument document;
        document.setSlides(slides);
        QVERIFY(document.exportPPTX(path, nullptr));
        TemporaryFolder folder;
        QVERIFY(TestZip::unzipToFolder(path, folder.path(), nullptr));
        const Parts parts = readFolder(folder.path());
        QCOMPARE(parts.size(), 7);
        for (auto it = parts.cbegin(); it != parts.cend(); ++it) {
            QProcess lint;
            lint.start(xmllint, {QStringLiteral("--noout"), folder.filePath(it.key())});
            QVERIFY(lint.waitForFinished());
            QVERIFY2(lint.exitCode() == 0, qPrintable(it.key() + u' ' + lint.readAllStandardError()));
        }
    }

    void numberText_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("integral") << 50.0 << "50.0";
        QTest::newRow("fraction") << 12.5 << "12.5";
        QTest::newRow("negative zero") << -0.0 << "-0.0";
        QTest::newRow("shortest round trip") << 0.1 + 0.2 << "0.30000000000000004";
        QTest::newRow("large integral, fixed") << 1e15 << "1000000000000000.0";
        QTest::newRow("exponent keeps no point") << 1e16 << "1e+16";
        QTest::newRow("small exponent") << 1.5e-7 << "1.5e-07";
        QTest::newRow("negative") << -3.0 << "-3.0";
    }

    void numberText()
    {
        QFETCH(double, value);
        QTEST(PptxNumber::text(value), "text");
    }

    void existingFileIsReplacedOnlyByACompletePackage()
    {
        const QString path = m_dir.filePath(QStringLiteral("replace.pptx"));
        QVERIFY(writeFile(path, "old contents"));
        PowerPointDocument document;
        QVERIFY(document.exportPPTX(path, nullptr));
        QCOMPARE(unzip(path).value(QStringLiteral("ppt/slides/slide1.xml")).contains("スライド 1"), true);
    }

    void folderAtTheDestinationIsAnErrorAndStays()
    {
        const QString path = m_dir.filePath(QStringLiteral("folder.pptx"));
        QVERIFY(writeFile(path + QStringLiteral("/inside.txt"), "keep me"));
        PowerPointDocument document;
        PresentationError error;
        QVERIFY(!document.exportPPTX(path, &error));
        QVERIFY(!error.message.isEmpty());
        QVERIFY(QFile::exists(path + QStringLiteral("/inside.txt")));
    }

    void unwritableDestinationFailsAndKeepsTheOldFile()
    {
        const QString folder = m_dir.filePath(QStringLiteral("locked"));
        const QString path = folder + QStringLiteral("/deck.pptx");
        QVERIFY(writeFile(path, "old contents"));
        QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        PowerPointDocument document;
        PresentationError error;
        const bool written = document.exportPPTX(path, &error);
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        if (written)
            QSKIP("running with rights that ignore folder permissions");
        QVERIFY(!error.message.isEmpty());
        QFile old(path);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old contents"));
    }
};

QTEST_GUILESS_MAIN(TestPptxWriter)
#include "tst_pptxwriter.moc"
