// Run-level builders: run properties, paragraph properties, ruby, run text.
#include "docx/writer/DocXColor.h"
#include "docx/writer/ParagraphProperties.h"
#include "docx/writer/RubyElement.h"
#include "docx/writer/RunProperties.h"
#include "docx/writer/RunText.h"

#include <QtTest>

Q_DECLARE_METATYPE(TextAttributes)
Q_DECLARE_METATYPE(ParagraphStyle)
Q_DECLARE_METATYPE(RubyAnnotation)
Q_DECLARE_METATYPE(std::optional<double>)

namespace {

FontDescriptor font(double size, bool bold = false, bool italic = false, const QString &family = QStringLiteral("Serif"))
{
    FontDescriptor descriptor;
    descriptor.family = family;
    descriptor.pointSize = size;
    descriptor.bold = bold;
    descriptor.italic = italic;
    return descriptor;
}

QString runProperties(const TextAttributes &attributes)
{
    return RunProperties::element(attributes).toCompactString();
}

} // namespace

class TestRunElements : public QObject
{
    Q_OBJECT

private slots:
    void runProperties_data();
    void runProperties();
    void underline_data();
    void underline();
    void colour_data();
    void colour();
    void omittedFontFamily();
    void paragraphProperties_data();
    void paragraphProperties();
    void ruby_data();
    void ruby();
    void rubyWithoutTextIsNothing();
    void runText_data();
    void runText();
};

void TestRunElements::runProperties_data()
{
    QTest::addColumn<TextAttributes>("attributes");
    QTest::addColumn<QString>("xml");

    QTest::newRow("empty") << TextAttributes{} << "<w:rPr />";
    TextAttributes a;
    a.font = font(10.5, true, true);
    QTest::newRow("bold italic 10.5")
        << a << R"(<w:rPr><w:rFonts w:ascii="Serif" w:cs="Serif" w:eastAsia="Serif" w:hAnsi="Serif" /><w:b /><w:i /><w:sz w:val="21" /></w:rPr>)";
    a = {};
    a.font = font(10.25, false, false, QString());
    a.font->faceName = QStringLiteral("Face-Bold");
    QTest::newRow("face name without family, 10.25 truncates")
        << a << R"(<w:rPr><w:rFonts w:ascii="Face-Bold" w:cs="Face-Bold" w:eastAsia="Face-Bold" w:hAnsi="Face-Bold" /><w:sz w:val="20" /></w:rPr>)";
    a = {};
    a.font = font(qQNaN(), false, false, QString());
    QTest::newRow("NaN size and no name write nothing") << a << "<w:rPr />";
    a = {};
    a.font = font(-4, false, false, QString());
    QTest::newRow("negative size written as nothing") << a << "<w:rPr />";
    a = {};
    a.characterStyleId = QStringLiteral("Strong");
    a.font = font(12, true);
    a.inlinePresentationIntent = InlinePresentationIntent::stronglyEmphasized;
    QTest::newRow("style first; bold once, from the font")
        << a << R"(<w:rPr><w:rStyle w:val="Strong" /><w:rFonts w:ascii="Serif" w:cs="Serif" w:eastAsia="Serif" w:hAnsi="Serif" /><w:b /><w:sz w:val="24" /></w:rPr>)";
    a = {};
    a.inlinePresentationIntent = InlinePresentationIntent::emphasized;
    QTest::newRow("emphasis intent") << a << R"(<w:rPr><w:i w:val="true" /></w:rPr>)";
    a.inlinePresentationIntent = 3;
    QTest::newRow("combined intent ignored") << a << "<w:rPr />";
    a = {};
    a.strikethroughStyle = TextLineStyle::doubleLine;
    QTest::newRow("double strike") << a << R"(<w:rPr><w:dstrike w:val="true" /></w:rPr>)";
    a.strikethroughStyle = TextLineStyle::thick;
    QTest::newRow("thick strike is single") << a << R"(<w:rPr><w:strike w:val="true" /></w:rPr>)";
    a.strikethroughStyle = 0;
    QTest::newRow("no strike") << a << "<w:rPr />";
    a = {};
    a.baselineOffset = 0.5;
    QTest::newRow("superscript") << a << R"(<w:rPr><w:vertAlign w:val="superscript" /></w:rPr>)";
    a.baselineOffset = -0.5;
    QTest::newRow("subscript") << a << R"(<w:rPr><w:vertAlign w:val="subscript" /></w:rPr>)";
    a.baselineOffset = qQNaN();
    QTest::newRow("NaN baseline") << a << "<w:rPr />";
    a = {};
    a.background = QColor(255, 255, 0);
    a.foreground = QColor(255, 0, 0);
    a.underlineStyle = TextLineStyle::single;
    a.underlineColor = QColor(0, 0, 255);
    QTest::newRow("colour, underline colour and shading in schema order")
        << a << R"(<w:rPr><w:color w:val="FF0000" /><w:u w:color="0000FF" w:val="single" /><w:shd w:color="FFFF00" w:fill="FFFF00" w:val="clear" /></w:rPr>)";
    a = {};
    a.background = QColor(0, 0, 0, 0);
    a.foreground = QColor(10, 10, 10, 0);
    QTest::newRow("transparent colours are no colour") << a << "<w:rPr />";
    a = {};
    a.foreground = QColor();
    a.underlineStyle = TextLineStyle::single;
    a.underlineColor = QColor();
    a.background = QColor();
    QTest::newRow("invalid colours are left out") << a << R"(<w:rPr><w:u w:val="single" /></w:rPr>)";

    a = {};
    a.font = font(20);
    a.strokeWidth = -3.0;
    a.foreground = QColor(0, 128, 0);
    QTest::newRow("stroke and fill in the foreground")
        << a << R"(<w:rPr><w:rFonts w:ascii="Serif" w:cs="Serif" w:eastAsia="Serif" w:hAnsi="Serif" /><w:color w:val="008000" /><w:sz w:val="40" /><w14:textOutline w14:algn="ctr" w14:cap="flat" w14:cmpd="sng" w14:w="7620"><w14:solidFill><w14:srgbClr w14:val="008000" /></w14:solidFill><w14:prstDash w14:val="solid" /><w14:round /></w14:textOutline></w:rPr>)";
    a.strokeWidth = 3.0;
    a.foreground.reset();
    QTest::newRow("outline only fills white")
        << a << R"(<w:rPr><w:rFonts w:ascii="Serif" w:cs="Serif" w:eastAsia="Serif" w:hAnsi="Serif" /><w:color w:val="FFFFFF" /><w:sz w:val="40" /><w14:textOutline w14:algn="ctr" w14:cap="flat" w14:cmpd="sng" w14:w="7620"><w14:solidFill><w14:srgbClr w14:val="000000" /></w14:solidFill><w14:prstDash w14:val="solid" /><w14:round /></w14:textOutline></w:rPr>)";
    a = {};
    a.strokeWidth = -3.0;
    a.foreground = QColor(255, 0, 0);
    QTest::newRow("stroke without font writes the colour") << a << R"(<w:rPr><w:color w:val="FF0000" /></w:rPr>)";
    a.font = font(12);
    a.font->family.clear();
    a.strokeWidth = qInf();
    QTest::newRow("infinite stroke writes the colour") << a << R"(<w:rPr><w:color w:val="FF0000" /><w:sz w:val="24" /></w:rPr>)";
}

