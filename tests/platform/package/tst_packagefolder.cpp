#include "platform/package/PackageFolder.h"
#include "platform/package/PackageParts.h"
#include "support/RawZipArchive.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace RawZipArchive;

class TestPackageFolder : public QObject
{
    Q_OBJECT

private slots:
    void writtenPartsReadBack();
    void partNamesStayInside_data();
    void partNamesStayInside();
    void unreadablePackagesExplain();
    void partsFoundByCleanNameInAnyCase();
    void partNamedTwiceIsDamage_data();
    void partNamedTwiceIsDamage();
    void partsInOtherEncodingsParse();
    void damagedParts_data();
    void damagedParts();
};

void TestPackageFolder::writtenPartsReadBack()
{
    QTemporaryDir dir;
    const QString archive = dir.filePath(QStringLiteral("deck.pptx"));
    {
        PackageFolder package;
        QString error;
        QVERIFY(package.isValid());
        QVERIFY(package.writePart(QStringLiteral("[Content_Types].xml"), QStringLiteral("<Types/>"), &error));
        QVERIFY(package.writePart(QStringLiteral("ppt/slides/slide1.xml"), QStringLiteral("<p:sld>日本</p:sld>"), &error));
        QVERIFY(package.writePart(QStringLiteral("ppt/media/image1.png"), QByteArray("\x89PNG\0", 5), &error));
        QVERIFY2(package.zipTo(archive, ZipArchive::Compression::Deflated, &error), qPrintable(error));
    }
    PackageParts parts;
    QString error;
    QVERIFY2(parts.open(archive, &error), qPrintable(error));
    QVERIFY(parts.contains(QStringLiteral("PPT/Slides/Slide1.XML"))); // part names ignore case
    QCOMPARE(parts.read(QStringLiteral("ppt/media/image1.png"), &error).value_or(QByteArray()), QByteArray("\x89PNG\0", 5));
    pugi::xml_document doc;
    QVERIFY(parts.loadXml(doc, QStringLiteral("ppt/slides/slide1.xml"), &error));
    QCOMPARE(QString::fromUtf8(doc.document_element().text().get()), QStringLiteral("日本"));

    QVERIFY(!parts.read(QStringLiteral("ppt/slides/slide2.xml"), &error));
    QCOMPARE(error, QStringLiteral("ppt/slides/slide2.xml: no such part"));
    QVERIFY(!parts.loadXml(doc, QStringLiteral("ppt/media/image1.png"), &error));
    QVERIFY2(error.startsWith(QStringLiteral("ppt/media/image1.png: ")), qPrintable(error));
}

void TestPackageFolder::partNamesStayInside_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("parent") << "../outside.xml";
    QTest::newRow("absolute") << "/tmp/outside.xml";
    QTest::newRow("nested parent") << "ppt/../../outside.xml";
    QTest::newRow("backslash") << "..\\outside.xml";
}

void TestPackageFolder::partNamesStayInside()
{
    QFETCH(QString, name);
    PackageFolder package;
    QString error;
    QVERIFY(!package.writePart(name, QStringLiteral("x"), &error));
    QVERIFY(error.contains(name));
    QVERIFY(!QFileInfo::exists(QFileInfo(package.path()).absolutePath() + QStringLiteral("/outside.xml")));
    QVERIFY(!QFileInfo::exists(QStringLiteral("/tmp/outside.xml")));
}

void TestPackageFolder::unreadablePackagesExplain()
{
    QTemporaryDir dir;
    const QString text = dir.filePath(QStringLiteral("plain.docx"));
    QFile file(text);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a zip at all");
    file.close();
    PackageParts parts;
    QString error;
    QVERIFY(!parts.open(text, &error));
    QVERIFY2(error.contains(QStringLiteral("not a ZIP archive")), qPrintable(error));
    QVERIFY(!parts.contains(QStringLiteral("word/document.xml")));
}

// Names as stored may carry "." and empty segments; folders are no parts.
void TestPackageFolder::partsFoundByCleanNameInAnyCase()
{
    QTemporaryDir dir;
    const QString archive = dir.filePath(QStringLiteral("names.zip"));
    QVERIFY(writeArchive(archive, {{"./xl//Workbook.xml", "<a/>"}, {"xl/media/", ""}, {"xl/Media/", ""}}));
    PackageParts parts;
    QString error;
    QVERIFY2(parts.open(archive, &error), qPrintable(error));
    QCOMPARE(parts.storedName(QStringLiteral("XL/workbook.XML")).value_or(QString()), QStringLiteral("xl/Workbook.xml"));
    QCOMPARE(parts.size(QStringLiteral("xl/workbook.xml")).value_or(-1), qint64(4));
    QVERIFY(!parts.contains(QStringLiteral("xl/media")));
    QVERIFY(!parts.contains(QStringLiteral("xl/media/")));
    QVERIFY2(parts.checkUnreadParts(&error), qPrintable(error));
}

