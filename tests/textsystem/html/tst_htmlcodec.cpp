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
};

QTEST_MAIN(TestHtmlCodec)
#include "tst_htmlcodec.moc"
