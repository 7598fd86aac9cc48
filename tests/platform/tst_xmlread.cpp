#include "platform/XmlRead.h"

#include <QTemporaryDir>
#include <QtTest>

class TestXmlRead : public QObject
{
    Q_OBJECT

private slots:
    void malformed_data();
    void malformed();
    void missingFileNamesPath();
    void loadsFileFromDisk();
    void entitiesAreNotExpanded_data();
    void entitiesAreNotExpanded();
    void namesMatchWithPrefixes();
    void text_data();
    void text();
    void emptyNodeIsSafe();
    void utf16WithByteOrderMark();
    void deepNestingDoesNotCrash();
};

namespace {

pugi::xml_node parse(pugi::xml_document &doc, const QByteArray &bytes)
{
    QString error;
    if (!XmlRead::loadBytes(doc, bytes, &error))
        qWarning() << error;
    return doc.document_element();
}

} // namespace

void TestXmlRead::malformed_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("truncated") << QByteArray("<a><b>text</b>");
    QTest::newRow("mismatched tag") << QByteArray("<a></b>");
    QTest::newRow("two roots") << QByteArray("<a/><b/>");
    QTest::newRow("not XML") << QByteArray("PK\x03\x04 binary");
}

void TestXmlRead::malformed()
{
    QFETCH(QByteArray, bytes);
    pugi::xml_document doc;
    QVERIFY(XmlRead::loadBytes(doc, "<old/>", nullptr));
    QString error;
    QVERIFY(!XmlRead::loadBytes(doc, bytes, &error));
    QVERIFY2(error.contains(QLatin1String(" at offset ")), qPrintable(error));
    QVERIFY(!doc.document_element()); // nothing half-parsed, nothing left over
}

void TestXmlRead::missingFileNamesPath()
{
    pugi::xml_document doc;
    QString error;
    const QString path = QStringLiteral("/nonexistent/folder/part.xml");
    QVERIFY(!XmlRead::loadFile(doc, path, &error));
    QVERIFY2(error.startsWith(path + QLatin1String(": ")), qPrintable(error));
}

void TestXmlRead::loadsFileFromDisk()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString path = folder.filePath(QStringLiteral("part.xml"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<?xml version=\"1.0\"?>\n<root><v>1</v><v>2</v></root><!-- trailing -->");
    file.close();

    pugi::xml_document doc;
    QString error;
    QVERIFY2(XmlRead::loadFile(doc, path, &error), qPrintable(error));
    QCOMPARE(XmlRead::children(doc.document_element(), "v").size(), size_t(2));

    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<root><v>");
    file.close();
    QVERIFY(!XmlRead::loadFile(doc, path, &error));
    QVERIFY2(error.startsWith(path + QLatin1String(": ")) && error.contains(QLatin1String("offset")),
             qPrintable(error));
}

void TestXmlRead::entitiesAreNotExpanded_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("forbidden");

    QTest::newRow("external entity") << QByteArray("<?xml version=\"1.0\"?>\n"
                                                   "<!DOCTYPE r [<!ENTITY xxe SYSTEM \"file:///etc/passwd\">]>\n"
                                                   "<r><t>&xxe;</t></r>")
                                     << "root:";
    QByteArray laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE r [<!ENTITY l0 \"lol\">";
    for (int i = 1; i < 10; ++i)
        laughs += QStringLiteral("<!ENTITY l%1 \"&l%2;&l%2;&l%2;&l%2;&l%2;&l%2;&l%2;&l%2;&l%2;&l%2;\">")
                      .arg(i)
                      .arg(i - 1)
                      .toLatin1();
    laughs += "]>\n<r><t>&l9;</t></r>";
    QTest::newRow("billion laughs") << laughs << "lollol";
}

void TestXmlRead::entitiesAreNotExpanded()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, forbidden);
    pugi::xml_document doc;
    if (!XmlRead::loadBytes(doc, bytes, nullptr))
        return; // refusing the document is as good as not expanding
    const QString text = XmlRead::rawText(XmlRead::firstChild(doc.document_element(), "t"));
    QVERIFY2(!text.contains(forbidden) && text.size() < 100, qPrintable(text.left(100)));
}

