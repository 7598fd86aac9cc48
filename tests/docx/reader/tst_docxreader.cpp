#include "docx/reader/DocXReader.h"

#include "docx/reader/DocXTestPackage.h"

#include "docx/writer/DocXWriter.h"
#include "platform/CompoundFileWriter.h"
#include "platform/TemporaryFolder.h"
#include "support/UnzipToFolder.h"
#include "textsystem/StyledTextDocument.h"
#include "support/TestImages.h"

#include <QBuffer>
#include <QImage>
#include <QTextDocument>
#include <QTextList>
#include <QtTest>

#include <zlib.h>

using DocXTestPackage::relationship;

namespace {

const QByteArray themeXml = R"(<a:theme xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main"><a:themeElements>)"
                            R"(<a:fontScheme><a:majorFont><a:latin typeface="Major Sans"/><a:ea typeface=""/>)"
                            R"(<a:font script="Jpan" typeface="Major Gothic"/></a:majorFont><a:minorFont>)"
                            R"(<a:latin typeface="Minor Serif"/><a:ea typeface="Minor Mincho"/></a:minorFont>)"
                            R"(</a:fontScheme></a:themeElements></a:theme>)";

QByteArray run(const QByteArray &text, const QByteArray &properties = {})
{
    return "<w:r>" + (properties.isEmpty() ? QByteArray() : "<w:rPr>" + properties + "</w:rPr>") + "<w:t xml:space=\"preserve\">"
        + text + "</w:t></w:r>";
}

QByteArray paragraph(const QByteArray &content, const QByteArray &properties = {})
{
    return "<w:p>" + (properties.isEmpty() ? QByteArray() : "<w:pPr>" + properties + "</w:pPr>") + content + "</w:p>";
}

QByteArray pngBytes(int width, int height)
{
    return TestImages::filled(QSize(width, height), Qt::red);
}

// A PNG whose header claims a size far beyond what may be decoded.
QByteArray oversizedPngHeader()
{
    QByteArray bytes = pngBytes(1, 1);
    const char side[4] = {0, 1, char(0x86), char(0xA0)}; // 100000
    bytes.replace(16, 4, QByteArray(side, 4));
    bytes.replace(20, 4, QByteArray(side, 4));
    const uLong crc = crc32(0, reinterpret_cast<const Bytef *>(bytes.constData() + 12), 17); // IHDR type and data
    const char crcBytes[4] = {char(crc >> 24), char(crc >> 16), char(crc >> 8), char(crc)};
    bytes.replace(29, 4, QByteArray(crcBytes, 4));
    return bytes;
}

struct Package {
    QTemporaryDir folder;
    QString path;
};

StyledText readParts(const QMap<QString, QByteArray> &parts, QString *error = nullptr)
{
    QTemporaryDir folder;
    const QString path = DocXTestPackage::write(folder, QStringLiteral("t.docx"), parts);
    StyledText text;
    QString message;
    if (!DocXReader::read(path, &text, &message))
        text = StyledText(QStringLiteral("<error>"));
    if (error)
        *error = message;
    return text;
}

StyledText readBody(const QByteArray &body, QMap<QString, QByteArray> parts = {})
{
    parts.insert(QStringLiteral("word/document.xml"), DocXTestPackage::document(body));
    return readParts(parts);
}

QMap<QString, QByteArray> withStyles(const QByteArray &styles, const QByteArray &numbering = {})
{
    QByteArray rels = relationship("rS", "styles", "styles.xml") + relationship("rT", "theme", "theme/theme1.xml");
    QMap<QString, QByteArray> parts{{QStringLiteral("word/styles.xml"), DocXTestPackage::styles(styles)},
                                    {QStringLiteral("word/theme/theme1.xml"), themeXml}};
    if (!numbering.isEmpty()) {
        rels += relationship("rN", "numbering", "numbering.xml");
        parts.insert(QStringLiteral("word/numbering.xml"), DocXTestPackage::numbering(numbering));
    }
    parts.insert(QStringLiteral("word/_rels/document.xml.rels"), DocXTestPackage::relationships(rels));
    return parts;
}

} // namespace

class TestDocxReader : public QObject
{
    Q_OBJECT

private slots:
    void text_data();
    void text();
    void breaksMarkTheirParagraph();
    void runProperties_data();
    void runProperties();
    void symbolCharacters_data();
    void symbolCharacters();
    void eastAsianTextTakesEastAsianFont();
    void paragraphProperties();
    void styleCyclesEnd();
    void lists_data();
    void lists();
    void links_data();
    void links();
    void pictures_data();
    void pictures();
    void ruby();
    void badPackages_data();
    void badPackages();
    void deepNestingIsCut();
    void numberingStyleChainsResolveOnce();
    void noneLevelsShowNoMarkerAndSurviveASave();
    void bombsInsideTheLimitsAreRefused_data();
    void bombsInsideTheLimitsAreRefused();
};

