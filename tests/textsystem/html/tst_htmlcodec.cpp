#include "textsystem/html/HtmlCodec.h"

#include <QtTest>

namespace {

ParagraphStyle paragraphStyleOf(const StyledText &text)
{
    return text.attributesAt(0).paragraphStyle.value_or(ParagraphStyle());
}

StyledText paragraph(const ParagraphStyle &style)
{
    TextAttributes attributes;
    attributes.paragraphStyle = style;
    return StyledText(QStringLiteral("words"), attributes);
}

} // namespace

// What Qt's HTML import drops of a block's style comes back on reading.
class TestHtmlCodec : public QObject
{
    Q_OBJECT

private slots:
    // Qt's CSS reading has no justify: the style form opened as natural,
    // and our own pages wrote only the style form.
    void justifiedParagraphsStayJustified_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<TextAlignment>("alignment");
        ParagraphStyle justified;
        justified.alignment = TextAlignment::Justified;
        QTest::newRow("written here") << HtmlCodec::write(paragraph(justified)) << TextAlignment::Justified;
        QTest::newRow("style attribute") << QByteArray("<p style=\"text-align:justify\">words</p>") << TextAlignment::Justified;
        QTest::newRow("spaces and capitals") << QByteArray("<P STYLE='Text-Align : JUSTIFY ;'>words") << TextAlignment::Justified;
        QTest::newRow("over an align attribute") << QByteArray("<p align=center style=\"text-align: justify\">words")
                                                 << TextAlignment::Justified;
        QTest::newRow("from the enclosing div") << QByteArray("<div style=\"text-align:justify\"><p>words</p></div>")
                                                << TextAlignment::Justified;
        QTest::newRow("a later declaration wins") << QByteArray("<p style=\"text-align:justify; text-align:center\">words")
                                                  << TextAlignment::Center;
        QTest::newRow("justify in another property") << QByteArray("<p style=\"x-align:justify\">words")
                                                     << TextAlignment::Natural;
    }

    void justifiedParagraphsStayJustified()
    {
        QFETCH(QByteArray, page);
        QFETCH(TextAlignment, alignment);
        QCOMPARE(paragraphStyleOf(HtmlCodec::read(page, QString())).alignment, alignment);
    }

    // Qt's import keeps block margins in whole pixels (and none in points):
    // spacing of 1.8 pt came back as 1.5 pt, and each save lost more.
    void blockLengthsKeepTheirFractions_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<double>("before");
        QTest::addColumn<double>("after");
        QTest::addColumn<double>("head");
        QTest::addColumn<double>("firstLine");
        ParagraphStyle style;
        style.spacingBefore = 1.8;
        style.spacingAfter = 0.35;
        style.headIndent = 36.6;
        style.firstLineHeadIndent = 30.05;
        style.tailIndent = -7.3;
        style.lineSpacing = 13.7;
        QTest::newRow("written here") << HtmlCodec::write(paragraph(style)) << 1.8 << 0.35 << 36.6 << 30.05;
        ParagraphStyle item = style;
        item.textLists = {TextList{QStringLiteral("{decimal}."), 1}, TextList{TextList::circle.toString(), 1}};
        QTest::newRow("written here, nested item") << HtmlCodec::write(paragraph(item)) << 1.8 << 0.35 << 36.6 << 30.05;
        QTest::newRow("pixels") << QByteArray("<p style=\"margin-top:2.4px; margin-bottom:.6px; margin-left:10.6px\">words")
                                << 1.8 << 0.45 << 7.95 << 7.95;
        QTest::newRow("points, shorthand") << QByteArray("<p style=\"margin:0in 0in 8.0pt 0.5in; text-indent:-12pt\">words")
                                           << 0.0 << 8.0 << 36.0 << 24.0;
        QTest::newRow("inside a division") << QByteArray("<div style=\"margin-left:10.6px\"><p style=\"margin-left:5.6px\">words")
                                           << 9.0 << 9.0 << 12.15 << 12.15;
    }

    void blockLengthsKeepTheirFractions()
    {
        QFETCH(QByteArray, page);
        QFETCH(double, before);
        QFETCH(double, after);
        QFETCH(double, head);
        QFETCH(double, firstLine);
        const StyledText read = HtmlCodec::read(page, QString());
        const ParagraphStyle style = paragraphStyleOf(read);
        QCOMPARE(style.spacingBefore, before);
        QCOMPARE(style.spacingAfter, after);
        QCOMPARE(style.headIndent, head);
        QCOMPARE(style.firstLineHeadIndent, firstLine);
        const QByteArray saved = HtmlCodec::write(read);
        QCOMPARE(HtmlCodec::write(HtmlCodec::read(saved, QString())), saved);
    }
};

QTEST_MAIN(TestHtmlCodec)
#include "tst_htmlcodec.moc"