void TestRunElements::runProperties()
{
    QFETCH(TextAttributes, attributes);
    QFETCH(QString, xml);
    QCOMPARE(::runProperties(attributes), xml);
}

void TestRunElements::underline_data()
{
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("value");
    using namespace TextLineStyle;
    QTest::newRow("none") << none << "none";
    QTest::newRow("single") << single << "single";
    QTest::newRow("thick") << thick << "thick";
    QTest::newRow("double") << doubleLine << "double";
    QTest::newRow("by word wins") << (single | patternDash | byWord) << "words";
    QTest::newRow("dotted") << (single | patternDot) << "dotted";
    QTest::newRow("dash") << (single | patternDash) << "dash";
    QTest::newRow("dash dot") << (single | patternDashDot) << "dotDash";
    QTest::newRow("dash dot dot") << (single | patternDashDotDot) << "dotDotDash";
    QTest::newRow("thick dotted") << (thick | patternDot) << "dottedHeavy";
    QTest::newRow("thick dash") << (thick | patternDash) << "dashedHeavy";
    QTest::newRow("thick dash dot") << (thick | patternDashDot) << "dashDotHeavy";
    QTest::newRow("thick dash dot dot") << (thick | patternDashDotDot) << "dashDotDotHeavy";
}

void TestRunElements::underline()
{
    QFETCH(int, style);
    QFETCH(QString, value);
    QCOMPARE(RunProperties::underlineValue(style), value);
}

