#include "platform/package/PackageFolder.h"
#include "platform/package/PackageParts.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

class TestPackageFolder : public QObject
{
    Q_OBJECT

private slots:
    void writtenPartsReadBack();
    void partNamesStayInside_data();
    void partNamesStayInside();
    void unreadablePackagesExplain();
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

QTEST_GUILESS_MAIN(TestPackageFolder)
#include "tst_packagefolder.moc"