void TestDocxReader::text_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("expected");
    QTest::newRow("paragraphs, the last without terminator")
        << paragraph(run("one")) + paragraph({}) + paragraph(run("two")) << QStringLiteral("one\n\ntwo");
    QTest::newRow("tab, line break, carriage return, hyphens")
        << paragraph("<w:r><w:t>a</w:t><w:tab/><w:t>b</w:t><w:br/><w:t>c</w:t><w:cr/><w:noBreakHyphen/><w:softHyphen/></w:r>")
        << QString::fromUtf16(u"a\tb\u2028c\u2028\u2011\u00AD");
    QTest::newRow("insertions read, deletions and moves away skipped")
        << paragraph("<w:ins>" + run("new") + "</w:ins><w:del><w:r><w:delText>old</w:delText></w:r></w:del>"
                     "<w:moveFrom>" + run("gone") + "</w:moveFrom><w:moveTo>" + run("!") + "</w:moveTo>")
        << QStringLiteral("new!");
    QTest::newRow("content controls, smart tags, custom XML at both levels")
        << "<w:sdt><w:sdtPr/><w:sdtContent>" + paragraph("<w:sdt><w:sdtContent>" + run("a") + "</w:sdtContent></w:sdt>"
                                                        "<w:smartTag>" + run("b") + "</w:smartTag><w:customXml>" + run("c") + "</w:customXml>")
               + "</w:sdtContent></w:sdt>"
        << QStringLiteral("abc");
    QTest::newRow("table rows become tab-separated lines")
        << "<w:tbl><w:tr><w:tc>" + paragraph(run("a")) + "</w:tc><w:tc>" + paragraph(run("b")) + "</w:tc></w:tr>"
               "<w:tr><w:tc>" + paragraph({}) + "</w:tc><w:tc>" + paragraph(run("d")) + "</w:tc></w:tr></w:tbl>"
               + paragraph(run("after"))
        << QStringLiteral("a\tb\n\td\nafter");
    QTest::newRow("field shows its result, not its instruction")
        << paragraph(run("Page ") + R"(<w:r><w:fldChar w:fldCharType="begin"/></w:r><w:r><w:instrText> PAGE </w:instrText></w:r>)"
                     R"(<w:r><w:fldChar w:fldCharType="separate"/></w:r>)" + run("3") + R"(<w:r><w:fldChar w:fldCharType="end"/></w:r>)")
        << QStringLiteral("Page 3");
    QTest::newRow("nested field inside an instruction stays hidden")
        << paragraph(R"(<w:r><w:fldChar w:fldCharType="begin"/><w:instrText>IF </w:instrText><w:fldChar w:fldCharType="begin"/>)"
                     R"(<w:instrText>PAGE</w:instrText><w:fldChar w:fldCharType="separate"/><w:t>1</w:t>)"
                     R"(<w:fldChar w:fldCharType="end"/><w:instrText> = 1 "x"</w:instrText><w:fldChar w:fldCharType="separate"/>)"
                     R"(<w:t>x</w:t><w:fldChar w:fldCharType="end"/></w:r>)")
        << QStringLiteral("x");
    QTest::newRow("field without end hides what follows; stray ends are harmless")
        << paragraph(run("a") + R"(<w:r><w:fldChar w:fldCharType="end"/><w:fldChar w:fldCharType="begin"/></w:r>)" + run("b"))
        << QStringLiteral("a");
    QTest::newRow("alternate content falls back")
        << paragraph(R"(<mc:AlternateContent><mc:Choice Requires="w14">)" + run("new") + "</mc:Choice><mc:Fallback>"
                     + run("old") + "</mc:Fallback></mc:AlternateContent>")
        << QStringLiteral("old");
}

void TestDocxReader::text()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, expected);
    QCOMPARE(readBody(body).string(), expected);
}

// The Symbol font's glyphs read as the characters they show; another symbol
// font's glyph keeps its private-use code in that font, never a control code.
void TestDocxReader::symbolCharacters_data()
{
    QTest::addColumn<QByteArray>("symbols");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("family");
    QTest::newRow("Symbol: logical or, theta, bullet")
        << QByteArray(R"(<w:sym w:font="Symbol" w:char="F0DA"/><w:sym w:font="Symbol" w:char="F071"/>)"
                      R"(<w:sym w:font="symbol" w:char="F0B7"/>)")
        << QString::fromUtf16(u"\u2228\u03B8\u2022") << "Times New Roman";
    QTest::newRow("Symbol without the private-use offset")
        << QByteArray(R"(<w:sym w:font="Symbol" w:char="44"/><w:sym w:font="Symbol" w:char="AE"/>)")
        << QString::fromUtf16(u"\u0394\u2192") << "Times New Roman";
    QTest::newRow("Symbol code without a glyph keeps the font")
        << QByteArray(R"(<w:sym w:font="Symbol" w:char="F080"/>)") << QString::fromUtf16(u"\uF080") << "Symbol";
    QTest::newRow("Wingdings 2 keeps its glyph and font")
        << QByteArray(R"(<w:sym w:font="Wingdings 2" w:char="F097"/><w:sym w:font="Wingdings 2" w:char="F050"/>)")
        << QString::fromUtf16(u"\uF097\uF050") << "Wingdings 2";
    QTest::newRow("a C1 code without offset is no control character")
        << QByteArray(R"(<w:sym w:font="Wingdings" w:char="97"/>)") << QString::fromUtf16(u"\uF097") << "Wingdings";
    QTest::newRow("run in Symbol: private-use codes")
        << QByteArray(R"(<w:rPr><w:rFonts w:ascii="Symbol" w:hAnsi="Symbol"/></w:rPr><w:t>&#xF028;&#xF071;&#xF029;</w:t>)")
        << QString::fromUtf16(u"(\u03B8)") << "Times New Roman";
    QTest::newRow("run in Symbol: letters and a Latin-1 code")
        << QByteArray(R"(<w:rPr><w:rFonts w:ascii="Symbol" w:hAnsi="Symbol"/></w:rPr><w:t>ab&#xB3;</w:t>)")
        << QString::fromUtf16(u"\u03B1\u03B2\u2265") << "Times New Roman";
    QTest::newRow("run in Symbol: a code without a glyph keeps the font")
        << QByteArray(R"(<w:rPr><w:rFonts w:ascii="Symbol"/></w:rPr><w:t>&#x80;&#xF080;</w:t>)")
        << QString::fromUtf16(u"\uF080\uF080") << "Symbol";
    QTest::newRow("run in Wingdings, a symbol charset font")
        << QByteArray(R"(<w:rPr><w:rFonts w:ascii="Wingdings" w:hAnsi="Wingdings"/></w:rPr><w:t>J&#xF04A;</w:t>)")
        << QString::fromUtf16(u"\uF04A\uF04A") << "Wingdings";
    QTest::newRow("malformed codes are skipped")
        << QByteArray(R"(<w:sym w:char="zz"/><w:sym w:char="D800"/><w:sym w:char="2022"/>)")
        << QString::fromUtf16(u"\u2022") << "Times New Roman";
}