void TestRunElements::colour_data()
{
    QTest::addColumn<QColor>("color");
    QTest::addColumn<QString>("hex");
    QTest::newRow("red") << QColor(255, 0, 0) << "FF0000";
    QTest::newRow("mid grey keeps 128") << QColor(128, 128, 128) << "808080";
    QTest::newRow("small channels") << QColor(1, 2, 15) << "01020F";
    QTest::newRow("from HSV") << QColor::fromHsv(240, 255, 255) << "0000FF";
    QTest::newRow("invalid") << QColor() << "FFFFFF";
}

void TestRunElements::colour()
{
    QFETCH(QColor, color);
    QFETCH(QString, hex);
    QCOMPARE(DocXColor::hexText(color), hex);
}

void TestRunElements::omittedFontFamily()
{
    TextAttributes a;
    a.font = font(12);
    QCOMPARE(RunProperties::element(a, RunProperties::FontFamily::Omitted).toCompactString(),
             QStringLiteral(R"(<w:rPr><w:sz w:val="24" /></w:rPr>)"));
}

void TestRunElements::paragraphProperties_data()
{
    QTest::addColumn<ParagraphStyle>("style");
    QTest::addColumn<QString>("xml");
    ParagraphStyle s;
    QTest::newRow("default") << s << R"(<w:jc w:val="start" />)";
    s.alignment = TextAlignment::Right;
    QTest::newRow("right is end") << s << R"(<w:jc w:val="end" />)";
    s = {};
    s.alignment = TextAlignment::Justified;
    s.spacingBefore = 6;
    s.spacingAfter = 12;
    QTest::newRow("spacing") << s << R"(<w:spacing w:after="240" w:before="120" /><w:jc w:val="both" />)";
    s = {};
    s.lineHeightMultiple = 1.5;
    QTest::newRow("multiple") << s << R"(<w:spacing w:line="360" w:lineRule="auto" /><w:jc w:val="start" />)";
    s.lineSpacing = 4;
    QTest::newRow("exact replaces multiple") << s << R"(<w:spacing w:line="80" w:lineRule="exact" /><w:jc w:val="start" />)";
    s = {};
    s.lineSpacing = 0.04;
    QTest::newRow("tiny line truncates") << s << R"(<w:spacing w:line="0" w:lineRule="exact" /><w:jc w:val="start" />)";
    s = {};
    s.headIndent = 36;
    QTest::newRow("hanging") << s << R"(<w:ind w:hanging="720" w:start="720" /><w:jc w:val="start" />)";
    s = {};
    s.firstLineHeadIndent = 18;
    QTest::newRow("first line") << s << R"(<w:ind w:firstLine="360" w:start="0" /><w:jc w:val="start" />)";
    s.headIndent = 36;
    s.firstLineHeadIndent = 54;
    QTest::newRow("first line beyond head") << s << R"(<w:ind w:firstLine="360" w:start="720" /><w:jc w:val="start" />)";
    s.headIndent = 0.01;
    s.firstLineHeadIndent = 0.01;
    QTest::newRow("0.01 counts as zero") << s << R"(<w:ind w:firstLine="0" w:start="0" /><w:jc w:val="start" />)";
    s = {};
    s.tailIndent = -36;
    QTest::newRow("tail from trailing margin") << s << R"(<w:ind w:end="720" /><w:jc w:val="start" />)";
    s.tailIndent = 400;
    QTest::newRow("tail from leading margin not written") << s << R"(<w:jc w:val="start" />)";
    s = {};
    s.spacingBefore = qInf();
    s.headIndent = qQNaN();
    s.firstLineHeadIndent = 1e12;
    s.lineHeightMultiple = 1e30;
    QTest::newRow("bad numbers left out") << s << R"(<w:jc w:val="start" />)";
}

void TestRunElements::paragraphProperties()
{
    QFETCH(ParagraphStyle, style);
    QFETCH(QString, xml);
    QString result;
    for (const XmlElement &element : ParagraphProperties::elements(style))
        result += element.toCompactString();
    QCOMPARE(result, xml);
}

