#include "docx/writer/PageDefinition.h"

#include <QtTest>

Q_DECLARE_METATYPE(PageDefinition::PageSize)

class TestPageDefinition : public QObject
{
    Q_OBJECT

private slots:
    void pageSizeElement_data();
    void pageSizeElement();
    void pageMarginElement();
    void lengthsInOtherUnits();
    void edgeInsetsAndTextWidth();
    void equalityAndHash();
};

void TestPageDefinition::pageSizeElement_data()
{
    QTest::addColumn<PageDefinition::PageSize>("size");
    QTest::addColumn<QString>("xml");
    // The conversion goes through metres and truncates: 842 pt is 16839 twips.
    QTest::newRow("A4 portrait") << PageDefinition::PageSize::a4() << R"(<w:pgSz w:h="16839" w:w="11900" />)";
    QTest::newRow("letter portrait") << PageDefinition::PageSize::letter() << R"(<w:pgSz w:h="15839" w:w="12239" />)";
    QTest::newRow("landscape only when wider")
        << PageDefinition::PageSize(842, 595) << R"(<w:pgSz w:h="11900" w:orient="landscape" w:w="16839" />)";
    // A side that cannot be written takes A4's, so the element is whole.
    QTest::newRow("NaN and negative are A4's")
        << PageDefinition::PageSize(qQNaN(), -10) << R"(<w:pgSz w:h="16839" w:w="11900" />)";
    QTest::newRow("huge is A4's width") << PageDefinition::PageSize(1e300, 100) << R"(<w:pgSz w:h="1999" w:orient="landscape" w:w="11900" />)";
    QTest::newRow("infinite and zero")
        << PageDefinition::PageSize(qInf(), 0.01) << R"(<w:pgSz w:h="16839" w:w="11900" />)";
}

void TestPageDefinition::pageSizeElement()
{
    QFETCH(PageDefinition::PageSize, size);
    QFETCH(QString, xml);
    QCOMPARE(size.pageSizeElement().toCompactString(), xml);
}

void TestPageDefinition::pageMarginElement()
{
    QCOMPARE(PageDefinition::PageMargins::defaultMargins().pageMarginElement().toCompactString(),
             QStringLiteral(R"(<w:pgMar w:bottom="1440" w:footer="707" w:gutter="0" w:header="707" w:left="1440" w:right="1440" w:top="1440" />)"));
    // Top and bottom may be negative (text may overlap the header); the
    // others may not and, like NaN and infinite lengths, take the default.
    QCOMPARE(PageDefinition::PageMargins(-36, -36, -36, -36, 0, 0).pageMarginElement().toCompactString(),
             QStringLiteral(R"(<w:pgMar w:bottom="-720" w:footer="0" w:gutter="0" w:header="0" w:left="1440" w:right="1440" w:top="-720" />)"));
    QCOMPARE(PageDefinition::PageMargins(qQNaN(), qInf(), 1e300, 36, -qInf(), qQNaN()).pageMarginElement().toCompactString(),
             QStringLiteral(R"(<w:pgMar w:bottom="1440" w:footer="707" w:gutter="0" w:header="707" w:left="1440" w:right="720" w:top="1440" />)"));
}

void TestPageDefinition::lengthsInOtherUnits()
{
    PageDefinition::PageMargins margins = PageDefinition::PageMargins::defaultMargins();
    margins.left = Length{1.0, Length::Unit::Inches};
    margins.right = Length{2.54, Length::Unit::Centimetres};
    const XmlElement element = margins.pageMarginElement();
    QCOMPARE(element.attributes().at(QStringLiteral("w:left")), QStringLiteral("1440"));
    QCOMPARE(element.attributes().at(QStringLiteral("w:right")), QStringLiteral("1440"));
}

void TestPageDefinition::edgeInsetsAndTextWidth()
{
    const PageDefinition::PageMargins margins = PageDefinition::PageMargins::defaultMargins();
    QCOMPARE(margins.edgeInsets(), QMarginsF(72, 72, 72, 72));
    PageDefinition::PageMargins closeHeader(20, 20, 72, 72, 35.4, 35.4);
    QCOMPARE(closeHeader.edgeInsets().top(), 35.4);
    QCOMPARE(closeHeader.edgeInsets().bottom(), 35.4);
    PageDefinition::PageMargins negative(-10, 72, 72, 72, 35.4, 35.4);
    QCOMPARE(negative.edgeInsets().top(), -10.0);
    const PageDefinition page{PageDefinition::PageSize::a4(), margins};
    QCOMPARE(page.textWidth(), 451.0);
    QCOMPARE(page.textHeight(), 698.0);
    QVERIFY(page.description().startsWith(QStringLiteral("Paper Size: ")));
    QVERIFY(page.description().contains(QStringLiteral(",\r\rMargins: ")));
}

void TestPageDefinition::equalityAndHash()
{
    const PageDefinition::PageSize a(100, 200), b(100, 200), c(200, 100);
    QCOMPARE(a, b);
    QVERIFY(!(a == c));
    QCOMPARE(qHash(a), qHash(b));
}

QTEST_GUILESS_MAIN(TestPageDefinition)
#include "tst_pagedefinition.moc"
