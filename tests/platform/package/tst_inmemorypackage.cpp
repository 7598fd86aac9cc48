#include "platform/package/InMemoryPackage.h"
#include "platform/package/PackageParts.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

class TestInMemoryPackage : public QObject
{
    Q_OBJECT

private slots:
    void writtenPartsReadBack();
    void refusedParts_data();
    void refusedParts();
    void failedZipLeavesDestination();
};

void TestInMemoryPackage::writtenPartsReadBack()
{
    QTemporaryDir dir;
    const QString archive = dir.filePath(QStringLiteral("book.xlsx"));
    InMemoryPackage package;
    QString error;
    QVERIFY(package.writePart(QStringLiteral("xl/worksheets/sheet1.xml"), QStringLiteral("<t>日本</t>"), &error));
    QVERIFY(package.writePart(QStringLiteral("xl/media/image1.png"), QByteArray("\x89PNG\0", 5), &error));
    QVERIFY(package.writePart(QStringLiteral("[Content_Types].xml"), QStringLiteral("<Types/>"), &error));
    QVERIFY2(package.zipTo(archive, ZipArchive::Compression::Stored, &error), qPrintable(error));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList(QStringLiteral("book.xlsx")));

    PackageParts parts;
    QVERIFY2(parts.open(archive, &error), qPrintable(error));
    QCOMPARE(parts.read(QStringLiteral("xl/media/image1.png"), &error).value_or(QByteArray()), QByteArray("\x89PNG\0", 5));
    QCOMPARE(parts.read(QStringLiteral("xl/worksheets/sheet1.xml"), &error).value_or(QByteArray()),
             QStringLiteral("<t>日本</t>").toUtf8());
    QVERIFY(parts.contains(QStringLiteral("[Content_Types].xml")));
}

void TestInMemoryPackage::refusedParts_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("parent") << "../outside.xml";
    QTest::newRow("absolute") << "/tmp/outside.xml";
    QTest::newRow("backslash") << "..\\outside.xml";
    QTest::newRow("written twice") << "xl/workbook.xml";
}

void TestInMemoryPackage::refusedParts()
{
    QFETCH(QString, name);
    InMemoryPackage package;
    QString error;
    QVERIFY(package.writePart(QStringLiteral("xl/workbook.xml"), QStringLiteral("<workbook/>"), &error));
    QVERIFY(!package.writePart(name, QStringLiteral("x"), &error));
    QVERIFY2(error.contains(name), qPrintable(error));
}

void TestInMemoryPackage::failedZipLeavesDestination()
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("book.xlsx"));
    QVERIFY(QDir().mkpath(folder));
    InMemoryPackage package;
    QString error;
    QVERIFY(package.writePart(QStringLiteral("xl/workbook.xml"), QStringLiteral("<workbook/>"), &error));
    QVERIFY(!package.zipTo(folder, ZipArchive::Compression::Stored, &error));
    QVERIFY2(error.contains(QLatin1String("it is a folder")), qPrintable(error));
    QVERIFY(QFileInfo(folder).isDir());
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList(QStringLiteral("book.xlsx")));
}

QTEST_GUILESS_MAIN(TestInMemoryPackage)
#include "tst_inmemorypackage.moc"
