#include "platform/XmlRead.h"
#include "platform/package/PackageContentTypes.h"
#include "platform/package/PackageRelationships.h"

#include <QtTest>

class TestPackageRelationships : public QObject
{
    Q_OBJECT

private slots:
    void nextFreeId_data();
    void nextFreeId();
    void readsWhatOthersWrote();
    void writtenForms();
    void contentTypesForms();

private:
    static PackageRelationships parse(const QByteArray &xml);
};

PackageRelationships TestPackageRelationships::parse(const QByteArray &xml)
{
    pugi::xml_document doc;
    XmlRead::loadBytes(doc, xml, nullptr);
    return PackageRelationships::fromXml(doc.document_element());
}

void TestPackageRelationships::nextFreeId_data()
{
    QTest::addColumn<QStringList>("ids");
    QTest::addColumn<QString>("next");
    QTest::newRow("none") << QStringList() << "rId1";
    QTest::newRow("compared as numbers") << QStringList{"rId9", "rId10", "rId2"} << "rId11";
    QTest::newRow("gaps are not reused") << QStringList{"rId1", "rId5"} << "rId6";
    QTest::newRow("leading zeros") << QStringList{"rId007"} << "rId8";
    QTest::newRow("other forms ignored") << QStringList{"rIdA", "image1", "rId", "RID4", "rId3x"} << "rId1";
    QTest::newRow("carry") << QStringList{"rId99"} << "rId100";
    QTest::newRow("beyond 64 bits") << QStringList{"rId99999999999999999999999"} << "rId100000000000000000000000";
}

void TestPackageRelationships::nextFreeId()
{
    QFETCH(QStringList, ids);
    QFETCH(QString, next);
    QByteArray xml = "<Relationships>";
    for (const QString &id : ids)
        xml += "<Relationship Id=\"" + id.toUtf8() + "\" Type=\"t\" Target=\"x.xml\"/>";
    PackageRelationships relationships = parse(xml + "</Relationships>");
    QCOMPARE(relationships.entries().size(), ids.size());
    QCOMPARE(relationships.nextFreeId(), next);
    QCOMPARE(relationships.add(QStringLiteral("t"), QStringLiteral("y.xml")), next);
    QVERIFY(relationships.nextFreeId() != next);
}

void TestPackageRelationships::readsWhatOthersWrote()
{
    const PackageRelationships relationships = parse(
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"a\" Target=\"slides/slide1.xml\"/>"
        "<Relationship Id=\"rId2\" Type=\"h\" Target=\"https://example.invalid/\" TargetMode=\" External \"/>"
        "<Relationship Type=\"no id\" Target=\"x.xml\"/>"
        "<Relationship Id=\"rId3\" Type=\"no target\"/>"
        "<Relationship Id=\"rId1\" Type=\"b\" Target=\"../media/later.png\"/>"
        "</Relationships>");
    QCOMPARE(relationships.entries().size(), 3);
    QCOMPARE(relationships.find(QStringLiteral("rId1"))->type, QStringLiteral("b")); // a later duplicate wins
    QVERIFY(relationships.find(QStringLiteral("rId2"))->external);
    QVERIFY(!relationships.find(QStringLiteral("rId3")));
    QCOMPARE(relationships.targetPart(QStringLiteral("rId1"), QStringLiteral("ppt/presentation.xml")),
             std::optional<QString>(QStringLiteral("media/later.png")));
    QCOMPARE(relationships.targetPart(QStringLiteral("rId2"), QStringLiteral("ppt/presentation.xml")), std::nullopt);
    QCOMPARE(relationships.targetPart(QStringLiteral("rId9"), QStringLiteral("ppt/presentation.xml")), std::nullopt);
    QVERIFY(parse("").isEmpty());
}

void TestPackageRelationships::writtenForms()
{
    PackageRelationships relationships;
    relationships.add(QStringLiteral("t/doc"), QStringLiteral("word/document.xml"));
    relationships.add(QStringLiteral("t/link"), QStringLiteral("https://a.invalid/?q=1&r=\"2\""), true);
    QCOMPARE(relationships.toFixedText(),
             QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                            "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">\n"
                            "    <Relationship Id=\"rId1\" Type=\"t/doc\" Target=\"word/document.xml\"/>\n"
                            "    <Relationship Id=\"rId2\" Type=\"t/link\" Target=\"https://a.invalid/?q=1&amp;r=&quot;2&quot;\" TargetMode=\"External\"/>\n"
                            "</Relationships>"));
    QCOMPARE(relationships.toElement().toCompactString(),
             QStringLiteral("<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                            "<Relationship Id=\"rId1\" Target=\"word/document.xml\" Type=\"t/doc\" />"
                            "<Relationship Id=\"rId2\" Target=\"https://a.invalid/?q=1&amp;r=&quot;2&quot;\" TargetMode=\"External\" Type=\"t/link\" />"
                            "</Relationships>"));
}

void TestPackageRelationships::contentTypesForms()
{
    PackageContentTypes types;
    types.addDefault(QStringLiteral("xml"), QStringLiteral("application/xml"));
    types.addOverride(QStringLiteral("ppt/slides/slide1.xml"), QStringLiteral("s+xml"));
    QCOMPARE(types.toFixedText(),
             QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                            "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">\n"
                            "    <Default Extension=\"xml\" ContentType=\"application/xml\"/>\n"
                            "    <Override PartName=\"/ppt/slides/slide1.xml\" ContentType=\"s+xml\"/>\n"
                            "</Types>"));
    QCOMPARE(types.toElement().toIndentedString(),
             QStringLiteral("<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">\n"
                            "\t<Default ContentType=\"application/xml\" Extension=\"xml\" />\n"
                            "\t<Override ContentType=\"s+xml\" PartName=\"/ppt/slides/slide1.xml\" />\n"
                            "</Types>"));
}

QTEST_GUILESS_MAIN(TestPackageRelationships)
#include "tst_packagerelationships.moc"