void TestXmlRead::namesMatchWithPrefixes()
{
    pugi::xml_document doc;
    const pugi::xml_node root =
        parse(doc, "<workbook xmlns:r=\"urn:r\" xmlns:x=\"urn:x\"><x:sheet name=\"prefixed\"/>"
                   "<?sheet not an element?><sheet name=\"A\" r:id=\"rId1\" id=\"plain\"/>"
                   "<sheet name=\"B\"/></workbook>");
    const pugi::xml_node first = XmlRead::firstChild(root, "sheet");
    QCOMPARE(XmlRead::attribute(first, "name"), QStringLiteral("A"));
    QCOMPARE(XmlRead::attribute(first, "r:id"), QStringLiteral("rId1"));
    QCOMPARE(XmlRead::attribute(first, "id"), QStringLiteral("plain"));
    QVERIFY(XmlRead::hasAttribute(first, "r:id"));
    QVERIFY(!XmlRead::hasAttribute(first, "missing"));
    QCOMPARE(XmlRead::attribute(first, "missing"), QString());
    QCOMPARE(XmlRead::children(root, "sheet").size(), size_t(2));
    QCOMPARE(XmlRead::children(root, "x:sheet").size(), size_t(1));
    QVERIFY(!XmlRead::firstChild(root, "Sheet"));
}

void TestXmlRead::text_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("raw");
    QTest::addColumn<QString>("trimmed");

    QTest::newRow("surrounding blanks") << QByteArray("<t>\n  a b \t</t>") << "\n  a b \t" << "a b";
    QTest::newRow("only a space") << QByteArray("<t> </t>") << " " << "";
    QTest::newRow("empty element") << QByteArray("<t/>") << "" << "";
    QTest::newRow("escapes") << QByteArray("<t>&lt;&amp;&#10;&#x65E5;</t>")
                             << QString::fromUtf16(u"<&\n日") << QString::fromUtf16(u"<&\n日");
    QTest::newRow("CDATA joined") << QByteArray("<t>a<![CDATA[<b>]]>c</t>") << "a<b>c" << "a<b>c";
    QTest::newRow("child text excluded") << QByteArray("<t>a<b>x</b>c</t>") << "ac" << "ac";
    QTest::newRow("only children") << QByteArray("<t>\n\t<b>x</b>\n</t>") << "" << "";
    QTest::newRow("CR LF normalised") << QByteArray("<t>a\r\nb</t>") << "a\nb" << "a\nb";
}

void TestXmlRead::text()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, raw);
    QFETCH(QString, trimmed);
    pugi::xml_document doc;
    const pugi::xml_node root = parse(doc, bytes);
    QVERIFY(root);
    QCOMPARE(XmlRead::rawText(root), raw);
    QCOMPARE(XmlRead::text(root), trimmed);
}

void TestXmlRead::emptyNodeIsSafe()
{
    const pugi::xml_node none;
    QVERIFY(!XmlRead::firstChild(none, "a"));
    QVERIFY(XmlRead::children(none, "a").empty());
    QCOMPARE(XmlRead::attribute(none, "a"), QString());
    QVERIFY(!XmlRead::hasAttribute(none, "a"));
    QCOMPARE(XmlRead::text(none), QString());
    QCOMPARE(XmlRead::rawText(none), QString());
}

void TestXmlRead::utf16WithByteOrderMark()
{
    const QString source = QString::fromUtf16(u"<t>日本</t>");
    QByteArray bytes("\xFF\xFE", 2);
    bytes.append(reinterpret_cast<const char *>(source.utf16()), source.size() * 2);
    pugi::xml_document doc;
    QCOMPARE(XmlRead::text(parse(doc, bytes)), QString::fromUtf16(u"日本"));
}

void TestXmlRead::deepNestingDoesNotCrash()
{
    const int depth = 200000;
    const QByteArray bytes = QByteArray("<a>").repeated(depth) + "x" + QByteArray("</a>").repeated(depth);
    pugi::xml_document doc;
    QVERIFY(XmlRead::loadBytes(doc, bytes, nullptr));
    QCOMPARE(XmlRead::rawText(doc.document_element()), QString());
}

QTEST_GUILESS_MAIN(TestXmlRead)
#include "tst_xmlread.moc"