void TestDocxReader::symbolCharacters()
{
    QFETCH(QByteArray, symbols);
    QFETCH(QString, expected);
    QFETCH(QString, family);
    const QMap<QString, QByteArray> fontTable{
        {QStringLiteral("word/_rels/document.xml.rels"),
         DocXTestPackage::relationships(relationship("rF", "fontTable", "fontTable.xml"))},
        {QStringLiteral("word/fontTable.xml"),
         QByteArray("<w:fonts ") + DocXTestPackage::wordNamespaces
             + R"(><w:font w:name="Wingdings"><w:charset w:val="02"/></w:font></w:fonts>)"}};
    const StyledText text = readBody(paragraph("<w:r>" + symbols + "</w:r>"), fontTable);
    QCOMPARE(text.string(), expected);
    for (qsizetype i = 0; i < text.length(); ++i)
        QCOMPARE(text.attributesAt(i).font->family, family);
}

void TestDocxReader::breaksMarkTheirParagraph()
{
    const StyledText text = readBody(paragraph(run("a") + R"(<w:r><w:br w:type="page"/><w:t>b</w:t><w:br w:type="column"/></w:r>)")
                                     + paragraph(run("c"), "<w:pageBreakBefore/>"));
    QCOMPARE(text.string(), QStringLiteral("a\nb\n\nc"));
    QCOMPARE(text.attributesAt(1).breakType, std::optional<BreakType>(BreakType::Page));
    QCOMPARE(text.attributesAt(3).breakType, std::optional<BreakType>(BreakType::Column));
    QCOMPARE(text.attributesAt(4).breakType, std::optional<BreakType>(BreakType::Page));
}

void TestDocxReader::runProperties_data()
{
    QTest::addColumn<QByteArray>("properties");
    QTest::addColumn<QString>("family");
    QTest::addColumn<double>("size");
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<TextAttributes>("expected"); // the other attributes

    auto plus = [](auto set) {
        TextAttributes a;
        set(a);
        return a;
    };
    // The defaults: theme minor font, 11 points, bold from the "Strong" character style.
    QTest::newRow("defaults") << QByteArray() << "Minor Serif" << 11.0 << false << false << TextAttributes();
    QTest::newRow("b val=0 is not bold") << QByteArray(R"(<w:b w:val="0"/><w:i/>)") << "Minor Serif" << 11.0 << false << true
                                         << TextAttributes();
    QTest::newRow("b val=false, then style bold") << QByteArray(R"(<w:rStyle w:val="Strong"/>)") << "Minor Serif" << 11.0
                                                  << true << false << TextAttributes();
    QTest::newRow("direct off beats style on") << QByteArray(R"(<w:rStyle w:val="Strong"/><w:b w:val="off"/>)")
                                               << "Minor Serif" << 11.0 << false << false << TextAttributes();
    QTest::newRow("font, size, colour") << QByteArray(R"(<w:rFonts w:ascii="Arial"/><w:sz w:val="37"/><w:color w:val="FF0000"/>)")
                                        << "Arial" << 18.5 << false << false
                                        << plus([](TextAttributes &a) { a.foreground = QColor(255, 0, 0); });
    QTest::newRow("auto colour, malformed colour") << QByteArray(R"(<w:color w:val="auto"/><w:shd w:fill="12345"/>)")
                                                   << "Minor Serif" << 11.0 << false << false << TextAttributes();
    QTest::newRow("highlight beats shading") << QByteArray(R"(<w:shd w:val="clear" w:fill="00FF00"/><w:highlight w:val="yellow"/>)")
                                             << "Minor Serif" << 11.0 << false << false
                                             << plus([](TextAttributes &a) { a.background = QColor(255, 255, 0); });
    QTest::newRow("shading") << QByteArray(R"(<w:shd w:val="clear" w:fill="00FF00"/>)") << "Minor Serif" << 11.0 << false << false
                             << plus([](TextAttributes &a) { a.background = QColor(0, 255, 0); });
    QTest::newRow("double underline with colour, strike")
        << QByteArray(R"(<w:u w:val="double" w:color="0000FF"/><w:strike/>)") << "Minor Serif" << 11.0 << false << false
        << plus([](TextAttributes &a) {
               a.underlineStyle = TextLineStyle::doubleLine;
               a.underlineColor = QColor(0, 0, 255);
               a.strikethroughStyle = TextLineStyle::single;
           });
    QTest::newRow("dotted heavy underline, double strike")
        << QByteArray(R"(<w:u w:val="dottedHeavy"/><w:dstrike/>)") << "Minor Serif" << 11.0 << false << false
        << plus([](TextAttributes &a) {
               a.underlineStyle = TextLineStyle::thick | TextLineStyle::patternDot;
               a.strikethroughStyle = TextLineStyle::doubleLine;
           });
    QTest::newRow("superscript") << QByteArray(R"(<w:vertAlign w:val="superscript"/><w:sz w:val="18"/>)") << "Minor Serif" << 9.0
                                 << false << false << plus([](TextAttributes &a) { a.baselineOffset = 3.0; });
    QTest::newRow("lowered position") << QByteArray(R"(<w:position w:val="-6"/>)") << "Minor Serif" << 11.0 << false << false
                                      << plus([](TextAttributes &a) { a.baselineOffset = -3.0; });
    QTest::newRow("sizes past 32 bits are ignored") << QByteArray(R"(<w:sz w:val="99999999999"/>)") << "Minor Serif" << 11.0
                                                    << false << false << TextAttributes();
    QTest::newRow("outlined WordArt keeps its fill")
        << QByteArray(R"(<w:sz w:val="40"/><w:color w:val="FF0000"/><w14:textOutline w14:w="25400"><w14:solidFill>)"
                      R"(<w14:srgbClr w14:val="0000FF"/></w14:solidFill></w14:textOutline>)")
        << "Minor Serif" << 20.0 << false << false << plus([](TextAttributes &a) {
               a.foreground = QColor(255, 0, 0);
               a.strokeWidth = -10.0;
               a.strokeColor = QColor(0, 0, 255);
           });
}

