#include "StyledTextNotation.h"
#include "textsystem/StyledText.h"

#include <QtTest>

#include <cmath>
#include <limits>

using namespace StyledTextNotation;

Q_DECLARE_METATYPE(TextRange)

namespace {

constexpr qsizetype huge = std::numeric_limits<qsizetype>::max();

QString describeParagraphs(const QList<TextParagraph> &paragraphs)
{
    QStringList parts;
    for (const TextParagraph &paragraph : paragraphs)
        parts << QStringLiteral("%1+%2/%3").arg(paragraph.content.location).arg(paragraph.content.length).arg(paragraph.enclosing.length);
    return parts.join(u' ');
}

} // namespace

class TestStyledText : public QObject
{
    Q_OBJECT

private slots:
    void setAttributes_data();
    void setAttributes();
    void modifyAttributesCoalesces();
    void longestRange_data();
    void longestRange();
    void valueLongestRange_data();
    void valueLongestRange();
    void forEachValue_data();
    void forEachValue();
    void enumerationStops();
    void paragraphs_data();
    void paragraphs();
    void mid_data();
    void mid();
    void append_data();
    void append();
    void appendToItself();
    void attachmentsAndRubyCompareByIdentity();
    void notANumberStillCoalesces();
    void copiesAreIndependent();
};

void TestStyledText::setAttributes_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<TextRange>("range");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<QString>("after");

    QTest::newRow("middle splits in three") << "abcdef" << TextRange{2, 2} << "r" << "[]ab[r]cd[]ef";
    QTest::newRow("whole text") << "[r]ab[g]cd" << TextRange{0, 4} << "b" << "[b]abcd";
    QTest::newRow("joins both neighbours") << "[r]ab[g]cd[r]ef" << TextRange{2, 2} << "r" << "[r]abcdef";
    QTest::newRow("joins the left neighbour") << "[r]ab[g]cd[b]ef" << TextRange{2, 1} << "r" << "[r]abc[g]d[b]ef";
    QTest::newRow("joins the right neighbour") << "[r]ab[g]cd[b]ef" << TextRange{3, 1} << "b" << "[r]ab[g]c[b]def";
    QTest::newRow("same as the run it is in") << "[r]abcd" << TextRange{1, 2} << "r" << "[r]abcd";
    QTest::newRow("spans several runs") << "[r]ab[g]cd[b]ef[]gh" << TextRange{1, 6} << "g" << "[r]a[g]bcdefg[]h";
    QTest::newRow("on a run edge") << "[r]ab[g]cd" << TextRange{2, 2} << "b" << "[r]ab[b]cd";
    QTest::newRow("clears to no attributes") << "[r]ab[g]cd" << TextRange{0, 4} << "" << "[]abcd";
    QTest::newRow("past the end is clamped") << "abcd" << TextRange{2, 100} << "r" << "[]ab[r]cd";
    QTest::newRow("huge length does not overflow") << "abcd" << TextRange{3, huge} << "r" << "[]abc[r]d";
    QTest::newRow("negative location is clamped") << "abcd" << TextRange{-2, 3} << "r" << "[r]a[]bcd";
    QTest::newRow("empty range changes nothing") << "[r]abcd" << TextRange{2, 0} << "g" << "[r]abcd";
    QTest::newRow("negative length changes nothing") << "[r]abcd" << TextRange{2, -1} << "g" << "[r]abcd";
    QTest::newRow("starting past the end changes nothing") << "[r]abcd" << TextRange{9, 3} << "g" << "[r]abcd";
    QTest::newRow("empty text stays empty") << "" << TextRange{0, 5} << "g" << "";
    const QString emoji = QString::fromUcs4(U"\U0001F600");
    QTest::newRow("splits a surrogate pair") << u'a' + emoji + u'b' << TextRange{2, 1} << "r"
                                             << "[]a" + emoji.left(1) + "[r]" + emoji.right(1) + "[]b";
}

void TestStyledText::setAttributes()
{
    QFETCH(QString, before);
    QFETCH(TextRange, range);
    QFETCH(QString, tag);
    QFETCH(QString, after);

    StyledText text = parse(before);
    text.setAttributes(range, attributesOf(tag));
    QCOMPARE(describe(text), after);
}

