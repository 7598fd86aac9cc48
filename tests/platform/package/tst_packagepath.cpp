#include "platform/package/PackagePath.h"

#include <QtTest>

class TestPackagePath : public QObject
{
    Q_OBJECT

private slots:
    void resolveTarget_data();
    void resolveTarget();
    void relationshipsPart_data();
    void relationshipsPart();
    void isConfined_data();
    void isConfined();
};

void TestPackagePath::resolveTarget_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("part"); // "" for none

    QTest::newRow("beside the workbook") << "xl/workbook.xml" << "worksheets/sheet1.xml" << "xl/worksheets/sheet1.xml";
    QTest::newRow("beside a slide") << "ppt/slides/slide1.xml" << "../media/image1.png" << "ppt/media/image1.png";
    QTest::newRow("package relationships") << "" << "word/document.xml" << "word/document.xml";
    QTest::newRow("absolute from the root") << "xl/workbook.xml" << "/xl/worksheets/a.xml" << "xl/worksheets/a.xml";
    QTest::newRow("dot segments") << "xl/workbook.xml" << "./worksheets/./s.xml" << "xl/worksheets/s.xml";
    QTest::newRow("percent escape") << "xl/workbook.xml" << "worksheets/my%20sheet.xml" << "xl/worksheets/my sheet.xml";
    QTest::newRow("up to the root") << "xl/workbook.xml" << "../docProps/app.xml" << "docProps/app.xml";
    QTest::newRow("escapes the package") << "xl/workbook.xml" << "../../etc/passwd" << "";
    QTest::newRow("escape from the root") << "" << "../a.xml" << "";
    QTest::newRow("escaped dot dot") << "xl/workbook.xml" << "%2E%2E/%2E%2E/a.xml" << "";
    QTest::newRow("backslash") << "xl/workbook.xml" << "..\\..\\a.xml" << "";
    QTest::newRow("scheme") << "xl/workbook.xml" << "file:///etc/passwd" << "";
    QTest::newRow("escaped NUL") << "xl/workbook.xml" << "a%00.xml" << "";
    QTest::newRow("empty") << "xl/workbook.xml" << "" << "";
}

void TestPackagePath::resolveTarget()
{
    QFETCH(QString, source);
    QFETCH(QString, target);
    QFETCH(QString, part);
    QCOMPARE(PackagePath::resolveTarget(source, target).value_or(QString()), part);
}

void TestPackagePath::relationshipsPart_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("part");
    QTest::newRow("package") << "" << "_rels/.rels";
    QTest::newRow("top-level part") << "document.xml" << "_rels/document.xml.rels";
    QTest::newRow("nested part") << "ppt/slides/slide2.xml" << "ppt/slides/_rels/slide2.xml.rels";
}

void TestPackagePath::relationshipsPart()
{
    QFETCH(QString, source);
    QFETCH(QString, part);
    QCOMPARE(PackagePath::relationshipsPart(source), part);
}

void TestPackagePath::isConfined_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("confined");
    QTest::newRow("content types") << "[Content_Types].xml" << true;
    QTest::newRow("nested") << "ppt/slides/_rels/slide1.xml.rels" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("absolute") << "/etc/passwd" << false;
    QTest::newRow("dot dot") << "xl/../../a" << false;
    QTest::newRow("dot") << "xl/./a" << false;
    QTest::newRow("empty segment") << "xl//a" << false;
    QTest::newRow("trailing slash") << "xl/" << false;
    QTest::newRow("backslash") << "xl\\a" << false;
    QTest::newRow("drive or scheme") << "C:/a" << false;
    QTest::newRow("control character") << "a\nb" << false;
}

void TestPackagePath::isConfined()
{
    QFETCH(QString, name);
    QFETCH(bool, confined);
    QCOMPARE(PackagePath::isConfined(name), confined);
}

QTEST_GUILESS_MAIN(TestPackagePath)
#include "tst_packagepath.moc"