void TestDocxReader::runProperties()
{
    QFETCH(QByteArray, properties);
    QFETCH(QString, family);
    QFETCH(double, size);
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    QFETCH(TextAttributes, expected);
    const QByteArray styles =
        R"(<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:asciiTheme="minorHAnsi" w:eastAsiaTheme="minorEastAsia"/>)"
        R"(<w:sz w:val="22"/></w:rPr></w:rPrDefault></w:docDefaults>)"
        R"(<w:style w:type="character" w:styleId="Strong"><w:rPr><w:b/></w:rPr></w:style>)";
    const StyledText text = readBody(paragraph(run("x", properties)), withStyles(styles));
    QCOMPARE(text.string(), QStringLiteral("x"));
    TextAttributes read = text.attributesAt(0);
    QVERIFY(read.font);
    QCOMPARE(read.font->family, family);
    QCOMPARE(read.font->pointSize, size);
    QCOMPARE(read.font->bold, bold);
    QCOMPARE(read.font->italic, italic);
    read.font.reset();
    QCOMPARE(read, expected);
}

void TestDocxReader::eastAsianTextTakesEastAsianFont()
{
    const QByteArray styles = R"(<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:asciiTheme="minorHAnsi" )"
                              R"(w:eastAsiaTheme="majorEastAsia"/></w:rPr></w:rPrDefault></w:docDefaults>)";
    const StyledText text = readBody(paragraph(run("Hi 日本語 ok")), withStyles(styles));
    QCOMPARE(text.string(), QString::fromUtf16(u"Hi 日本語 ok"));
    QCOMPARE(text.attributesAt(0).font->family, QStringLiteral("Minor Serif"));
    QCOMPARE(text.attributesAt(3).font->family, QStringLiteral("Major Gothic")); // from the Jpan script font
    QCOMPARE(text.attributesAt(text.length() - 1).font->family, QStringLiteral("Minor Serif"));
    // Without any font named anywhere, the WordprocessingML default.
    QCOMPARE(readBody(paragraph(run("x"))).attributesAt(0).font->family, QStringLiteral("Times New Roman"));
    QCOMPARE(readBody(paragraph(run("x"))).attributesAt(0).font->pointSize, 10.0);
}

void TestDocxReader::paragraphProperties()
{
    const QByteArray styles =
        R"(<w:docDefaults><w:pPrDefault><w:pPr><w:spacing w:after="160" w:line="259" w:lineRule="auto"/></w:pPr></w:pPrDefault></w:docDefaults>)"
        R"(<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:pPr><w:jc w:val="both"/></w:pPr></w:style>)"
        R"(<w:style w:type="paragraph" w:styleId="Title"><w:basedOn w:val="Normal"/><w:pPr><w:jc w:val="center"/></w:pPr>)"
        R"(<w:rPr><w:sz w:val="56"/></w:rPr></w:style>)";
    const StyledText text = readBody(
        paragraph(run("T"), R"(<w:pStyle w:val="Title"/>)")
            + paragraph(run("B"), R"(<w:ind w:left="720" w:right="360" w:hanging="360"/><w:spacing w:before="240" w:line="360" w:lineRule="exact"/>)")
            + paragraph(run("E"), R"(<w:pStyle w:val="Missing"/><w:jc w:val="end"/><w:ind w:start="1440" w:firstLine="720"/>)"),
        withStyles(styles));
    QCOMPARE(text.string(), QStringLiteral("T\nB\nE"));
    const ParagraphStyle title = *text.attributesAt(0).paragraphStyle;
    QCOMPARE(title.alignment, TextAlignment::Center);
    QCOMPARE(title.spacingAfter, 8.0);
    QCOMPARE(title.lineHeightMultiple, 259 / 240.0);
    QCOMPARE(text.attributesAt(0).font->pointSize, 28.0);
    QCOMPARE(text.attributesAt(1).paragraphStyle, title); // the terminator belongs to its paragraph
    const ParagraphStyle body = *text.attributesAt(2).paragraphStyle;
    QCOMPARE(body.alignment, TextAlignment::Justified); // from the default style
    QCOMPARE(body.headIndent, 36.0);
    QCOMPARE(body.firstLineHeadIndent, 18.0);
    QCOMPARE(body.tailIndent, -18.0);
    QCOMPARE(body.spacingBefore, 12.0);
    QCOMPARE(body.lineSpacing, 18.0);
    QCOMPARE(body.lineHeightMultiple, 0.0);
    const ParagraphStyle end = *text.attributesAt(4).paragraphStyle;
    QCOMPARE(end.alignment, TextAlignment::Right);
    QCOMPARE(end.headIndent, 72.0);
    QCOMPARE(end.firstLineHeadIndent, 108.0);
}

void TestDocxReader::styleCyclesEnd()
{
    const QByteArray styles =
        R"(<w:style w:type="paragraph" w:styleId="A"><w:basedOn w:val="B"/><w:rPr><w:i/></w:rPr></w:style>)"
        R"(<w:style w:type="paragraph" w:styleId="B"><w:basedOn w:val="A"/><w:rPr><w:b/><w:i w:val="0"/></w:rPr></w:style>)"
        R"(<w:style w:type="character" w:styleId="Self"><w:basedOn w:val="Self"/><w:rPr><w:u w:val="single"/></w:rPr></w:style>)";
    const StyledText text = readBody(paragraph(run("x", R"(<w:rStyle w:val="Self"/>)"), R"(<w:pStyle w:val="A"/>)"),
                                     withStyles(styles));
    const TextAttributes a = text.attributesAt(0);
    QVERIFY(a.font->bold);
    QVERIFY(a.font->italic); // A's own italic beats its base's "not italic"
    QCOMPARE(a.underlineStyle, std::optional<int>(TextLineStyle::single));
}

