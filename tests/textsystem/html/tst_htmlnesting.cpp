#include "textsystem/html/HtmlCodec.h"
#include "textsystem/html/HtmlNesting.h"

#include <QElapsedTimer>
#include <QtTest>

namespace {

QString repeated(const QString &piece, int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += piece;
    return text;
}

} // namespace

class TestHtmlNesting : public QObject
{
    Q_OBJECT

private slots:
    // Qt's import took 15 s for 20,000 nested elements and did not finish in
    // a minute for 50,000; the page now opens at once, its text whole and
    // the formatting of the levels kept.
    void deepPagesOpenQuickly_data()
    {
        QTest::addColumn<QString>("page");
        const int deep = 20000;
        QTest::newRow("nested div") << "<html><body><b>" + repeated("<div>", deep) + "deep" + repeated("</div>", deep)
                                           + "</b></body></html>";
        QTest::newRow("unclosed blockquote") << "<html><body><b>" + repeated("<blockquote>", deep) + "deep</b></body></html>";
        QTest::newRow("nested lists") << "<html><body><b>" + repeated("<ul><li>", deep) + "deep</b></body></html>";
        QTest::newRow("mixed case") << "<HTML><BODY><B>" + repeated("<Div class=x>", deep) + "deep"
                                            + repeated("</DIV>", deep) + "</B></BODY></HTML>";
    }

    void deepPagesOpenQuickly()
    {
        QFETCH(QString, page);
        QElapsedTimer timer;
        timer.start();
        const StyledText text = HtmlCodec::read(page.toUtf8(), QString());
        QVERIFY2(timer.elapsed() < 10000, qPrintable(QString::number(timer.elapsed())));
        const qsizetype at = text.string().indexOf(QStringLiteral("deep"));
        QVERIFY2(at >= 0, qPrintable(text.string().left(100)));
        QVERIFY(text.attributesAt(at).font && text.attributesAt(at).font->bold);
    }

    // What Qt closes or never opens does not count, so pages with many of
    // those pass untouched.
    void shallowPagesUnchanged_data()
    {
        QTest::addColumn<QString>("page");
        const int many = 2000;
        QTest::newRow("unclosed paragraphs") << "<body>" + repeated("<p>text", many);
        QTest::newRow("unclosed list items") << "<ul>" + repeated("<li>item", many) + "</ul>";
        QTest::newRow("unclosed table cells") << "<table>" + repeated("<tr><td>a<td>b", many) + "</table>";
        QTest::newRow("void and self-closed") << repeated("<br><img src=\"a.png\"><span/><hr/>", many);
        QTest::newRow("script and comments") << repeated("<script>if (a<b) c();</script><!-- <div> --><style>p>b{}</style>", many);
        QTest::newRow("quoted angle brackets") << repeated("<a title=\"<div>\" href='x>y'>link</a>", many);
        QTest::newRow("stray end tags") << repeated("</div></span>", many) + "<div>" + repeated("<b>x</b>", many) + "</div>";
    }

    void shallowPagesUnchanged()
    {
        QFETCH(QString, page);
        QCOMPARE(HtmlNesting::flattened(page), page);
    }
};

QTEST_MAIN(TestHtmlNesting)
#include "tst_htmlnesting.moc"