void TestRunElements::ruby_data()
{
    QTest::addColumn<RubyAnnotation>("annotation");
    QTest::addColumn<std::optional<double>>("fontSize");
    QTest::addColumn<QString>("properties");
    QTest::addColumn<QString>("rubyText");

    RubyAnnotation a;
    a.before = QStringLiteral("かん");
    a.alignment = RubyAlignment::Center;
    QTest::newRow("12 pt, half size") << a << std::optional<double>(12)
                                      << R"(<w:rubyPr><w:rubyAlign w:val="center" /><w:hps w:val="12" /><w:hpsRaise w:val="22" /><w:hpsBaseText w:val="24" /><w:lid w:val="ja-JP" /></w:rubyPr>)"
                                      << "かん";
    a = {};
    a.after = QStringLiteral("after");
    a.alignment = RubyAlignment::Auto;
    QTest::newRow("after only, no font: template size")
        << a << std::optional<double>()
        << R"(<w:rubyPr><w:rubyAlign w:val="distributeSpace" /><w:hps w:val="10" /><w:hpsRaise w:val="19" /><w:hpsBaseText w:val="21" /><w:lid w:val="ja-JP" /></w:rubyPr>)"
        << "after";
    a = {};
    a.before = QStringLiteral("b");
    a.inlineText = QStringLiteral("i");
    a.sizeFactor = qQNaN();
    a.alignment = RubyAlignment::Start;
    QTest::newRow("before wins; NaN factor is half")
        << a << std::optional<double>(10)
        << R"(<w:rubyPr><w:rubyAlign w:val="left" /><w:hps w:val="10" /><w:hpsRaise w:val="18" /><w:hpsBaseText w:val="20" /><w:lid w:val="ja-JP" /></w:rubyPr>)"
        << "b";
}

void TestRunElements::ruby()
{
    QFETCH(RubyAnnotation, annotation);
    QFETCH(std::optional<double>, fontSize);
    QFETCH(QString, properties);
    QFETCH(QString, rubyText);
    TextAttributes attributes;
    if (fontSize)
        attributes.font = font(*fontSize, false, false, QString());
    const auto element = RubyElement::element(annotation, QStringLiteral("漢"), attributes);
    QVERIFY(element);
    QCOMPARE(element->children().size(), size_t(3));
    QCOMPARE(element->children()[0].toCompactString(), properties);
    const XmlElement &rubyRun = element->children()[1].children()[0];
    QCOMPARE(rubyRun.children().back().value().value_or(QString()), rubyText);
    const XmlElement &rubyRunProperties = rubyRun.children()[0];
    const XmlElement &hps = element->children()[0].children()[1];
    QVERIFY(rubyRunProperties.toCompactString().contains(
        QStringLiteral("<w:sz w:val=\"%1\" />").arg(hps.attributes().at(QStringLiteral("w:val")))));
    QCOMPARE(element->children()[2].children()[0].children().back().value().value_or(QString()), QStringLiteral("漢"));
}

void TestRunElements::rubyWithoutTextIsNothing()
{
    RubyAnnotation empty;
    empty.before = QString();
    QVERIFY(!RubyElement::element(empty, QStringLiteral("漢"), {}));
    RubyAnnotation withText;
    withText.before = QStringLiteral("x");
    QVERIFY(!RubyElement::element(withText, QString(QChar(0xFFFC)), {}));
}

void TestRunElements::runText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("xml");
    QTest::newRow("spaces kept") << " a " << R"(<w:r><w:t xml:space="preserve"> a </w:t></w:r>)";
    QTest::newRow("tab") << "a\tb" << R"(<w:r><w:t xml:space="preserve">a</w:t><w:tab /><w:t xml:space="preserve">b</w:t></w:r>)";
    QTest::newRow("line breaks") << QStringLiteral("a\vb\u2028c\u0085")
                                 << R"(<w:r><w:t xml:space="preserve">a</w:t><w:br /><w:t xml:space="preserve">b</w:t><w:br /><w:t xml:space="preserve">c</w:t><w:br /></w:r>)";
    QTest::newRow("form feed") << "a\fb" << R"(<w:r><w:t xml:space="preserve">a</w:t><w:br w:type="page" /><w:t xml:space="preserve">b</w:t></w:r>)";
    QTest::newRow("controls and object character dropped")
        << QStringLiteral("a\x01\x1b\u0090\uFFFCb") << R"(<w:r><w:t xml:space="preserve">ab</w:t></w:r>)";
    QTest::newRow("markup escaped") << "<&>" << R"(<w:r><w:t xml:space="preserve">&lt;&amp;&gt;</w:t></w:r>)";
}

void TestRunElements::runText()
{
    QFETCH(QString, text);
    QFETCH(QString, xml);
    XmlElement run(QStringLiteral("w:r"));
    RunText::append(run, text);
    QCOMPARE(run.toCompactString(), xml);
}

QTEST_GUILESS_MAIN(TestRunElements)
#include "tst_runelements.moc"
