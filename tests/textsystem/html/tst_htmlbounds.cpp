#include "support/FuzzMutator.h"
#include "textsystem/html/HtmlBounds.h"
#include "textsystem/html/HtmlCodec.h"
#include "support/TestImages.h"

#include <QBuffer>
#include <QImage>
#include <QRegularExpression>
#include <QtTest>

namespace {

QString repeated(const QString &piece, int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += piece;
    return text;
}

QString numbered(const QString &pattern, int count)
{
    QString text;
    for (int i = 0; i < count; ++i)
        text += pattern.arg(i);
    return text;
}

QString tinyPngUri()
{
    const QByteArray bytes = TestImages::filled(QSize(1, 1), Qt::red);
    return QStringLiteral("data:image/png;base64,") + QString::fromLatin1(bytes.toBase64());
}

int attachments(const StyledText &text)
{
    int count = 0;
    text.forEachValue(TextRange::everything(), &TextAttributes::attachment,
                      [&count](const TextAttachmentPointer &attachment, TextRange range) {
        if (attachment)
            count += int(range.length);
    });
    return count;
}

QStringList spans(const QString &html, const QString &name)
{
    QStringList values;
    const QRegularExpression span(name + QStringLiteral("=\"?(\\d+)"));
    for (auto it = span.globalMatch(html); it.hasNext();)
        values << it.next().captured(1);
    return values;
}

} // namespace

// Pages that Qt's import would take minutes or gigabytes over are bounded
// before it sees them, and what was cut is reported.
class TestHtmlBounds : public QObject
{
    Q_OBJECT

private slots:
    void realPagesUnchanged_data()
    {
        QTest::addColumn<QString>("page");
        QTest::newRow("table with spans")
            << "<table><tr><th colspan=3>Head</th></tr><tr><td rowspan=2>a<td>b<td>c</tr><tr><td colspan='2'>d</td></tr></table>";
        QTest::newRow("styles and classes")
            << "<style>@media print { p { color: red } } .a, .b > c { margin: 0 }</style><p class=\"a b c\">x</p>";
        QTest::newRow("pictures") << repeated("<p><img src=\"a.png\" alt=\"a\"></p>", 300);
        QTest::newRow("script and comments") << "<script>if (a<b) x('<img src=y>');</script><!-- <td colspan=9> --><p>z";
        QTest::newRow("nested table") << "<table><tr><td>1<td><table><tr><td colspan=1>i</table><td>3</table>";
    }

    void realPagesUnchanged()
    {
        QFETCH(QString, page);
        const HtmlBounds::Result result = HtmlBounds::bounded(page);
        QCOMPARE(result.html, page);
        QVERIFY(result.cuts().isEmpty());
    }

    // 200 rows of colspan=65535 took Qt 8–20 s and half a gigabyte: a span
    // is no wider than the widest row of its table, and a row span no longer
    // than the rows left.
    void spansBoundedByTheTable()
    {
        const QString page = "<table>" + repeated("<tr><td colspan=65535>x</td></tr>", 200) + "</table>"
                             + "<table><tr><td>a<td rowspan=\"65535\">b<td>c<tr><td>d<td>e"
                               "<table><tr><td colspan=1000>inner</table></table>";
        const HtmlBounds::Result result = HtmlBounds::bounded(page);
        QCOMPARE(spans(result.html, QStringLiteral("colspan")), QStringList(201, QStringLiteral("1")));
        QCOMPARE(spans(result.html, QStringLiteral("rowspan")), QStringList{QStringLiteral("2")});
        QCOMPARE(result.spansNarrowed, 201);
        QCOMPARE(result.cuts().size(), 1);
    }

    // 20,000 pictures in a paragraph took Qt 24–30 s (each lays the
    // paragraph out again); past the bound they are left out, and said so.
    void picturesPerPageBounded()
    {
        const int extra = 7;
        const QString page = "<p>" + repeated("<img src=\"" + tinyPngUri() + "\">", HtmlBounds::maximumPictures + extra) + "</p>";
        QStringList cuts;
        const StyledText text = HtmlCodec::read(page.toUtf8(), QString(), &cuts);
        QCOMPARE(attachments(text), HtmlBounds::maximumPictures);
        QCOMPARE(cuts.size(), 1);
        QVERIFY2(cuts.first().startsWith(QStringLiteral("7 pictures")), qPrintable(cuts.first()));
    }

