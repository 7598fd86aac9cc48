// Cutting a text into paragraph records and numbering its lists in one pass.
#include "docx/writer/NumberingDocument.h"
#include "docx/writer/ParagraphRange.h"

#include <QtTest>

Q_DECLARE_METATYPE(DocXListStyle)

namespace {

struct Para
{
    QString text;
    QStringList markers; // outermost first; empty: not in a list
    qint64 start = 1;
};

TextAttributes listAttributes(const Para &para)
{
    TextAttributes attributes;
    if (para.markers.isEmpty())
        return attributes;
    ParagraphStyle style;
    for (const QString &marker : para.markers)
        style.textLists.append(TextList{marker, para.start});
    attributes.paragraphStyle = style;
    return attributes;
}

StyledText build(const QList<Para> &paras)
{
    StyledText text;
    for (const Para &para : paras)
        text.append(para.text + u'\n', listAttributes(para));
    return text;
}

QList<qint64> ids(const QList<ParagraphRange> &ranges)
{
    QList<qint64> result;
    for (const ParagraphRange &range : ranges)
        result.append(range.numberingId.value_or(0));
    return result;
}

const QString bullet = QStringLiteral("{disc}");
const QString decimal = QStringLiteral("{decimal}");

} // namespace

class TestParagraphRanges : public QObject
{
    Q_OBJECT

private slots:
    void cutting();
    void breaksAndStyleIds();
    void noteBodies();
    void numbering_data();
    void numbering();
    void nestedLevels();
    void numberingProperties();
    void markerStyles_data();
    void markerStyles();
    void numberingDocument();
};

void TestParagraphRanges::cutting()
{
    QVERIFY(ParagraphRanges::all(StyledText()).isEmpty());
    const auto ranges = ParagraphRanges::all(StyledText(QStringLiteral("ab\n\ncd")));
    QCOMPARE(ranges.size(), 3);
    QCOMPARE(ranges[0].range, (TextRange{0, 2}));
    QCOMPARE(ranges[1].range, (TextRange{3, 0}));
    QCOMPARE(ranges[2].range, (TextRange{4, 2}));
}

void TestParagraphRanges::breaksAndStyleIds()
{
    StyledText text;
    TextAttributes styled;
    styled.paragraphStyleId = QStringLiteral("Heading1");
    TextAttributes pageBreak = styled;
    pageBreak.breakType = BreakType::Page;
    text.append(QStringLiteral("Title"), styled);
    text.append(QStringLiteral("\n"), pageBreak);              // whole paragraph styled, page break
    text.append(QStringLiteral("half"), styled);
    text.append(QStringLiteral(" plain\n"));                   // style on part only
    text.append(QStringLiteral("\n"), pageBreak);              // empty: the terminator counts
    TextAttributes column;
    column.breakType = BreakType::Column;
    text.append(QStringLiteral("last"), column);               // no terminator: wrap
    const auto ranges = ParagraphRanges::all(text);
    QCOMPARE(ranges.size(), 4);
    QCOMPARE(ranges[0].styleId, std::optional<QString>(QStringLiteral("Heading1")));
    QCOMPARE(ranges[0].breakType, BreakType::Page);
    QCOMPARE(ranges[1].styleId, std::nullopt);
    QCOMPARE(ranges[1].breakType, BreakType::Wrap);
    QCOMPARE(ranges[2].styleId, std::optional<QString>(QStringLiteral("Heading1")));
    QCOMPARE(ranges[2].breakType, BreakType::Page);
    QCOMPARE(ranges[3].breakType, BreakType::Wrap);
}

void TestParagraphRanges::noteBodies()
{
    StyledText text(QStringLiteral("body\n"));
    TextAttributes note;
    note.footnoteBodyId = 2;
    text.append(QStringLiteral("note\n"), note);
    note.footnoteBodyId = 0; // out of range: an ordinary paragraph
    text.append(QStringLiteral("zero\n"), note);
    note.footnoteBodyId = qint64(1) << 40;
    text.append(QStringLiteral("huge\n"), note);
    const auto all = ParagraphRanges::all(text);
    QCOMPARE(all.size(), 4);
    QCOMPARE(all[1].footnoteBodyId, std::optional<qint64>(2));
    const auto body = ParagraphRanges::body(all);
    QCOMPARE(body.size(), 3);
}

void TestParagraphRanges::numbering_data()
{
    QTest::addColumn<QList<Para>>("paras");
    QTest::addColumn<QList<qint64>>("expected");
    QTest::newRow("one bulleted list")
        << QList<Para>{{"a", {bullet}}, {"b", {bullet}}, {"c", {bullet}}} << QList<qint64>{1, 1, 1};
    QTest::newRow("plain paragraph ends a list")
        << QList<Para>{{"a", {bullet}}, {"p", {}}, {"b", {bullet}}} << QList<qint64>{1, 0, 2};
    QTest::newRow("list starting at 3 continues the earlier list of its style, all its paragraphs")
        << QList<Para>{{"a", {decimal}}, {"p", {}}, {"b", {bullet}}, {"q", {}}, {"c", {decimal}, 3}, {"d", {decimal}, 3}}
        << QList<qint64>{1, 0, 2, 0, 1, 1};
    QTest::newRow("numbers right after bullets start a new list")
        << QList<Para>{{"a", {bullet}}, {"b", {bullet}}, {"1", {decimal}}, {"2", {decimal}}}
        << QList<qint64>{1, 1, 2, 2};
    QTest::newRow("a list starting at 1 never continues")
        << QList<Para>{{"a", {decimal}}, {"p", {}}, {"b", {decimal}}} << QList<qint64>{1, 0, 2};
}