void TestStyledText::modifyAttributesCoalesces()
{
    StyledText text = parse(u"[r]ab[g]cd[b]ef[r]gh");
    TextAttributes underlined;
    underlined.underlineStyle = TextLineStyle::single;
    text.modifyAttributes({1, 6}, [](TextAttributes &attributes) {
        attributes.foreground = Qt::red;
        attributes.underlineStyle = TextLineStyle::single;
    });
    QCOMPARE(text.runCount(), 3);
    TextRange range;
    QCOMPARE(text.attributesAt(4, &range).underlineStyle, TextLineStyle::single);
    QCOMPARE(range, (TextRange{1, 6}));
    QCOMPARE(text.attributesAt(7, &range).underlineStyle, std::nullopt);
    QCOMPARE(range, (TextRange{7, 1}));

    // A change that leaves everything as it was keeps the runs.
    text.modifyAttributes({0, 8}, [](TextAttributes &) {});
    QCOMPARE(text.runCount(), 3);
    // Clearing the underline joins everything into one red run.
    text.modifyAttributes({0, 8}, [](TextAttributes &attributes) { attributes.underlineStyle.reset(); });
    QCOMPARE(describe(text), u"[r]abcdefgh"_qs);
}

void TestStyledText::longestRange_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<qsizetype>("index");
    QTest::addColumn<TextRange>("limit");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<TextRange>("range");

    const QString text = u"[r]ab[g]cdef[b]gh"_qs;
    QTest::newRow("whole run") << text << qsizetype(3) << TextRange::everything() << "g" << TextRange{2, 4};
    QTest::newRow("first character") << text << qsizetype(0) << TextRange::everything() << "r" << TextRange{0, 2};
    QTest::newRow("last character") << text << qsizetype(7) << TextRange::everything() << "b" << TextRange{6, 2};
    QTest::newRow("limit cuts the left") << text << qsizetype(4) << TextRange{3, 10} << "g" << TextRange{3, 3};
    QTest::newRow("limit cuts both sides") << text << qsizetype(4) << TextRange{3, 2} << "g" << TextRange{3, 2};
    QTest::newRow("index outside the limit") << text << qsizetype(1) << TextRange{3, 2} << "r" << TextRange{1, 0};
    QTest::newRow("at the end") << text << qsizetype(8) << TextRange::everything() << "" << TextRange{8, 0};
    QTest::newRow("past the end") << text << qsizetype(50) << TextRange::everything() << "" << TextRange{8, 0};
    QTest::newRow("negative index") << text << qsizetype(-3) << TextRange::everything() << "" << TextRange{0, 0};
    QTest::newRow("empty text") << "" << qsizetype(0) << TextRange::everything() << "" << TextRange{0, 0};
}

void TestStyledText::longestRange()
{
    QFETCH(QString, text);
    QFETCH(qsizetype, index);
    QFETCH(TextRange, limit);
    QFETCH(QString, tag);
    QFETCH(TextRange, range);

    TextRange found{-7, -7};
    QCOMPARE(tagOf(parse(text).attributesAt(index, &found, limit)), tag);
    QCOMPARE(found, range);
}

// A paragraph style id over runs that differ in colour: the id's own range
// spans them, as the writer's whole-paragraph check needs.
void TestStyledText::valueLongestRange_data()
{
    QTest::addColumn<qsizetype>("index");
    QTest::addColumn<TextRange>("limit");
    QTest::addColumn<QString>("styleId");
    QTest::addColumn<TextRange>("range");

    QTest::newRow("spans colour runs") << qsizetype(1) << TextRange::everything() << "Heading" << TextRange{0, 6};
    QTest::newRow("limited to a paragraph") << qsizetype(4) << TextRange{2, 3} << "Heading" << TextRange{2, 3};
    QTest::newRow("absent is a value too") << qsizetype(7) << TextRange::everything() << "" << TextRange{6, 3};
    QTest::newRow("outside the text") << qsizetype(12) << TextRange::everything() << "" << TextRange{9, 0};
}

void TestStyledText::valueLongestRange()
{
    QFETCH(qsizetype, index);
    QFETCH(TextRange, limit);
    QFETCH(QString, styleId);
    QFETCH(TextRange, range);

    StyledText text = parse(u"[r]ab[g]cd[b]ef[r]ghi");
    text.modifyAttributes({0, 6}, [](TextAttributes &attributes) { attributes.paragraphStyleId = u"Heading"_qs; });
    TextRange found;
    QCOMPARE(text.valueAt(&TextAttributes::paragraphStyleId, index, &found, limit).value_or(QString()), styleId);
    QCOMPARE(found, range);
}