    // A million rules took 2.1 GB; an element with 100,000 classes over
    // 100,000 rules 45 s; 20,000 elements over 10,000 class rules 17 s;
    // 2,000 rules like ".z div" over divs nested 500 deep did not finish in
    // five minutes.
    void styleWorkBounded_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<int>("rulesKept");
        QTest::addColumn<int>("classesKept");
        const int rules = HtmlBounds::maximumStyleRules;
        QTest::newRow("rules past the bound")
            << "<style>" + numbered(".c%1 { color: red }\n", rules + 10) + "</style><p>x" << rules << 0;
        QTest::newRow("many classes")
            << "<style>" + numbered(".c%1{color:red}", 1000) + "</style><p class=\"" + numbered("c%1 ", 100) + "\">x"
            << 1000 << HtmlBounds::maximumClasses;
        QTest::newRow("many classes apart by tabs")
            << "<style>.c1{color:red}</style><p class=\"" + numbered("c%1\t\n", 100) + "\">x" << 1 << HtmlBounds::maximumClasses;
        const int elements = 20000;
        // Each rule costs each <p> its class and itself, and the <style> element 1.
        QTest::newRow("many elements over many rules")
            << "<style>" + numbered(".c%1{color:red}", 10000) + "</style>" + repeated("<p class=x>a</p>", elements)
            << int(HtmlBounds::maximumStyleWork / (2 * elements + 1)) << 1;
        // One such rule walks the ancestors of 500 nested divs: the budget holds one.
        QTest::newRow("descendant rules over deep nesting")
            << "<style>" + numbered(".z%1 div{color:red}", 2000) + "</style>" + repeated("<div class=x>", 500) + "a"
                   + repeated("</div>", 500)
            << 1 << 0;
        QTest::newRow("rules in blocks") << "<style>@media print { p { color: red } }" + numbered(".c%1{color:red}", rules)
                                               + "</style><p>x"
                                         << rules << 0;
    }

    void styleWorkBounded()
    {
        QFETCH(QString, page);
        QFETCH(int, rulesKept);
        QFETCH(int, classesKept);
        const HtmlBounds::Result result = HtmlBounds::bounded(page);
        QCOMPARE(int(result.html.count(u'{')), rulesKept);
        QVERIFY(result.html.contains(QStringLiteral("</style>")));
        const QRegularExpression classes(QStringLiteral("<p class=\"?([^\">]*)\"?>"));
        const QRegularExpressionMatch match = classes.match(result.html);
        QCOMPARE(match.hasMatch() ? int(match.captured(1).split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts).size()) : 0,
                 classesKept);
        QCOMPARE(result.cuts().isEmpty(), page.count(u'{') == rulesKept && result.elementsWithClassesLeftOut == 0);
    }

    // Mutated pages: the pass never reads outside the page, keeps its
    // bounds, and the import after it opens what is left.
    void mutatedPagesStayBounded()
    {
        const QByteArray seed = "<style>@media x { p.a { color: red } } .b c, d > .e { x: y }</style>"
                                "<table><tr><td colspan=4 rowspan='3' class=\"a b\">1<td>2<table><tr><th colspan=9>"
                                "</table></tr><tr><td>x</table><p id=k class='b'><img src=\"a.png\"><!-- <td> -->"
                                "<script>'<img>'</script><div><div><span class=e>t</span></div></div>";
        const QList<QByteArray> tokens = {"<table>", "</table>", "<tr>", "<td colspan=99999>", "<td rowspan=88888>",
                                          "<img src=x>", "<style>", "</style>", "{", "}", " div ", "class=\"", "'",
                                          "\"", "<!--", "-->", "<script>", "</", ">", "<"};
        Mutator mutator(fuzzSeed() + 7);
        const int runs = fuzzFor(300, [&](int) {
            QByteArray page = seed;
            for (int i = 0; i < 1 + mutator.bounded(4); ++i)
                page = mutator.mutate(page, tokens);
            const HtmlBounds::Result result = HtmlBounds::bounded(QString::fromUtf8(page));
            QVERIFY(result.html.size() <= page.size() * 2);
            HtmlCodec::read(result.html.toUtf8(), QString());
        });
        qInfo() << runs << "mutated pages bounded";
    }
};

QTEST_MAIN(TestHtmlBounds)
#include "tst_htmlbounds.moc"
