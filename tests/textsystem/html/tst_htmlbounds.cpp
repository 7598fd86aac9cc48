#include "support/FuzzMutator.h"
#include "textsystem/html/HtmlBounds.h"
#include "textsystem/html/HtmlCodec.h"
#include "support/TestImages.h"

#include <QBuffer>
#include <QImage>
#include <QRegularExpression>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextTable>
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

    // 200 rows of colspan=65535 took Qt 15 s and half a gigabyte, however
    // the span was spelt; a real table's merged header was cut to the most
    // cells of a row. Spans are read as Qt reads them, a table is as wide as
    // its spans add up, and rows times columns stay within the budget.
    void tableSpansAsQtReadsThem_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<qint64>("budget");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("narrowed");
        const qint64 budget = HtmlBounds::maximumTableCells;
        const int most = HtmlBounds::maximumSpan;
        QTest::newRow("sign") << "<tr><td colspan=\"+65535\">x" << budget << most << 1;
        QTest::newRow("entity") << "<tr><td colspan=\"&#54;5535\">x" << budget << most << 1;
        QTest::newRow("inside another value") << "<tr><td title=' colspan=1' colspan=65535>x" << budget << most << 1;
        QTest::newRow("repeated") << "<tr><td colspan=1 colspan=65535>x" << budget << most << 1;
        QTest::newRow("quote in an unquoted value") << "<tr><td x=a'b>1<td colspan=65535>'>x" << budget << most + 1 << 1;
        QTest::newRow("quoted name") << "<tr><td \"colspan\"=65535>x" << budget << most << 1;
        QTest::newRow("space after the bracket") << "<tr>< td colspan=65535>x" << budget << most << 1;
        QTest::newRow("inside a script") << "<tr><td>a<script>'<td colspan=65535>'</script>" << budget << most + 1 << 1;
        QTest::newRow("tag never ended") << "<tr><td colspan='65535" << budget << most << 1;
        QTest::newRow("merged cells of three columns")
            << "<tr><th colspan=3>h<tr><td colspan=2>a<td>b<tr><td>c<td colspan=\"2\">d" << budget << 3 << 0;
        QTest::newRow("row span pushes a row right") << "<tr><td rowspan=2 colspan=2>a<td>b<tr><td colspan=2>c" << budget
                                                     << 4 << 0;
        QTest::newRow("rows past the budget") << repeated("<tr><td colspan=100>x", 30) << qint64(1000) << 34 << 30;
        QTest::newRow("row spans stacked") << repeated("<tr><td rowspan=10 colspan=100>x", 10) << qint64(1000) << 102 << 9;
    }

    void tableSpansAsQtReadsThem()
    {
        QFETCH(QString, rows);
        QFETCH(qint64, budget);
        QFETCH(int, columns);
        QFETCH(int, narrowed);
        const HtmlBounds::Result result = HtmlBounds::bounded("<table>" + rows, budget);
        QTextDocument document;
        document.setHtml(result.html);
        const QList<QTextFrame *> frames = document.rootFrame()->childFrames();
        QVERIFY(!frames.isEmpty());
        const auto *table = qobject_cast<QTextTable *>(frames.first());
        QVERIFY(table);
        QCOMPARE(table->columns(), columns);
        QCOMPARE(result.spansNarrowed, narrowed);
        QCOMPARE(result.cuts().size(), narrowed > 0 ? 1 : 0);
    }

    // A 13 KB table of one row of 1,000 cells over 1,000 rows of one took
    // Qt 15 s: it fills every row to the table's width. Such a table opens
    // as paragraphs, one for each cell; one within the budget stays a table.
    void sparseTablesOpenAsParagraphs_data()
    {
        QTest::addColumn<qint64>("budget");
        QTest::addColumn<bool>("asParagraphs");
        QTest::newRow("past the budget") << qint64(100) << true;
        QTest::newRow("within it") << qint64(10'000) << false;
    }

    void sparseTablesOpenAsParagraphs()
    {
        QFETCH(qint64, budget);
        QFETCH(bool, asParagraphs);
        const QString page = "<p>before<table border=1><tr>" + repeated("<td>head</td>", 40) + "</tr>"
                             + repeated("<tr><td>row</td></tr>", 40) + "</table><p>after";
        const HtmlBounds::Result result = HtmlBounds::bounded(page, budget);
        QTextDocument document;
        document.setHtml(result.html);
        QCOMPARE(document.rootFrame()->childFrames().isEmpty(), asParagraphs);
        QCOMPARE(document.toPlainText().count(QStringLiteral("head")), 40);
        QCOMPARE(document.toPlainText().count(QStringLiteral("row")), 40);
        QVERIFY(document.toPlainText().endsWith(QStringLiteral("after")));
        QCOMPARE(result.tablesAsParagraphs, asParagraphs ? 1 : 0);
        QCOMPARE(result.cuts().size(), asParagraphs ? 1 : 0);
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