void TestDocxReader::lists_data()
{
    QTest::addColumn<QByteArray>("numberingProperties");
    QTest::addColumn<QStringList>("markers"); // outermost first
    QTest::addColumn<qint64>("start");
    QTest::newRow("decimal") << QByteArray(R"(<w:numPr><w:ilvl w:val="0"/><w:numId w:val="1"/></w:numPr>)")
                             << QStringList{"{decimal}."} << qint64(1);
    QTest::newRow("second level keeps its own number") << QByteArray(R"(<w:numPr><w:ilvl w:val="1"/><w:numId w:val="1"/></w:numPr>)")
                                                      << QStringList{"{decimal}.", "({lower-latin})"} << qint64(1);
    QTest::newRow("level past nine is clamped") << QByteArray(R"(<w:numPr><w:ilvl w:val="4000000000"/><w:numId w:val="2"/></w:numPr>)")
                                                << QStringList{"{disc}"} << qint64(1);
    QTest::newRow("bullets") << QByteArray(R"(<w:numPr><w:ilvl w:val="0"/><w:numId w:val="2"/></w:numPr>)")
                             << QStringList{"{disc}"} << qint64(1);
    QTest::newRow("start override") << QByteArray(R"(<w:numPr><w:ilvl w:val="0"/><w:numId w:val="3"/></w:numPr>)")
                                    << QStringList{"{upper-roman}"} << qint64(4);
    QTest::newRow("numbering style link") << QByteArray(R"(<w:numPr><w:numId w:val="5"/></w:numPr>)")
                                          << QStringList{"{decimal}."} << qint64(1);
    QTest::newRow("style links in a loop") << QByteArray(R"(<w:numPr><w:numId w:val="6"/></w:numPr>)") << QStringList{} << qint64(1);
    QTest::newRow("dangling definition") << QByteArray(R"(<w:numPr><w:numId w:val="7"/></w:numPr>)") << QStringList{} << qint64(1);
    QTest::newRow("number format none shows no marker") << QByteArray(R"(<w:numPr><w:ilvl w:val="1"/><w:numId w:val="8"/></w:numPr>)")
                                                         << QStringList{"{none}", "{none}"} << qint64(1);
    QTest::newRow("numId 0 leaves the style's list") << QByteArray(R"(<w:pStyle w:val="Listed"/><w:numPr><w:numId w:val="0"/></w:numPr>)")
                                                   << QStringList{} << qint64(1);
    QTest::newRow("list from the paragraph style") << QByteArray(R"(<w:pStyle w:val="Listed"/>)") << QStringList{"{disc}"} << qint64(1);
}

void TestDocxReader::lists()
{
    QFETCH(QByteArray, numberingProperties);
    QFETCH(QStringList, markers);
    QFETCH(qint64, start);
    const QByteArray numbering =
        R"(<w:abstractNum w:abstractNumId="10"><w:lvl w:ilvl="0"><w:start w:val="1"/><w:numFmt w:val="decimal"/><w:lvlText w:val="%1."/>)"
        R"(<w:pPr><w:ind w:left="720" w:hanging="360"/></w:pPr></w:lvl>)"
        R"x(<w:lvl w:ilvl="1"><w:numFmt w:val="lowerLetter"/><w:lvlText w:val="%1.(%2)"/></w:lvl></w:abstractNum>)x"
        R"(<w:abstractNum w:abstractNumId="11"><w:lvl w:ilvl="0"><w:numFmt w:val="bullet"/><w:lvlText w:val=""/></w:lvl></w:abstractNum>)"
        R"(<w:abstractNum w:abstractNumId="12"><w:lvl w:ilvl="0"><w:numFmt w:val="upperRoman"/><w:lvlText w:val="%1"/></w:lvl></w:abstractNum>)"
        R"(<w:abstractNum w:abstractNumId="13"><w:styleLink w:val="Outline"/><w:lvl w:ilvl="0"><w:numFmt w:val="decimal"/><w:lvlText w:val="%1."/></w:lvl></w:abstractNum>)"
        R"(<w:abstractNum w:abstractNumId="14"><w:numStyleLink w:val="Outline"/></w:abstractNum>)"
        R"(<w:abstractNum w:abstractNumId="15"><w:numStyleLink w:val="Loop"/></w:abstractNum>)"
        R"(<w:num w:numId="1"><w:abstractNumId w:val="10"/></w:num><w:num w:numId="2"><w:abstractNumId w:val="11"/></w:num>)"
        R"(<w:num w:numId="3"><w:abstractNumId w:val="12"/><w:lvlOverride w:ilvl="0"><w:startOverride w:val="4"/></w:lvlOverride></w:num>)"
        R"(<w:num w:numId="4"><w:abstractNumId w:val="13"/></w:num><w:num w:numId="5"><w:abstractNumId w:val="14"/></w:num>)"
        R"(<w:abstractNum w:abstractNumId="16"><w:lvl w:ilvl="0"><w:numFmt w:val="none"/><w:lvlText w:val=""/></w:lvl>)"
        R"(<w:lvl w:ilvl="1"><w:numFmt w:val="none"/><w:lvlText w:val="%2."/></w:lvl></w:abstractNum>)"
        R"(<w:num w:numId="6"><w:abstractNumId w:val="15"/></w:num><w:num w:numId="7"><w:abstractNumId w:val="99"/></w:num>)"
        R"(<w:num w:numId="8"><w:abstractNumId w:val="16"/></w:num>)";
    const QByteArray styles =
        R"(<w:style w:type="numbering" w:styleId="Outline"><w:pPr><w:numPr><w:numId w:val="4"/></w:numPr></w:pPr></w:style>)"
        R"(<w:style w:type="numbering" w:styleId="Loop"><w:pPr><w:numPr><w:numId w:val="6"/></w:numPr></w:pPr></w:style>)"
        R"(<w:style w:type="paragraph" w:styleId="Listed"><w:pPr><w:numPr><w:numId w:val="2"/></w:numPr></w:pPr></w:style>)";
    const StyledText text = readBody(paragraph(run("item"), numberingProperties), withStyles(styles, numbering));
    const std::optional<ParagraphStyle> style = text.attributesAt(0).paragraphStyle;
    QStringList read;
    if (style) {
        for (const TextList &list : style->textLists)
            read.append(list.markerFormat);
    }
    QCOMPARE(read, markers);
    if (!markers.isEmpty())
        QCOMPARE(style->textLists.last().startingItemNumber, start);
    if (QTest::currentDataTag() == QLatin1String("decimal")) {
        QCOMPARE(style->headIndent, 36.0); // the level's indent
        QCOMPARE(style->firstLineHeadIndent, 18.0);
    }
}