void TestParagraphRanges::numbering()
{
    QFETCH(QList<Para>, paras);
    QFETCH(QList<qint64>, expected);
    QCOMPARE(ids(ParagraphRanges::all(build(paras))), expected);
}

void TestParagraphRanges::nestedLevels()
{
    const auto ranges = ParagraphRanges::all(build({{"a", {bullet}}, {"b", {bullet, decimal}}, {"c", {bullet}}}));
    QCOMPARE(ids(ranges), (QList<qint64>{1, 1, 1}));
    QCOMPARE(ranges[1].numberingLevel, std::optional<qint64>(1));
    QCOMPARE(ranges[1].listStyle, std::optional(DocXListStyle::Decimal));
}

void TestParagraphRanges::numberingProperties()
{
    ParagraphRange range;
    QVERIFY(!ParagraphRanges::numberingPropertiesElement(range));
    range.numberingId = 4;
    range.numberingLevel = 12;
    QCOMPARE(ParagraphRanges::numberingPropertiesElement(range)->toCompactString(),
             QStringLiteral(R"(<w:numPr><w:ilvl w:val="8" /><w:numId w:val="4" /></w:numPr>)"));
}

void TestParagraphRanges::markerStyles_data()
{
    QTest::addColumn<QString>("marker");
    QTest::addColumn<DocXListStyle>("style");
    QTest::newRow("decimal") << "{decimal}" << DocXListStyle::Decimal;
    QTest::newRow("decimal in parentheses") << "({decimal})" << DocXListStyle::Decimal;
    QTest::newRow("lower roman") << "{lower-roman}" << DocXListStyle::LowerRoman;
    QTest::newRow("upper latin") << "{upper-latin}." << DocXListStyle::UpperLetter;
    QTest::newRow("decimal before lower latin") << "{lower-latin}.{decimal}" << DocXListStyle::Decimal;
    QTest::newRow("disc") << "{disc}" << DocXListStyle::Bullet;
    QTest::newRow("empty") << "" << DocXListStyle::Bullet;
}

void TestParagraphRanges::markerStyles()
{
    QFETCH(QString, marker);
    QFETCH(DocXListStyle, style);
    QCOMPARE(DocXListStyles::fromMarkerFormat(marker), style);
}

void TestParagraphRanges::numberingDocument()
{
    NumberingDefinitions definitions;
    definitions[3] = NumberingDefinition{3, {{2, DocXListStyle::Decimal}}, {{2, 5}}};
    definitions[1] = NumberingDefinition{1, {{0, DocXListStyle::Decimal}, {1, DocXListStyle::Bullet}, {9, DocXListStyle::UpperRoman}}, {}};
    const XmlElement root = NumberingDocument::element(definitions);
    QStringList order;
    for (const XmlElement &child : root.children())
        order << child.name() + u'=' + child.attributes().begin()->second;
    QCOMPARE(order, (QStringList{"w:abstractNum=1", "w:abstractNum=3", "w:num=1", "w:num=3"}));
    const XmlElement &list3 = root.children()[1];
    QCOMPARE(list3.children().size(), size_t(10)); // multiLevelType + levels 0…8
    // Levels below the first recorded one are bullets; above it they follow it.
    QCOMPARE(list3.children()[1].children()[1].attributes().at("w:val"), QStringLiteral("bullet"));
    QCOMPARE(list3.children()[3].children()[0].attributes().at("w:val"), QStringLiteral("5"));
    QCOMPARE(list3.children()[9].children()[1].attributes().at("w:val"), QStringLiteral("decimal"));
    const XmlElement &list1 = root.children()[0];
    QCOMPARE(list1.children()[3].children()[1].attributes().at("w:val"), QStringLiteral("bullet"));
    // First numbers stay in the range of every number written: readers show
    // "0." or take minutes for 2^40.
    const NumberingDefinition starts{1, {}, {{0, qint64(1) << 40}, {1, -5}, {2, 0}}};
    QCOMPARE(starts.start(0), qint64(2147483647));
    QCOMPARE(starts.start(1), qint64(1));
    QCOMPARE(starts.start(2), qint64(0));

    QCOMPARE(NumberingDocument::levelElement(DocXListStyle::Decimal, 0, {}).toCompactString(),
             QStringLiteral(R"(<w:lvl w:ilvl="0"><w:start w:val="1" /><w:numFmt w:val="decimal" /><w:lvlText w:val="%1." /><w:lvlJc w:val="left" /><w:pPr><w:ind w:hanging="280" w:left="856" /></w:pPr></w:lvl>)"));
    QCOMPARE(NumberingDocument::levelElement(DocXListStyle::Bullet, 8, {}).toCompactString(),
             QStringLiteral(R"(<w:lvl w:ilvl="8"><w:start w:val="1" /><w:numFmt w:val="bullet" /><w:lvlText w:val="%1" /><w:lvlJc w:val="left" /><w:pPr><w:ind w:hanging="280" w:left="4056" /></w:pPr><w:rPr><w:rFonts w:ascii="Wingdings" w:hAnsi="Wingdings" w:hint="default" /></w:rPr></w:lvl>)")
                 .arg(QChar(0xF0A7)));
}

QTEST_GUILESS_MAIN(TestParagraphRanges)
#include "tst_paragraphranges.moc"