void TestStyledText::forEachValue_data()
{
    QTest::addColumn<TextRange>("range");
    QTest::addColumn<QString>("values");

    // Footnote ids over "[r]ab[g]cd[b]ef[r]gh": 3 on a..d (two colour runs), none on ef, 3 on gh.
    QTest::newRow("whole text") << TextRange::everything() << "3:0+4 -:4+2 3:6+2";
    QTest::newRow("inside one value") << TextRange{1, 2} << "3:1+2";
    QTest::newRow("across a boundary") << TextRange{3, 2} << "3:3+1 -:4+1";
    QTest::newRow("empty range") << TextRange{3, 0} << "";
}

void TestStyledText::forEachValue()
{
    QFETCH(TextRange, range);
    QFETCH(QString, values);

    StyledText text = parse(u"[r]ab[g]cd[b]ef[r]gh");
    for (const TextRange noted : {TextRange{0, 4}, TextRange{6, 2}})
        text.modifyAttributes(noted, [](TextAttributes &attributes) { attributes.footnoteReferenceId = 3; });
    QStringList found;
    text.forEachValue(range, &TextAttributes::footnoteReferenceId, [&](const std::optional<qint64> &id, TextRange at) {
        found << (id ? QString::number(*id) : u"-"_qs) + QStringLiteral(":%1+%2").arg(at.location).arg(at.length);
    });
    QCOMPARE(found.join(u' '), values);
}

void TestStyledText::enumerationStops()
{
    const StyledText text = parse(u"[r]ab[g]cd[b]ef");
    int runs = 0;
    text.forEachRun(TextRange::everything(), [&](const TextAttributes &, TextRange) { return ++runs < 2; });
    QCOMPARE(runs, 2);
    int values = 0;
    text.forEachValue(TextRange::everything(), &TextAttributes::foreground,
                      [&](const std::optional<QColor> &, TextRange) { return ++values < 1; });
    QCOMPARE(values, 1);
}

void TestStyledText::paragraphs_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("paragraphs"); // location+content length/enclosing length

    QTest::newRow("empty") << "" << "";
    QTest::newRow("no terminator") << "ab" << "0+2/2";
    QTest::newRow("final line feed") << "a\n" << "0+1/2";
    QTest::newRow("only a line feed") << "\n" << "0+0/1";
    QTest::newRow("line feed") << "a\nbc" << "0+1/2 2+2/2";
    QTest::newRow("carriage return") << "a\rb" << "0+1/2 2+1/1";
    QTest::newRow("CRLF is one terminator") << "a\r\nb" << "0+1/3 3+1/1";
    QTest::newRow("LF CR is two") << "a\n\rb" << "0+1/2 2+0/1 3+1/1";
    QTest::newRow("CR then CRLF") << "\r\r\n" << "0+0/1 1+0/2";
    QTest::newRow("paragraph separator") << u"a\u2029b"_qs << "0+1/2 2+1/1";
    QTest::newRow("line separator is not a terminator") << u"a\u2028b"_qs << "0+3/3";
    QTest::newRow("empty paragraphs in a row") << "a\n\n\nb" << "0+1/2 2+0/1 3+0/1 4+1/1";
}

void TestStyledText::paragraphs()
{
    QFETCH(QString, text);
    QFETCH(QString, paragraphs);

    StyledText styled(text);
    QCOMPARE(describeParagraphs(styled.paragraphs()), paragraphs);
    // Run edges play no part, also one between the CR and LF of a CRLF.
    for (qsizetype i = 0; i < styled.length(); i += 2)
        styled.setAttributes({i, 1}, attributesOf(u"r"));
    QCOMPARE(describeParagraphs(styled.paragraphs()), paragraphs);
}

void TestStyledText::mid_data()
{
    QTest::addColumn<TextRange>("range");
    QTest::addColumn<QString>("result");

    // Of "[r]ab[g]cd[b]ef".
    QTest::newRow("one run exactly") << TextRange{2, 2} << "[g]cd";
    QTest::newRow("inside one run") << TextRange{3, 1} << "[g]d";
    QTest::newRow("across run edges") << TextRange{1, 4} << "[r]b[g]cd[b]e";
    QTest::newRow("from a run edge to the end") << TextRange{4, 2} << "[b]ef";
    QTest::newRow("whole") << TextRange{0, 6} << "[r]ab[g]cd[b]ef";
    QTest::newRow("past the end") << TextRange{5, 10} << "[b]f";
    QTest::newRow("empty") << TextRange{2, 0} << "";
    QTest::newRow("outside") << TextRange{8, 2} << "";
}

void TestStyledText::mid()
{
    QFETCH(TextRange, range);
    QFETCH(QString, result);

    const StyledText part = parse(u"[r]ab[g]cd[b]ef").mid(range);
    QCOMPARE(describe(part), result);
    QCOMPARE(part, parse(result));
}