void TestDocxReader::links_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("link"); // of the character "L"; "" for none
    QTest::newRow("relationship") << paragraph(R"(<w:hyperlink r:id="rH">)" + run("L") + "</w:hyperlink>")
                                  << QStringLiteral("https://example.com/a?b=1");
    QTest::newRow("anchor") << paragraph(R"(<w:hyperlink w:anchor="top">)" + run("L") + "</w:hyperlink>") << QStringLiteral("#top");
    QTest::newRow("dangling relationship keeps the text") << paragraph(R"(<w:hyperlink r:id="rNone">)" + run("L") + "</w:hyperlink>")
                                                          << QString();
    QTest::newRow("internal relationship is no link") << paragraph(R"(<w:hyperlink r:id="rS">)" + run("L") + "</w:hyperlink>")
                                                      << QString();
    QTest::newRow("HYPERLINK field")
        << paragraph(R"(<w:r><w:fldChar w:fldCharType="begin"/></w:r><w:r><w:instrText xml:space="preserve"> HYPERLINK "http://x.org/p" \o "tip" </w:instrText></w:r>)"
                     R"(<w:r><w:fldChar w:fldCharType="separate"/></w:r>)" + run("L") + R"(<w:r><w:fldChar w:fldCharType="end"/></w:r>)" + run("after"))
        << QStringLiteral("http://x.org/p");
    QTest::newRow("simple field to a bookmark") << paragraph(R"(<w:fldSimple w:instr="HYPERLINK \l &quot;sec&quot;">)" + run("L") + "</w:fldSimple>")
                                                << QStringLiteral("#sec");
}

void TestDocxReader::links()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, link);
    QMap<QString, QByteArray> parts = withStyles({});
    parts.insert(QStringLiteral("word/_rels/document.xml.rels"),
                 DocXTestPackage::relationships(relationship("rH", "hyperlink", "https://example.com/a?b=1", true)
                                                + relationship("rS", "styles", "styles.xml")));
    const StyledText text = readBody(body, parts);
    QVERIFY(text.string().startsWith(u'L'));
    QCOMPARE(text.attributesAt(0).link.value_or(QUrl()).toString(), link);
    QVERIFY(!text.attributesAt(text.length() - 1).link || text.length() == 1);
}

void TestDocxReader::pictures_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QSizeF>("size"); // empty: no picture
    const QByteArray inlinePicture =
        R"(<w:r><w:drawing><wp:inline><wp:extent cx="914400" cy="457200"/><a:graphic><a:graphicData>)"
        R"(<pic:pic xmlns:pic="p"><pic:blipFill><a:blip r:embed="%1"/></pic:blipFill></pic:pic></a:graphicData></a:graphic></wp:inline></w:drawing></w:r>)";
    QTest::newRow("drawing with extent") << paragraph(QByteArray(inlinePicture).replace("%1", "rP")) << QSizeF(72, 36);
    QTest::newRow("anchored drawing") << paragraph(QByteArray(inlinePicture).replace("%1", "rP").replace("wp:inline", "wp:anchor"))
                                      << QSizeF(72, 36);
    QTest::newRow("VML image data") << paragraph(R"(<w:r><w:pict><v:shape style="width:50pt;height:0.5in"><v:imagedata r:id="rP"/></v:shape></w:pict></w:r>)")
                                    << QSizeF(50, 36);
    QTest::newRow("dangling relationship") << paragraph(QByteArray(inlinePicture).replace("%1", "rMissing")) << QSizeF();
    QTest::newRow("target leaving the package") << paragraph(QByteArray(inlinePicture).replace("%1", "rOut")) << QSizeF();
    QTest::newRow("external target") << paragraph(QByteArray(inlinePicture).replace("%1", "rExt")) << QSizeF();
    QTest::newRow("picture too large to decode") << paragraph(QByteArray(inlinePicture).replace("%1", "rHuge")) << QSizeF();
    QTest::newRow("not a picture") << paragraph(QByteArray(inlinePicture).replace("%1", "rText")) << QSizeF();
    // A few kilobytes of nested <use> asking for 30^4 shapes held the reader for 40 s.
    QTest::newRow("SVG drawing too much") << paragraph(QByteArray(inlinePicture).replace("%1", "rSvg")) << QSizeF();
}

