#include "platform/XmlElement.h"

#include <QFile>
#include <QtTest>

#include <pugixml.hpp>

class TestXmlElement : public QObject
{
    Q_OBJECT

private slots:
    void indentedGolden();
    void compactGolden();
    void emptyWorksheetIsFourLines();
    void leafForms_data();
    void leafForms();
    void attributesSortByCodeUnit();
    void valueBeforeChildren();
    void removeChildren();
    void escape_data();
    void escape();
    void longTextEscapesToUtf8_data();
    void longTextEscapesToUtf8();
    void withoutForbiddenCharacters();
    void escapedTextParsesBack_data();
    void escapedTextParsesBack();
};

namespace {

QString golden(const QString &name)
{
    QFile file(QStringLiteral(MORVANE_TEST_DATA_DIR "/platform/xml/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

const QString mainNamespace = QStringLiteral("http://schemas.openxmlformats.org/spreadsheetml/2006/main");

} // namespace

void TestXmlElement::indentedGolden()
{
    XmlElement worksheet(QStringLiteral("worksheet"), std::nullopt, { { QStringLiteral("xmlns"), mainNamespace } });
    XmlElement &sheetData = worksheet.addChild(QStringLiteral("sheetData"));
    XmlElement &row = sheetData.addChild(QStringLiteral("row"), std::nullopt, { { QStringLiteral("r"), QStringLiteral("1") } });
    row.addChild(QStringLiteral("c"), std::nullopt, { { QStringLiteral("r"), QStringLiteral("A1") } })
        .addChild(QStringLiteral("v"), QStringLiteral("5.0"));
    XmlElement &text = row.addChild(QStringLiteral("c"));
    text.setAttribute(QStringLiteral("t"), QStringLiteral("inlineStr"));
    text.setAttribute(QStringLiteral("s"), QStringLiteral("1"));
    text.setAttribute(QStringLiteral("r"), QStringLiteral("B1"));
    text.addChild(QStringLiteral("is"))
        .addChild(QStringLiteral("t"), QStringLiteral("R&D <x> 'q' \"dq\"\nline two"));
    row.addChild(QStringLiteral("c"), std::nullopt, { { QStringLiteral("r"), QStringLiteral("C1") } })
        .addChild(QStringLiteral("f"), QString());
    row.addChild(QStringLiteral("c"), std::nullopt,
                 { { QStringLiteral("s"), QStringLiteral("2") }, { QStringLiteral("r"), QStringLiteral("D1") } });
    worksheet.addChild(QStringLiteral("mergeCells"), std::nullopt, { { QStringLiteral("count"), QStringLiteral("1") } })
        .addChild(QStringLiteral("mergeCell"), std::nullopt, { { QStringLiteral("ref"), QStringLiteral("C3:A1") } });
    XmlElement &xf = worksheet.addChild(QStringLiteral("xf"));
    for (const char *name : { "xfId", "numFmtId", "fontId", "fillId", "borderId", "applyFont", "applyFill" })
        xf.setAttribute(QString::fromLatin1(name), QStringLiteral("0"));
    xf.setAttribute(QStringLiteral("applyFont"), QStringLiteral("1"));
    xf.setAttribute(QStringLiteral("applyFill"), QStringLiteral("1"));
    xf.setAttribute(QStringLiteral("fontId"), QStringLiteral("1"));
    xf.setAttribute(QStringLiteral("fillId"), QStringLiteral("2"));

    const QString written = XmlText::declaration(QStringLiteral("utf-8"), QStringLiteral("no")) + u'\n'
                          + worksheet.toIndentedString();
    QCOMPARE(written, golden(QStringLiteral("indented.xml")));
}

void TestXmlElement::compactGolden()
{
    XmlElement document(QStringLiteral("w:document"), std::nullopt,
                        { { QStringLiteral("xmlns:w"),
                            QStringLiteral("http://schemas.openxmlformats.org/wordprocessingml/2006/main") } });
    XmlElement &body = document.addChild(QStringLiteral("w:body"));
    XmlElement &paragraph = body.addChild(QStringLiteral("w:p"));
    paragraph.addChild(QStringLiteral("w:pPr"))
        .addChild(QStringLiteral("w:jc"), std::nullopt, { { QStringLiteral("w:val"), QStringLiteral("center") } });
    paragraph.addChild(QStringLiteral("w:r"))
        .addChild(QStringLiteral("w:t"), QStringLiteral(" a & b "),
                  { { QStringLiteral("xml:space"), QStringLiteral("preserve") } });
    paragraph.addChild(QStringLiteral("w:r")).addChild(QStringLiteral("w:t"), QString());
    body.addChild(QStringLiteral("w:sectPr"));

    const QString text = XmlText::declaration(QStringLiteral("UTF-8"), QStringLiteral("yes")) + u'\n'
                         + document.toCompactString();
    QCOMPARE(text, golden(QStringLiteral("compact.xml")));
}

void TestXmlElement::emptyWorksheetIsFourLines()
{
    XmlElement worksheet(QStringLiteral("worksheet"), std::nullopt, { { QStringLiteral("xmlns"), mainNamespace } });
    worksheet.addChild(QStringLiteral("sheetData"));
    const QString text = XmlText::declaration(QStringLiteral("utf-8"), QStringLiteral("no")) + u'\n'
                         + worksheet.toIndentedString();
    QCOMPARE(text, QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\"?>\n"
                                  "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">\n"
                                  "\t<sheetData />\n"
                                  "</worksheet>"));
}

void TestXmlElement::leafForms_data()
{
    QTest::addColumn<std::optional<QString>>("value");
    QTest::addColumn<QString>("indented");

    QTest::newRow("no value") << std::optional<QString>() << "<b k=\"v\" />";
    QTest::newRow("empty value") << std::optional<QString>(QString()) << "<b k=\"v\"></b>";
    QTest::newRow("text") << std::optional<QString>(QStringLiteral("x y")) << "<b k=\"v\">x y</b>";
    QTest::newRow("multi-line text stays on one line")
        << std::optional<QString>(QStringLiteral("a\nb")) << "<b k=\"v\">a&#10;b</b>";
}

void TestXmlElement::leafForms()
{
    QFETCH(std::optional<QString>, value);
    QFETCH(QString, indented);
    const XmlElement element(QStringLiteral("b"), value, { { QStringLiteral("k"), QStringLiteral("v") } });
    QCOMPARE(element.toIndentedString(), indented);
    QCOMPARE(element.toCompactString(), indented);
}

void TestXmlElement::attributesSortByCodeUnit()
{
    XmlElement element(QStringLiteral("e"));
    element.setAttribute(QStringLiteral("b"), QStringLiteral("2"));
    element.setAttribute(QStringLiteral("a"), QStringLiteral("1"));
    element.setAttribute(QStringLiteral("Z"), QStringLiteral("0"));
    element.setAttribute(QStringLiteral("a"), QStringLiteral("3")); // replaces, no duplicate
    QCOMPARE(element.toCompactString(), QStringLiteral("<e Z=\"0\" a=\"3\" b=\"2\" />"));
}

void TestXmlElement::valueBeforeChildren()
{
    XmlElement element(QStringLiteral("p"), QStringLiteral("lead"));
    element.addChild(QStringLiteral("br"));
    QCOMPARE(element.toCompactString(), QStringLiteral("<p>lead<br /></p>"));
    QCOMPARE(element.toIndentedString(), QStringLiteral("<p>lead\n\t<br />\n</p>"));
}

void TestXmlElement::removeChildren()
{
    XmlElement element(QStringLiteral("r"));
    element.addChild(QStringLiteral("a"));
    element.addChild(QStringLiteral("b"));
    element.addChild(QStringLiteral("a"), QStringLiteral("x"));
    QCOMPARE(element.removeChildren(QStringLiteral("a")), 2);
    QCOMPARE(element.removeChildren(QStringLiteral("missing")), 0);
    QCOMPARE(element.toCompactString(), QStringLiteral("<r><b /></r>"));
    element.removeChildren(QStringLiteral("b"));
    QCOMPARE(element.toCompactString(), QStringLiteral("<r />"));
}

void TestXmlElement::escape_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("escaped");
    QTest::addColumn<QString>("escapedAttribute");

    QTest::newRow("plain") << "abc" << "abc" << "abc";
    QTest::newRow("ampersand first") << "&lt;" << "&amp;lt;" << "&amp;lt;";
    QTest::newRow("markup") << "<a href='x'>\"" << "&lt;a href=&apos;x&apos;&gt;&quot;" << "&lt;a href=&apos;x&apos;&gt;&quot;";
    QTest::newRow("line feed") << "a\nb" << "a&#10;b" << "a&#10;b";
    QTest::newRow("carriage return escaped, tab only in attributes") << "a\tb\rc" << "a\tb&#13;c" << "a&#9;b&#13;c";
    QTest::newRow("controls dropped") << QString::fromUtf16(u"a\u0001b\u001Fc\u0000d", 7) << "abcd" << "abcd";
    QTest::newRow("non-characters dropped") << QString::fromUtf16(u"a\uFFFEb\uFFFF") << "ab" << "ab";
    QTest::newRow("private use kept") << QString::fromUtf16(u"\uE000\uFFFD") << QString::fromUtf16(u"\uE000\uFFFD") << QString::fromUtf16(u"\uE000\uFFFD");
    QTest::newRow("Japanese kept") << QString::fromUtf16(u"日本語") << QString::fromUtf16(u"日本語") << QString::fromUtf16(u"日本語");
    QTest::newRow("surrogate pair kept") << QString::fromUtf16(u"x\U0001F600y") << QString::fromUtf16(u"x\U0001F600y") << QString::fromUtf16(u"x\U0001F600y");
    QTest::newRow("lone high surrogate dropped") << QString::fromUtf16(u"a\xD83D" u"b", 3) << "ab" << "ab";
    QTest::newRow("lone low surrogate dropped") << QString::fromUtf16(u"a\xDE00" u"b", 3) << "ab" << "ab";
    QTest::newRow("high surrogate at end dropped") << QString::fromUtf16(u"a\xD83D", 2) << "a" << "a";
}

void TestXmlElement::escape()
{
    QFETCH(QString, text);
    QFETCH(QString, escaped);
    QFETCH(QString, escapedAttribute);
    QCOMPARE(XmlText::escape(text), escaped);
    QCOMPARE(XmlText::escapeAttribute(text), escapedAttribute);
    const XmlElement element(QStringLiteral("t"), text, { { QStringLiteral("a"), text } });
    QCOMPARE(element.toCompactString(), "<t a=\"" + escapedAttribute + "\">" + escaped + "</t>");

    // The UTF-8 form appends the same text, after what the buffer holds.
    QByteArray bytes("x");
    XmlText::appendEscapedTextUtf8(bytes, text);
    QCOMPARE(bytes, "x" + escaped.toUtf8());
}

// Long texts go through the UTF-8 writer in slices; a surrogate pair or an
// escape at a slice's edge comes out whole.
void TestXmlElement::longTextEscapesToUtf8_data()
{
    QTest::addColumn<QString>("text");
    for (const qsizetype before : {4095, 4096, 8191}) {
        QTest::addRow("emoji after %lld units", qlonglong(before)) << QString(before, u'a') + QString::fromUtf16(u"\U0001F600z");
        QTest::addRow("quotes after %lld units", qlonglong(before)) << QString(before, u'\u65E5') + QStringLiteral("\"\"\r");
    }
    QTest::newRow("lone high surrogate at a slice's end") << QString(4095, u'a') + QString::fromUtf16(u"\xD83D" u"b", 2);
}

void TestXmlElement::longTextEscapesToUtf8()
{
    QFETCH(QString, text);
    QByteArray bytes;
    XmlText::appendEscapedTextUtf8(bytes, text);
    QCOMPARE(bytes, XmlText::escape(text).toUtf8());
}

void TestXmlElement::withoutForbiddenCharacters()
{
    QCOMPARE(XmlText::withoutForbiddenCharacters(QString::fromUtf16(u"<a\u0002>\n&\U0001F600")),
             QString::fromUtf16(u"<a>\n&\U0001F600"));
}

void TestXmlElement::escapedTextParsesBack_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("markup") << "a < b && c > 'd' \"e\"";
    QTest::newRow("line feeds") << "line\nline\n";
    QTest::newRow("carriage returns and tabs") << "a\r\nb\rc\td";
    QTest::newRow("entity look-alike") << "&amp; &#10;";
    QTest::newRow("Japanese and emoji") << QString::fromUtf16(u"売上 \U0001F600");
}

// A reader gets back exactly the text that was written, in text and in attributes.
void TestXmlElement::escapedTextParsesBack()
{
    QFETCH(QString, text);
    const XmlElement element(QStringLiteral("e"), text, { { QStringLiteral("a"), text } });
    const QByteArray bytes = element.toIndentedString().toUtf8();
    pugi::xml_document document;
    QVERIFY(document.load_buffer(bytes.constData(), bytes.size()));
    QCOMPARE(QString::fromUtf8(document.child("e").attribute("a").value()), text);
    QCOMPARE(QString::fromUtf8(document.child("e").text().get()), text);
}

QTEST_GUILESS_MAIN(TestXmlElement)
#include "tst_xmlelement.moc"
