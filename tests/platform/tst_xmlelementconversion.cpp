#include "platform/XmlElementConversion.h"

#include <QtTest>

class TestXmlElementConversion : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void roundTrip();
    void malformed();
};

void TestXmlElementConversion::roundTrip_data()
{
    QTest::addColumn<QString>("xml");
    QTest::addColumn<QString>("compact");
    QTest::newRow("prefixes and attribute order")
        << R"(<w:r b="2" a="1"><w:t xml:space="preserve"> x </w:t><w:br/></w:r>)"
        << R"(<w:r a="1" b="2"><w:t xml:space="preserve"> x </w:t><w:br /></w:r>)";
    QTest::newRow("comments and instructions left out")
        << "<a><!-- c --><?pi x?><b>t</b></a>" << "<a><b>t</b></a>";
    QTest::newRow("entities and CDATA become text")
        << "<a>&lt;&#x41;<![CDATA[&]]></a>" << "<a>&lt;A&amp;</a>";
    QTest::newRow("empty text kept as empty") << "<a></a>" << "<a />";
    QTest::newRow("white space only content kept") << "<a> </a>" << "<a> </a>";
}

void TestXmlElementConversion::roundTrip()
{
    QFETCH(QString, xml);
    QFETCH(QString, compact);
    QString error;
    const auto element = XmlElementConversion::fromBytes(xml.toUtf8(), &error);
    QVERIFY2(element, qPrintable(error));
    QCOMPARE(element->toCompactString(), compact);
}

void TestXmlElementConversion::malformed()
{
    QString error;
    QVERIFY(!XmlElementConversion::fromBytes("<a><b></a>", &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!XmlElementConversion::fromBytes("", &error));
    // An external entity is never fetched.
    const auto entity = XmlElementConversion::fromBytes(
        "<!DOCTYPE a [<!ENTITY e SYSTEM \"file:///etc/passwd\">]><a>&e;</a>", &error);
    QVERIFY(!entity || !entity->value().value_or(QString()).contains(QStringLiteral("root:")));
    QCOMPARE(XmlElementConversion::fromNode(pugi::xml_node()).name(), QString());
}

QTEST_GUILESS_MAIN(TestXmlElementConversion)
#include "tst_xmlelementconversion.moc"