void TestDocxReader::pictures()
{
    QFETCH(QByteArray, body);
    QFETCH(QSizeF, size);
    QMap<QString, QByteArray> parts;
    parts.insert(QStringLiteral("word/media/image1.png"), pngBytes(8, 4));
    parts.insert(QStringLiteral("word/media/huge.png"), oversizedPngHeader());
    parts.insert(QStringLiteral("word/media/text.png"), "not a picture");
    QByteArray svg = R"(<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" width="800" height="800">)"
                     R"(<rect id="l0" width="800" height="800"/>)";
    for (int level = 1; level <= 4; ++level)
        svg += "<g id=\"l" + QByteArray::number(level) + "\">"
             + QByteArray("<use xlink:href=\"#l" + QByteArray::number(level - 1) + "\"/>").repeated(30) + "</g>";
    parts.insert(QStringLiteral("word/media/uses.svg"), svg + "<use xlink:href=\"#l4\"/></svg>");
    parts.insert(QStringLiteral("word/_rels/document.xml.rels"),
                 DocXTestPackage::relationships(relationship("rP", "image", "media/IMAGE1.PNG") // part names ignore case
                                                + relationship("rOut", "image", "../../../etc/passwd")
                                                + relationship("rExt", "image", "file:///etc/passwd", true)
                                                + relationship("rHuge", "image", "media/huge.png")
                                                + relationship("rText", "image", "/word/media/text.png")
                                                + relationship("rSvg", "image", "media/uses.svg")));
    const StyledText text = readBody(paragraph(run("a")) + body, parts);
    if (size.isEmpty()) {
        QCOMPARE(text.string(), QStringLiteral("a\n"));
        return;
    }
    QCOMPARE(text.string(), QString::fromUtf16(u"a\n\uFFFC"));
    const TextAttachmentPointer attachment = text.attributesAt(2).attachment;
    QVERIFY(attachment);
    QCOMPARE(attachment->image.size(), QSize(8, 4));
    QCOMPARE(attachment->bounds.size(), size);
    QCOMPARE(attachment->fileType, QStringLiteral("image/png"));
}

void TestDocxReader::ruby()
{
    const StyledText text = readBody(paragraph(
        R"(<w:r><w:ruby><w:rubyPr><w:rubyAlign w:val="center"/><w:hps w:val="12"/><w:hpsBaseText w:val="24"/></w:rubyPr>)"
        R"(<w:rt><w:r><w:t>かん</w:t></w:r></w:rt><w:rubyBase><w:r><w:t>漢</w:t></w:r></w:rubyBase></w:ruby></w:r>)" + run("字")));
    QCOMPARE(text.string(), QString::fromUtf16(u"漢字"));
    const RubyAnnotationPointer ruby = text.attributesAt(0).ruby;
    QVERIFY(ruby);
    QCOMPARE(ruby->before, std::optional<QString>(QString::fromUtf16(u"かん")));
    QCOMPARE(ruby->sizeFactor, 0.5);
    QCOMPARE(ruby->alignment, RubyAlignment::Center);
    QVERIFY(!text.attributesAt(1).ruby);
}

void TestDocxReader::badPackages_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("expected"); // part of the message
    QTest::newRow("not a zip") << "not a zip" << "not a readable Word document";
    QTest::newRow("malformed document XML") << "malformed" << "not a readable Word document";
    QTest::newRow("no main document") << "no document" << "not a readable Word document";
    QTest::newRow("main document of another kind") << "spreadsheet" << "holds no document body";
    QTest::newRow("part over the size limit") << "bomb" << "more than the limit";
    // A package saved with a password is a compound file holding it encrypted.
    QTest::newRow("password-protected") << "encrypted" << "is password-protected";
    QTest::newRow("compound file of another kind") << "compound" << "not a readable Word document";
}

void TestDocxReader::badPackages()
{
    QFETCH(QString, kind);
    QFETCH(QString, expected);
    QTemporaryDir folder;
    QString path = folder.filePath(QStringLiteral("bad.docx"));
    if (kind == QLatin1String("encrypted") || kind == QLatin1String("compound")) {
        CompoundFileWriter container;
        container.addStream(QStringLiteral("EncryptionInfo"), QByteArray(200, '\x04'));
        if (kind == QLatin1String("encrypted"))
            container.addStream(QStringLiteral("EncryptedPackage"), QByteArray(5000, '\x5A'));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(container.toBytes());
    } else if (kind == QLatin1String("not a zip")) {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write("PK\x03\x04 truncated");
    } else if (kind == QLatin1String("malformed")) {
        path = DocXTestPackage::write(folder, QStringLiteral("bad.docx"),
                                      {{QStringLiteral("word/document.xml"), "<w:document><w:body><w:p>"}});
    } else if (kind == QLatin1String("no document")) {
        path = DocXTestPackage::write(folder, QStringLiteral("bad.docx"), {{QStringLiteral("word/other.xml"), "<x/>"}});
    } else if (kind == QLatin1String("spreadsheet")) {
        path = DocXTestPackage::write(folder, QStringLiteral("bad.docx"), {{QStringLiteral("word/document.xml"), "<workbook/>"}});
    } else {
        // A part of zeros past the limit compresses to almost nothing.
        const QString parts = folder.filePath(QStringLiteral("bomb"));
        QDir().mkpath(parts + QStringLiteral("/word"));
        QFile zeros(parts + QStringLiteral("/word/document.xml"));
        zeros.open(QIODevice::WriteOnly);
        zeros.resize(DocXReader::maximumPartSize + 1);
        zeros.close();
        QString error;
        QVERIFY(ZipArchive::zipFolder(parts, path, ZipArchive::Compression::Deflated, &error));
        QVERIFY(QFileInfo(path).size() < 2 * 1024 * 1024);
    }
    StyledText text(QStringLiteral("kept"));
    QString error;
    QVERIFY(!DocXReader::read(path, &text, &error));
    QVERIFY2(error.contains(expected), qPrintable(error));
    QCOMPARE(text.string(), QStringLiteral("kept"));
}

void TestDocxReader::deepNestingIsCut()
{
    QByteArray nested;
    const int depth = 100000;
    for (int i = 0; i < depth; ++i)
        nested += "<w:sdt><w:sdtContent>";
    nested += paragraph(run("deep"));
    for (int i = 0; i < depth; ++i)
        nested += "</w:sdtContent></w:sdt>";
    const StyledText text = readBody(paragraph(run("top")) + nested + paragraph(run("end")));
    QCOMPARE(text.string(), QStringLiteral("top\nend"));
}