void TestPackageFolder::partNamedTwiceIsDamage_data()
{
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("second");

    // libzip writes no two entries of one name: the second is renamed after.
    QTest::newRow("same name") << QByteArray("xl/workbook.xml") << QByteArray("xl/workbook.xm#");
    QTest::newRow("letter case") << QByteArray("Dup.bin") << QByteArray("dup.BIN");
    QTest::newRow("dot segments") << QByteArray("word/document.xml") << QByteArray("./word//document.xml");
}

// Part names are unique whatever their case: peers read the first of two
// entries, an unpacker the last, so the package is refused as damaged.
void TestPackageFolder::partNamedTwiceIsDamage()
{
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, second);
    QTemporaryDir dir;
    const QString archive = dir.filePath(QStringLiteral("twice.docx"));
    QVERIFY(writeArchive(archive, {{"a.xml", "<a/>"}, {first, "<first/>"}, {second, "<second/>"}}));
    if (second.endsWith('#')) {
        QFile file(archive);
        QVERIFY(file.open(QIODevice::ReadWrite));
        const QByteArray bytes = file.readAll().replace(second, first);
        QVERIFY(file.seek(0) && file.write(bytes) == bytes.size());
        second = first;
    }
    PackageParts parts;
    QString error;
    QVERIFY(!parts.open(archive, &error));
    QVERIFY2(error.contains(archive) && error.contains(QStringLiteral("twice"))
                 && error.contains(QString::fromUtf8(second).remove(QStringLiteral("./")).replace(QStringLiteral("//"), QStringLiteral("/"))),
             qPrintable(error));
    QVERIFY(!parts.contains(QStringLiteral("a.xml")));
}

// A part read in place is still converted when it is not UTF-8.
void TestPackageFolder::partsInOtherEncodingsParse()
{
    const QString text = QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?><r>\u65e5\u672c</r>");
    QByteArray utf16("\xFF\xFE", 2);
    utf16.append(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    QTemporaryDir dir;
    const QString archive = dir.filePath(QStringLiteral("utf16.zip"));
    QVERIFY(writeArchive(archive, {{"part.xml", utf16}, {"empty.xml", ""}}));
    PackageParts parts;
    QString error;
    QVERIFY(parts.open(archive, &error));
    pugi::xml_document doc;
    QVERIFY2(parts.loadXml(doc, QStringLiteral("part.xml"), &error), qPrintable(error));
    QCOMPARE(QString::fromUtf8(doc.document_element().text().get()), QStringLiteral("\u65e5\u672c"));
    QVERIFY(!parts.loadXml(doc, QStringLiteral("empty.xml"), &error));
    QVERIFY2(error.startsWith(QStringLiteral("empty.xml: ")), qPrintable(error));
    QCOMPARE(parts.read(QStringLiteral("empty.xml"), &error).value_or(QByteArray("missing")), QByteArray());
}

void TestPackageFolder::damagedParts_data()
{
    QTest::addColumn<QByteArray>("archive");
    QTest::addColumn<QString>("message");

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("good.zip"));
    const QByteArray payload("<p>the stored payload</p>");
    QVERIFY(writeArchive(path, {{"sound.xml", "<s/>"}, {"damaged.xml", payload, ZipArchive::Compression::Stored}}));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray flipped = file.readAll();
    flipped[flipped.indexOf("stored payload")] = 'S';
    QTest::newRow("CRC mismatch") << flipped << "Entry 'damaged.xml' is damaged: its CRC-32 does not match";

    QByteArray big(300000, 'x');
    QVERIFY(writeArchive(path, {{"sound.xml", "<s/>"}, {"damaged.xml", "<b>" + big + "</b>"}}));
    file.close();
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray lying = file.readAll();
    // The uncompressed size of the second entry, in its local header and in
    // the central directory.
    qToLittleEndian(quint32(1000), lying.data() + lying.lastIndexOf(QByteArray("PK\x03\x04", 4)) + 22);
    qToLittleEndian(quint32(1000), lying.data() + lying.lastIndexOf(QByteArray("PK\x01\x02", 4)) + 24);
    QTest::newRow("holds more than declared") << lying << "Entry 'damaged.xml' holds more data than its header declares";
}

// Damage shows when a part is read, in every way of reading it, and in a
// part nobody read when the reader asks about the rest.
void TestPackageFolder::damagedParts()
{
    QFETCH(QByteArray, archive);
    QFETCH(QString, message);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("damaged.zip"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(archive);
    file.close();

    PackageParts parts;
    QString error;
    QVERIFY2(parts.open(path, &error), qPrintable(error));
    pugi::xml_document doc;
    QVERIFY(parts.loadXml(doc, QStringLiteral("sound.xml"), &error));
    QVERIFY(!parts.checkUnreadParts(&error));
    QCOMPARE(error, message);
    QVERIFY(!parts.read(QStringLiteral("damaged.xml"), &error));
    QCOMPARE(error, QStringLiteral("damaged.xml: ") + message);
    QVERIFY(!parts.loadXml(doc, QStringLiteral("damaged.xml"), &error));
    QCOMPARE(error, QStringLiteral("damaged.xml: ") + message);
}

QTEST_GUILESS_MAIN(TestPackageFolder)
#include "tst_packagefolder.moc"