void TestStyledText::append_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("result");

    QTest::newRow("equal edge runs join") << "[r]ab[g]cd" << "[g]ef[b]gh" << "[r]ab[g]cdef[b]gh";
    QTest::newRow("different edge runs stay") << "[r]ab" << "[g]cd" << "[r]ab[g]cd";
    QTest::newRow("onto an empty text") << "" << "[g]cd[r]e" << "[g]cd[r]e";
    QTest::newRow("an empty text") << "[r]ab" << "" << "[r]ab";
    QTest::newRow("plain onto plain") << "ab" << "cd" << "[]abcd";
}

void TestStyledText::append()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, result);

    StyledText text = parse(first);
    text.append(parse(second));
    QCOMPARE(describe(text), result);

    // Appending the characters run by run gives the same runs.
    StyledText byRuns = parse(first);
    parse(second).forEachRun(TextRange::everything(), [&](const TextAttributes &attributes, TextRange range) {
        byRuns.append(second.isEmpty() ? QString() : parse(second).string().mid(range.location, range.length), attributes);
    });
    QCOMPARE(byRuns, text);
}

void TestStyledText::appendToItself()
{
    StyledText text = parse(u"[r]ab[g]cd");
    text.append(text);
    QCOMPARE(describe(text), u"[r]ab[g]cd[r]ab[g]cd"_qs);
}

void TestStyledText::attachmentsAndRubyCompareByIdentity()
{
    auto picture = std::make_shared<TextAttachment>();
    picture->contents = QByteArray("same bytes");
    const TextAttachmentPointer first = picture;
    const TextAttachmentPointer second = std::make_shared<const TextAttachment>(*picture);

    StyledText text;
    TextAttributes attributes;
    attributes.attachment = first;
    text.append(QString(QChar::ObjectReplacementCharacter), attributes);
    attributes.attachment = second;
    text.append(QString(QChar::ObjectReplacementCharacter), attributes);
    QCOMPARE(text.runCount(), 2); // same bytes, two pictures

    const StyledText copy = text;
    QCOMPARE(copy, text);
    QCOMPARE(copy.attributesAt(0).attachment, first);
    QCOMPARE(copy.attributesAt(1).attachment, second);

    const auto ruby = std::make_shared<const RubyAnnotation>(RubyAnnotation{u"かん"_qs, {}, {}, {}, 0.5, RubyAlignment::Center});
    const auto sameRuby = std::make_shared<const RubyAnnotation>(*ruby);
    StyledText base(u"漢字"_qs);
    base.modifyAttributes({0, 1}, [&](TextAttributes &a) { a.ruby = ruby; });
    base.modifyAttributes({1, 1}, [&](TextAttributes &a) { a.ruby = sameRuby; });
    QCOMPARE(base.runCount(), 2);
    base.modifyAttributes({1, 1}, [&](TextAttributes &a) { a.ruby = ruby; });
    QCOMPARE(base.runCount(), 1);
    TextRange range;
    QCOMPARE(base.valueAt(&TextAttributes::ruby, 1, &range), ruby);
    QCOMPARE(range, (TextRange{0, 2}));
}

void TestStyledText::notANumberStillCoalesces()
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    StyledText text(u"abcd"_qs);
    text.modifyAttributes({0, 2}, [nan](TextAttributes &a) {
        a.strokeWidth = nan;
        a.font = FontDescriptor{u"Serif"_qs, {}, nan, false, false};
        a.paragraphStyle = ParagraphStyle{};
        a.paragraphStyle->headIndent = nan;
    });
    text.modifyAttributes({2, 2}, [nan](TextAttributes &a) {
        a.strokeWidth = nan;
        a.font = FontDescriptor{u"Serif"_qs, {}, nan, false, false};
        a.paragraphStyle = ParagraphStyle{};
        a.paragraphStyle->headIndent = nan;
    });
    QCOMPARE(text.runCount(), 1);
    QVERIFY(std::isnan(*text.attributesAt(3).strokeWidth)); // stored as given
    QCOMPARE(text, StyledText(text));
}

void TestStyledText::copiesAreIndependent()
{
    const StyledText original = parse(u"[r]ab[g]cd");
    StyledText copy = original;
    copy.setAttributes({0, 4}, attributesOf(u"b"));
    copy.append(u"ef"_qs);
    QCOMPARE(describe(original), u"[r]ab[g]cd"_qs);
    QCOMPARE(describe(copy), u"[b]abcd[]ef"_qs);
}

QTEST_GUILESS_MAIN(TestStyledText)
#include "tst_styledtext.moc"