void TestDocxReader::numberingStyleChainsResolveOnce()
{
    // Definition i links through numbering style Si to instance i + 1, whose
    // definition links on; the last one holds the levels. Every instance
    // follows the chain to its end.
    constexpr int links = 10000;
    QByteArray numbering;
    QByteArray styles;
    for (int i = 1; i <= links; ++i) {
        const QByteArray n = QByteArray::number(i);
        numbering += R"(<w:abstractNum w:abstractNumId=")" + n + R"("><w:numStyleLink w:val="S)" + n + R"("/></w:abstractNum>)";
        styles += R"(<w:style w:type="numbering" w:styleId="S)" + n + R"("><w:pPr><w:numPr><w:numId w:val=")"
                  + QByteArray::number(i + 1) + R"("/></w:numPr></w:pPr></w:style>)";
    }
    const QByteArray last = QByteArray::number(links + 1);
    numbering += R"(<w:abstractNum w:abstractNumId=")" + last
                 + R"x("><w:lvl w:ilvl="0"><w:numFmt w:val="upperRoman"/><w:lvlText w:val="%1)"/></w:lvl></w:abstractNum>)x";
    for (int i = 1; i <= links + 1; ++i)
        numbering += R"(<w:num w:numId=")" + QByteArray::number(i) + R"("><w:abstractNumId w:val=")" + QByteArray::number(i)
                     + R"("/></w:num>)";
    QElapsedTimer timer;
    timer.start();
    const StyledText text = readBody(paragraph(run("item"), R"(<w:numPr><w:numId w:val="1"/></w:numPr>)"),
                                     withStyles(styles, numbering));
    QVERIFY2(timer.elapsed() < 5000, qPrintable(QString::number(timer.elapsed()) + QStringLiteral(" ms")));
    const std::optional<ParagraphStyle> style = text.attributesAt(0).paragraphStyle;
    QVERIFY(style);
    QCOMPARE(style->textLists.size(), 1);
    QCOMPARE(style->textLists[0].markerFormat, QStringLiteral("{upper-roman})"));
}

void TestDocxReader::noneLevelsShowNoMarkerAndSurviveASave()
{
    // Headings numbered by an outline whose levels show nothing, as
    // LibreOffice writes them.
    const QByteArray numbering =
        R"(<w:abstractNum w:abstractNumId="1"><w:lvl w:ilvl="0"><w:start w:val="1"/><w:numFmt w:val="none"/>)"
        R"(<w:lvlText w:val=""/></w:lvl></w:abstractNum><w:num w:numId="1"><w:abstractNumId w:val="1"/></w:num>)";
    const QByteArray heading = paragraph(run("Chapter one"), R"(<w:numPr><w:ilvl w:val="0"/><w:numId w:val="1"/></w:numPr>)");
    StyledText text = readBody(heading + paragraph(run("Body")) + heading, withStyles({}, numbering));
    QCOMPARE(text.attributesAt(0).paragraphStyle->textLists.value(0).markerFormat, QStringLiteral("{none}"));

    // The screen's list draws no marker.
    QTextDocument document;
    StyledTextDocument::fill(&document, text);
    QVERIFY(document.begin().textList());
    QCOMPARE(document.begin().textList()->format().style(), QTextListFormat::ListStyleUndefined);
    QCOMPARE(StyledTextDocument::toStyledText(document).attributesAt(0).paragraphStyle->textLists.value(0).markerFormat,
             QStringLiteral("{none}"));

    // Saved, it is "none" again, and reads back the same.
    QTemporaryDir folder;
    const QString saved = folder.filePath(QStringLiteral("saved.docx"));
    QVERIFY(!DocXWriter::write({text}, saved).isError());
    TemporaryFolder unpacked;
    QVERIFY(TestZip::unzipToFolder(saved, unpacked.path(), nullptr));
    QFile numberingPart(unpacked.filePath(QStringLiteral("word/numbering.xml")));
    QVERIFY(numberingPart.open(QIODevice::ReadOnly));
    const QByteArray written = numberingPart.readAll();
    QVERIFY(written.contains(R"(<w:lvl w:ilvl="0"><w:start w:val="1" /><w:numFmt w:val="none" /><w:lvlText w:val="" />)"));
    QVERIFY(!written.contains(R"(<w:numFmt w:val="decimal" />)"));
    StyledText reread;
    QString error;
    QVERIFY2(DocXReader::read(saved, &reread, &error), qPrintable(error));
    QCOMPARE(reread.attributesAt(0).paragraphStyle->textLists.value(0).markerFormat, QStringLiteral("{none}"));
}

// Parts within the size limits whose XML trees would take gigabytes: a
// 255 MB part of empty paragraphs took 3.1 GB and 30 s. They are refused
// before they are parsed, the main part and the optional ones alike.
void TestDocxReader::bombsInsideTheLimitsAreRefused_data()
{
    QTest::addColumn<QString>("part");
    QTest::newRow("main document") << "word/document.xml";
    QTest::newRow("styles") << "word/styles.xml";
}

void TestDocxReader::bombsInsideTheLimitsAreRefused()
{
    QFETCH(QString, part);
    // Each element is a tree node of 64 bytes: 13 million of them pass the
    // 768 MiB budget a small file gets.
    const QByteArray elements = QByteArray("<a/>").repeated(13 * 1000 * 1000);
    QMap<QString, QByteArray> parts = withStyles({});
    if (part == QLatin1String("word/document.xml")) {
        parts.insert(part, DocXTestPackage::document(elements));
    } else {
        parts.insert(QStringLiteral("word/document.xml"), DocXTestPackage::document(paragraph(run("small"))));
        parts.insert(part, DocXTestPackage::styles(elements));
    }
    QString error;
    QCOMPARE(readParts(parts, &error).string(), QStringLiteral("<error>"));
    QVERIFY2(error.contains(QStringLiteral("too large")), qPrintable(error));
}

QTEST_MAIN(TestDocxReader)
#include "tst_docxreader.moc"
