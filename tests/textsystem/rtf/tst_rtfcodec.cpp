#include "textsystem/rtf/RtfReader.h"
#include "textsystem/rtf/RtfWriter.h"
#include "support/TestImages.h"

#include <QBuffer>
#include <QImage>
#include <QRandomGenerator>
#include <QtTest>

namespace {

StyledText readRtf(const QByteArray &rtf)
{
    StyledText text;
    QString error;
    if (!RtfReader::read(rtf, &text, &error))
        qWarning() << "read failed:" << error;
    return text;
}

QByteArray pngBytes(int width, int height)
{
    return TestImages::filled(QSize(width, height), Qt::red);
}

TextAttributes fontAttributes(const QString &family, double size, bool bold = false, bool italic = false)
{
    TextAttributes attributes;
    attributes.font = FontDescriptor{family, QString(), size, bold, italic};
    return attributes;
}

} // namespace

class TestRtfCodec : public QObject
{
    Q_OBJECT

private slots:
    void plainText_data();
    void plainText();
    void characterFormatting();
    void libreOfficeDoubleByteMarks();
    void associatedFontsKeptApart_data();
    void associatedFontsKeptApart();
    void tableCellsEndingInParagraphs_data();
    void tableCellsEndingInParagraphs();
    void pictureInsideShape_data();
    void pictureInsideShape();
    void attachmentGroups_data();
    void attachmentGroups();
    void paragraphsAndLists();
    void hyperlinkField();
    void symbolFontCharacters_data();
    void symbolFontCharacters();
    void pictureSurvivesRoundTrip();
    void roundTripKeepsAttributes();
    void badInput_data();
    void badInput();
    void measuresAtIntegerLimits_data();
    void measuresAtIntegerLimits();
    void randomInputNeverCrashes();
};

void TestRtfCodec::plainText_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");

    QTest::newRow("ascii") << QByteArray("{\\rtf1\\ansi Hello}") << "Hello";
    QTest::newRow("windows-1252 hex") << QByteArray("{\\rtf1\\ansi caf\\'e9 \\'93q\\'94}")
                                      << QString::fromUtf16(u"café “q”");
    QTest::newRow("document code page 932") << QByteArray("{\\rtf1\\ansi\\ansicpg932 \\'93\\'fa\\'96\\'7b}")
                                            << QString::fromUtf16(u"日本");
    QTest::newRow("font charset 128, trail byte literal")
        << QByteArray("{\\rtf1\\ansi{\\fonttbl{\\f1\\fcharset128 X;}}\\f1 \\'83A\\'82\\'a0}")
        << QString::fromUtf16(u"アあ");
    QTest::newRow("unicode with fallback skipped") << QByteArray("{\\rtf1\\uc1 a\\u26085?b}") << QString::fromUtf16(u"a日b");
    QTest::newRow("negative unicode, uc2") << QByteArray("{\\rtf1\\uc2\\u-3913\\'81\\'45x}") << QString::fromUtf16(u"\uF0B7x");
    QTest::newRow("surrogate pair") << QByteArray("{\\rtf1\\uc0\\u-10179\\u-8704 }") << QString::fromUtf16(u"\U0001F600");
    QTest::newRow("uc skip stops at group end") << QByteArray("{\\rtf1\\uc3{\\u26085}z}") << QString::fromUtf16(u"日z");
    QTest::newRow("paragraphs, line, tab") << QByteArray("{\\rtf1 a\\par b\\line c\\tab d}")
                                           << QString::fromUtf16(u"a\nb\u2028c\td");
    QTest::newRow("table cells as tabs") << QByteArray("{\\rtf1 \\trowd a\\cell b\\cell\\row c}") << "a\tb\nc";
    QTest::newRow("ignorable destination skipped") << QByteArray("{\\rtf1{\\*\\unknown zzz}x{\\info{\\title T}}y}") << "xy";
    QTest::newRow("bin data skipped") << QByteArray("{\\rtf1{\\*\\blob\\bin2 }}}x}") << "x";
    QTest::newRow("list marker text skipped") << QByteArray("{\\rtf1{\\listtext 1.\\tab}item}") << "item";
    QTest::newRow("escaped characters") << QByteArray("{\\rtf1 \\{a\\}\\\\\\~b}") << QString::fromUtf16(u"{a}\\\u00A0b");
}

void TestRtfCodec::plainText()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QCOMPARE(readRtf(rtf).string(), text);
}

void TestRtfCodec::characterFormatting()
{
    const StyledText text = readRtf("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Helvetica;}{\\f1 Times;}}"
                                    "{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
                                    "\\f1\\fs36\\b\\i\\ul\\cf1\\cb2 A\\plain\\uldb\\strike B\\ulnone\\striked1\\super C"
                                    "\\nosupersub\\outl\\strokewidth-60\\strokec1 D\\outl0\\shad\\shadx40\\shady-40"
                                    "\\shadr60\\shado50\\shadc2 E}");
    QCOMPARE(text.string(), QString("ABCDE"));
    const TextAttributes a = text.attributesAt(0);
    QCOMPARE(a.font->family, QString("Times"));
    QCOMPARE(a.font->pointSize, 18.0);
    QVERIFY(a.font->bold && a.font->italic);
    QCOMPARE(a.underlineStyle, std::optional<int>(TextLineStyle::single));
    QCOMPARE(a.foreground, std::optional<QColor>(QColor(255, 0, 0)));
    QCOMPARE(a.background, std::optional<QColor>(QColor(0, 0, 255)));
    const TextAttributes b = text.attributesAt(1);
    QCOMPARE(b.font->family, QString("Helvetica"));
    QVERIFY(!b.font->bold);
    QCOMPARE(b.underlineStyle, std::optional<int>(TextLineStyle::doubleLine));
    QCOMPARE(b.strikethroughStyle, std::optional<int>(TextLineStyle::single));
    const TextAttributes c = text.attributesAt(2);
    QCOMPARE(c.strikethroughStyle, std::optional<int>(TextLineStyle::doubleLine));
    QVERIFY(c.baselineOffset && *c.baselineOffset > 0);
    const TextAttributes d = text.attributesAt(3);
    QCOMPARE(d.strokeWidth, std::optional<double>(-3.0));
    QCOMPARE(d.strokeColor, std::optional<QColor>(QColor(255, 0, 0)));
    const TextAttributes e = text.attributesAt(4);
    QVERIFY(!e.strokeWidth);
    QVERIFY(e.shadow);
    QCOMPARE(e.shadow->offset, QPointF(2, -2));
    QCOMPARE(e.shadow->blurRadius, 3.0);
    QCOMPARE(e.shadow->color.alpha(), 128);
}

// LibreOffice marks the bold and size of Japanese text as \ab and \afs after \dbch.
void TestRtfCodec::libreOfficeDoubleByteMarks()
{
    const StyledText text = readRtf("{\\rtf1\\ansi{\\fonttbl{\\f0 Liberation Serif;}{\\f1\\fcharset128 Noto;}}"
                                    "{\\rtlch \\ab\\afs40 \\ltrch\\loch\\f0 A}"
                                    "{\\dbch\\af1\\ab\\afs32 \\loch\\f0\\hich\\f0\\dbch\\f1 \\'93\\'fa}}");
    QCOMPARE(text.string(), QString::fromUtf16(u"A日"));
    QVERIFY(!text.attributesAt(0).font->bold);
    const TextAttributes japanese = text.attributesAt(1);
    QVERIFY(japanese.font->bold);
    QCOMPARE(japanese.font->pointSize, 16.0);
    QCOMPARE(japanese.font->family, QString("Noto"));
}

// LibreOffice writes \loch\af \dbch\af \hich\af per run: the Latin text
// keeps its own font, and a font missing from the table falls back to it.
void TestRtfCodec::associatedFontsKeptApart_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QStringList>("families"); // one per character of "A日"

    const QByteArray table = "{\\rtf1\\ansi\\deff3{\\fonttbl{\\f3 DejaVu Serif;}{\\f5 DejaVu Sans;}{\\f7 Noto Sans CJK JP;}}";
    QTest::newRow("LibreOffice runs") << table + "{\\hich\\af5\\loch\\fs22\\f5\\dbch\\af7\\loch A}"
                                                 "{\\hich\\af5\\loch\\f5\\dbch\\af7\\dbch \\u26085\\'3f}}"
                                      << QStringList{"DejaVu Sans", "Noto Sans CJK JP"};
    QTest::newRow("associated font missing from the table")
        << table + "\\plain\\hich\\af3\\loch\\f3\\dbch\\af10 {\\loch A}{\\dbch \\u26085\\'3f}}"
        << QStringList{"DejaVu Serif", "DejaVu Serif"};
    QTest::newRow("right-to-left font leaves Latin text alone")
        << table + "\\plain\\rtlch\\af7\\afs40\\ab \\ltrch\\loch\\f5 A{\\dbch\\af7 \\u26085\\'3f}}"
        << QStringList{"DejaVu Sans", "Noto Sans CJK JP"};
    QTest::newRow("Word runs") << table + "\\loch\\af5\\hich\\af5\\dbch\\af7\\loch\\f5 A\\dbch\\f7 \\u26085\\'3f}"
                               << QStringList{"DejaVu Sans", "Noto Sans CJK JP"};
}

void TestRtfCodec::associatedFontsKeptApart()
{
    QFETCH(QByteArray, body);
    QFETCH(QStringList, families);
    const StyledText text = readRtf(body);
    QCOMPARE(text.string(), QString::fromUtf16(u"A日"));
    for (int i = 0; i < 2; ++i) {
        QVERIFY(text.attributesAt(i).font);
        QCOMPARE(text.attributesAt(i).font->family, families[i]);
    }
    QVERIFY(!text.attributesAt(0).font->bold);
    QCOMPARE(text.attributesAt(0).font->pointSize, body.contains("\\fs22") ? 11.0 : 12.0);
}

// pandoc ends every cell's paragraph with \par: the row is still one line.
void TestRtfCodec::tableCellsEndingInParagraphs_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");

    QTest::newRow("pandoc row") << QByteArray("{\\rtf1 {\\trowd\\cellx1\\cellx2\\cellx3\\trkeep\\intbl{"
                                              "{{\\pard\\intbl \\ql a\\par}\\cell}{{\\pard\\intbl \\ql b\\par}\\cell}"
                                              "{{\\pard\\intbl \\ql c\\par}\\cell}}\\intbl\\row}"
                                              "{\\pard \\ql after\\par}}")
                                << "a\tb\tc\nafter\n";
    QTest::newRow("two paragraphs in a cell") << QByteArray("{\\rtf1 \\pard\\intbl a\\par b\\par\\cell c\\par\\cell\\row z}")
                                              << "a\nb\tc\nz";
    QTest::newRow("empty cells keep their tabs") << QByteArray("{\\rtf1 \\pard\\intbl a\\cell\\cell\\pard\\intbl\\par\\cell d\\cell\\row}")
                                                 << "a\t\t\td\n";
    QTest::newRow("par outside a table") << QByteArray("{\\rtf1 \\intbl a\\cell\\row\\pard b\\par c}") << "a\nb\nc";
    // Word repeats a nested table for readers without nested tables in
    // \nonesttables groups: the nested cells are read, the repetition not.
    QTest::newRow("nested table") << QByteArray("{\\rtf1 \\pard\\intbl outer\\cell\\pard\\intbl\\itap2 in a\\nestcell"
                                                "{\\nonesttables\\tab}in b\\nestcell{\\*\\nesttableprops\\trowd\\cellx1\\cellx2\\nestrow}"
                                                "{\\nonesttables in a\\tab in b\\par}\\pard\\intbl\\itap1 end\\cell\\row z}")
                                  << "outer\tin a\tin b\tend\nz";
}

void TestRtfCodec::tableCellsEndingInParagraphs()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QCOMPARE(readRtf(rtf).string(), text);
}

// LibreOffice wraps a picture anchored to a character in a shape; Word adds
// the same picture as the shape's result for readers without shapes.
void TestRtfCodec::pictureInsideShape_data()
{
    QTest::addColumn<QByteArray>("result");
    QTest::newRow("LibreOffice") << QByteArray();
    QTest::newRow("with a result") << QByteArray("{\\shprslt{\\*\\do\\dobxcolumn}{\\pict\\pngblip\\picwgoal600\\pichgoal300 HEX}}");
}

void TestRtfCodec::pictureInsideShape()
{
    QFETCH(QByteArray, result);
    const QByteArray hex = pngBytes(40, 20).toHex();
    const QByteArray rtf = "{\\rtf1 Picture: {\\shp{\\*\\shpinst\\shpwr2\\shptop0\\shpbottom720\\shpleft4099\\shpright5539"
                           "{\\sp{\\sn shapeType}{\\sv 75}}{\\sp{\\sn wzName}{\\sv }}{\\sp{\\sn pib}{\\sv {\\pict"
                           "{\\*\\picprop{\\sp{\\sn wzDescription}{\\sv x}}}\\picscalex240\\picscaley240\\picw40\\pich20"
                           "\\picwgoal600\\pichgoal300\\pngblip\n" + hex + "}}}}" + QByteArray(result).replace("HEX", hex)
        + "} after}";
    const StyledText text = readRtf(rtf);
    QCOMPARE(text.string(), QString::fromUtf16(u"Picture: \uFFFC after"));
    const TextAttachmentPointer picture = text.attributesAt(9).attachment;
    QVERIFY(picture);
    QCOMPARE(picture->image.size(), QSize(40, 20));
    QCOMPARE(picture->bounds.size(), QSizeF(72, 36));
}

// RTFD attachment groups: their size, and groups placed or left open where
// the reader once read a closed group again.
void TestRtfCodec::attachmentGroups_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QSizeF>("size");

    QTest::newRow("sized") << QByteArray("{\\rtf1 a{{\\NeXTGraphic pic.png \\width1440 \\height720}\\uc0\\u65532 }b}")
                           << QString::fromUtf16(u"a\uFFFCb") << QSizeF(72, 36);
    QTest::newRow("no size") << QByteArray("{\\rtf1 a{{\\NeXTGraphic pic.png}\\u65532 }b}")
                             << QString::fromUtf16(u"a\uFFFCb") << QSizeF(0, 0);
    QTest::newRow("directly in the document group") << QByteArray("{\\rtf1 a{\\NeXTGraphic pic.png}}")
                                                    << QString::fromUtf16(u"a\uFFFC") << QSizeF(0, 0);
    QTest::newRow("unclosed at the end") << QByteArray("{\\rtf1 a{\\NeXTGraphic pic.png \\width20 \\height20")
                                         << QString::fromUtf16(u"a\uFFFC") << QSizeF(1, 1);
    QTest::newRow("unclosed, nested") << QByteArray("{\\rtf1{{{\\NeXTGraphic pic.png")
                                      << QString::fromUtf16(u"\uFFFC") << QSizeF(0, 0);
    QTest::newRow("in a field instruction") << QByteArray("{\\rtf1{\\field{\\*\\fldinst{\\NeXTGraphic pic.png}}}x}")
                                            << "x" << QSizeF();
}

void TestRtfCodec::attachmentGroups()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QFETCH(QSizeF, size);
    const QByteArray png = pngBytes(4, 3);
    StyledText read;
    QString error;
    QVERIFY(RtfReader::read(rtf, &read, &error, [&png](const QString &name) -> std::optional<QByteArray> {
        return name == QLatin1String("pic.png") ? std::optional(png) : std::nullopt;
    }));
    QCOMPARE(read.string(), text);
    const qsizetype at = text.indexOf(QChar(0xFFFC));
    if (at >= 0) {
        QVERIFY(read.attributesAt(at).attachment);
        QCOMPARE(read.attributesAt(at).attachment->bounds.size(), size);
    }
}

void TestRtfCodec::paragraphsAndLists()
{
    const StyledText text = readRtf(
        "{\\rtf1{\\*\\listtable{\\list{\\listlevel\\levelnfc4\\levelstartat3{\\leveltext\\'03(\\'00);}}"
        "{\\listlevel\\levelnfc23{\\leveltext\\'01\\u8226 ?;}}\\listid7}}"
        "{\\*\\listoverridetable{\\listoverride\\listid7\\ls1}}"
        "\\pard\\qc\\li720\\fi-360\\ri360\\sb120\\sa240\\sl360\\slmult1 centered\\par"
        "\\pard\\ls1\\ilvl0 one\\par\\pard\\ls1\\ilvl1 two\\par\\pard plain}");
    QCOMPARE(text.string(), QString("centered\none\ntwo\nplain"));
    const ParagraphStyle centered = *text.attributesAt(0).paragraphStyle;
    QCOMPARE(centered.alignment, TextAlignment::Center);
    QCOMPARE(centered.headIndent, 36.0);
    QCOMPARE(centered.firstLineHeadIndent, 18.0);
    QCOMPARE(centered.tailIndent, -18.0);
    QCOMPARE(centered.spacingBefore, 6.0);
    QCOMPARE(centered.spacingAfter, 12.0);
    QCOMPARE(centered.lineHeightMultiple, 1.5);
    QCOMPARE(text.attributesAt(8).paragraphStyle, std::optional<ParagraphStyle>(centered)); // the terminator
    const QList<TextList> one = text.attributesAt(9).paragraphStyle->textLists;
    QCOMPARE(one.size(), 1);
    QCOMPARE(one[0].markerFormat, QString("({lower-latin})"));
    QCOMPARE(one[0].startingItemNumber, 3);
    const QList<TextList> two = text.attributesAt(13).paragraphStyle->textLists;
    QCOMPARE(two.size(), 2);
    QCOMPARE(two[1].markerFormat, TextList::disc.toString());
    QVERIFY(!text.attributesAt(17).paragraphStyle);
}

void TestRtfCodec::hyperlinkField()
{
    const StyledText text = readRtf("{\\rtf1 see {\\field{\\*\\fldinst{HYPERLINK \"https://example.com/a b\"}}"
                                    "{\\fldrslt{\\ul here}}} now}");
    QCOMPARE(text.string(), QString("see here now"));
    QCOMPARE(text.attributesAt(4).link, std::optional<QUrl>(QUrl("https://example.com/a b")));
    QVERIFY(!text.attributesAt(9).link);

    // And back: the writer's field reads as the same link.
    const StyledText again = readRtf(RtfWriter::write(text));
    QCOMPARE(again.string(), text.string());
    QCOMPARE(again.attributesAt(5).link, text.attributesAt(5).link);
}

void TestRtfCodec::symbolFontCharacters_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("family"); // of the first character

    QTest::newRow("Symbol hex bytes") << QByteArray("{\\f1 \\'71\\'da}") << QString::fromUtf16(u"\u03B8\u2228") << "Times";
    QTest::newRow("Symbol letters") << QByteArray("{\\f1 abq}") << QString::fromUtf16(u"\u03B1\u03B2\u03B8") << "Times";
    QTest::newRow("Symbol private-use unicode, fallback skipped")
        << QByteArray("{\\f1\\uc1\\u61649\\'d1}") << QString::fromUtf16(u"\u2207") << "Times";
    QTest::newRow("named Symbol without its charset") << QByteArray("{\\f3 \\'b3}") << QString::fromUtf16(u"\u2265") << "Times";
    QTest::newRow("Symbol code without a glyph keeps the font") << QByteArray("{\\f1 \\'60}") << QString::fromUtf16(u"\uF060")
                                                                << "Symbol";
    QTest::newRow("SYMBOL field's result")
        << QByteArray("{\\field{\\*\\fldinst SYMBOL 113 \\\\f \"Symbol\" \\\\s 12}{\\fldrslt\\f1\\fs24 \\'71}}")
        << QString::fromUtf16(u"\u03B8") << "Times";
    QTest::newRow("Wingdings bytes") << QByteArray("{\\f2 \\'4a\\'81}") << QString::fromUtf16(u"\uF04A\uF081") << "Wingdings";
    QTest::newRow("Wingdings unicode below the private-use area")
        << QByteArray("{\\f2\\uc0\\u129\\u61514}") << QString::fromUtf16(u"\uF081\uF04A") << "Wingdings";
    QTest::newRow("a font of characters") << QByteArray("{\\f0 q\\'e9}") << QString::fromUtf16(u"q\u00E9") << "Times";
}

// Text in a symbol font reads as what the font shows; a second save changes nothing.
void TestRtfCodec::symbolFontCharacters()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, text);
    QFETCH(QString, family);
    const StyledText read = readRtf("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\froman\\fcharset0 Times;}"
                                    "{\\f1\\fnil\\fcharset2 Symbol;}{\\f2\\fnil\\fcharset2 Wingdings;}"
                                    "{\\f3\\froman Symbol;}}" + body + "}");
    QCOMPARE(read.string(), text);
    QVERIFY(read.attributesAt(0).font);
    QCOMPARE(read.attributesAt(0).font->family, family);
    const StyledText again = readRtf(RtfWriter::write(read));
    QCOMPARE(again.string(), text);
    QCOMPARE(again.attributesAt(0).font->family, family);
}

void TestRtfCodec::pictureSurvivesRoundTrip()
{
    auto attachment = std::make_shared<TextAttachment>();
    attachment->contents = pngBytes(4, 3);
    attachment->image = QImage::fromData(attachment->contents);
    attachment->bounds = QRectF(0, 0, 40, 30);
    TextAttributes attributes = fontAttributes("Helvetica", 12);
    StyledText text(QStringLiteral("a"), attributes);
    attributes.attachment = attachment;
    text.append(QString(QChar(0xFFFC)), attributes);

    const StyledText again = readRtf(RtfWriter::write(text));
    QCOMPARE(again.string(), text.string());
    const TextAttachmentPointer read = again.attributesAt(1).attachment;
    QVERIFY(read);
    QCOMPARE(read->contents, attachment->contents);
    QCOMPARE(read->image.size(), QSize(4, 3));
    QCOMPARE(read->bounds, QRectF(0, 0, 40, 30));
}

void TestRtfCodec::roundTripKeepsAttributes()
{
    StyledText text;
    TextAttributes japanese = fontAttributes(QString::fromUtf16(u"ヒラギノ角ゴ"), 14.5, true);
    japanese.foreground = QColor(10, 20, 30);
    japanese.background = QColor(0, 0, 0, 0); // fully transparent: no background
    japanese.underlineStyle = TextLineStyle::thick | TextLineStyle::patternDash;
    japanese.underlineColor = QColor(200, 0, 0);
    ParagraphStyle style;
    style.alignment = TextAlignment::Right;
    style.headIndent = 10;
    style.firstLineHeadIndent = 30;
    style.spacingAfter = 4;
    style.lineSpacing = 20;
    style.textLists = {TextList{QStringLiteral("{upper-roman}."), 2}};
    japanese.paragraphStyle = style;
    text.append(QString::fromUtf16(u"日本語 {x}\\ \U0001F600\n"), japanese);
    TextAttributes art = fontAttributes("Helvetica", 30);
    art.strokeWidth = -4;
    art.strokeColor = QColor(0, 128, 0);
    art.shadow = TextShadow{QColor(0, 0, 0, 128), QPointF(3, -3), 2};
    art.baselineOffset = -2;
    art.strikethroughStyle = TextLineStyle::doubleLine;
    text.append(QStringLiteral("Art\tline"), art);

    const StyledText again = readRtf(RtfWriter::write(text));
    QCOMPARE(again.string(), text.string());
    TextAttributes expected = japanese;
    expected.background.reset();
    QCOMPARE(again.attributesAt(0), expected);
    QCOMPARE(again.attributesAt(again.length() - 1), art);
}

void TestRtfCodec::badInput_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<bool>("readable");

    QTest::newRow("not RTF") << QByteArray("hello") << false;
    QTest::newRow("empty") << QByteArray() << false;
    QTest::newRow("nested 100000 deep") << "{\\rtf1 " + QByteArray(100000, '{') + "x" << false;
    QTest::newRow("truncated") << QByteArray("{\\rtf1{\\fonttbl{\\f0 A") << true;
    QTest::newRow("bin past the end") << QByteArray("{\\rtf1 \\bin999999999 ab") << true;
    QTest::newRow("uc past the end") << QByteArray("{\\rtf1\\uc2147483647\\u65 abc") << true;
    QTest::newRow("huge numbers") << QByteArray("{\\rtf1\\fs99999999999\\f-99999999999\\cf4294967297 x}") << true;
    QTest::newRow("picture not decodable") << QByteArray("{\\rtf1{\\pict\\pngblip 89504e47}x}") << true;
    QTest::newRow("list override to nothing") << QByteArray("{\\rtf1\\ls99\\ilvl99 x}") << true;
}

void TestRtfCodec::badInput()
{
    QFETCH(QByteArray, rtf);
    QFETCH(bool, readable);
    StyledText text(QStringLiteral("before"));
    QString error;
    QCOMPARE(RtfReader::read(rtf, &text, &error), readable);
    if (!readable) {
        QVERIFY(!error.isEmpty());
        QCOMPARE(text.string(), QString("before"));
    }
}

// Measures at the ends of int, added, subtracted or negated, read as the
// far measures they say, not as wrapped-around ones.
void TestRtfCodec::measuresAtIntegerLimits_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("measure");

    QTest::newRow("line spacing at the lowest int") << QByteArray("{\\rtf1\\sl-2147483648 a\\par}") << "line spacing";
    QTest::newRow("left indent plus first line") << QByteArray("{\\rtf1\\li2147483647\\fi2147483647 a\\par}")
                                                 << "first line indent";
    QTest::newRow("lowered by the lowest int") << QByteArray("{\\rtf1\\dn-2147483648 a}") << "baseline offset";
    QTest::newRow("shape right minus left")
        << QByteArray("{\\rtf1{\\shp{\\*\\shpinst\\shpleft-2147483000\\shpright1000\\shptop0\\shpbottom20"
                      "{\\sp{\\sn pib}{\\sv {\\pict\\pngblip HEX}}}}}}")
        << "picture width";
}

void TestRtfCodec::measuresAtIntegerLimits()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, measure);
    const StyledText text = readRtf(rtf.replace("HEX", pngBytes(2, 2).toHex()));
    const TextAttributes first = text.attributesAt(0);
    const ParagraphStyle paragraph = first.paragraphStyle.value_or(ParagraphStyle());
    const double read = measure == QLatin1String("line spacing")        ? paragraph.lineSpacing
                      : measure == QLatin1String("first line indent") ? paragraph.firstLineHeadIndent
                      : measure == QLatin1String("baseline offset")   ? first.baselineOffset.value_or(0)
                      : first.attachment                              ? first.attachment->bounds.width()
                                                                      : 0;
    QVERIFY2(read > 0, qPrintable(QString::number(read)));
}

// Mutated RTF of every feature, RTFD attachments and shapes included;
// MORVANE_FUZZ_SECONDS runs longer.
void TestRtfCodec::randomInputNeverCrashes()
{
    const QList<QByteArray> seeds = {
        "{\\rtf1\\ansi\\ansicpg932{\\fonttbl{\\f0\\fcharset128 A;}}{\\colortbl;\\red1\\green2\\blue3;}"
        "{\\*\\listtable{\\list{\\listlevel\\levelnfc0{\\leveltext\\'02\\'00.;}}\\listid1}}"
        "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}\\pard\\ls1 \\'82\\'a0\\u-3913?"
        "{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt y}}{\\pict\\pngblip 8950}\\bin2 ab\\par}",
        // Once read a closed group again (heap overflow).
        "{\\rtf1 a{\\NeXTGraphic pic.png \\width20 \\height20}{{\\NeXTGraphic pic.png}\\u65532 }\\intbl b\\par\\cell"
        "{\\shp{\\*\\shpinst\\shpleft1\\shpright9{\\sp{\\sn pib}{\\sv {\\pict\\pngblip 89}}}}{\\shprslt x}}"
        "\\loch\\af1\\dbch\\af2\\rtlch\\ab\\ltrch\\hich c\\row}",
        // Measures at the ends of int once overflowed.
        "{\\rtf1\\sl-2147483648\\slmult0\\li2147483647\\fi2147483647\\ri-2147483648\\sb2147483647 a"
        "{\\dn-2147483648\\up2147483647\\shadx-2147483648\\outl\\strokewidth-2147483648 b}"
        "{\\shp{\\*\\shpinst\\shpleft-2147483648\\shpright2147483647\\shptop2147483647\\shpbottom-2147483648"
        "{\\sp{\\sn pib}{\\sv {\\pict\\pngblip\\picscalex2147483647\\picwgoal2147483647 89}}}}}"
        "{{\\NeXTGraphic pic.png \\width-2147483648 \\height2147483647}\\u65532 }\\par}",
    };
    const QByteArray png = pngBytes(2, 2);
    const RtfReader::AttachmentLoader loader = [&png](const QString &name) -> std::optional<QByteArray> {
        return name.startsWith(u'p') ? std::optional(png) : std::nullopt;
    };
    const QByteArray alphabet = "{}\\'0123456789abcdefuclsbinpar ;\"-\x82\xa0";
    QRandomGenerator random(20240612);
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("MORVANE_FUZZ_SECONDS", &ok);
    QElapsedTimer timer;
    timer.start();
    for (int round = 0; round < 3000 || (ok && timer.elapsed() < seconds * 1000); ++round) {
        QByteArray rtf = seeds[round % seeds.size()];
        for (int edits = random.bounded(1, 8); edits > 0; --edits) {
            const int at = random.bounded(int(rtf.size()));
            switch (random.bounded(3)) {
            case 0: rtf.remove(at, random.bounded(1, 6)); break;
            case 1: rtf.insert(at, alphabet.at(random.bounded(int(alphabet.size())))); break;
            default: rtf[at] = char(random.bounded(256)); break;
            }
        }
        StyledText text;
        QString error;
        RtfReader::read(rtf, &text, &error, loader);
        const StyledText again = readRtf(RtfWriter::write(text));
        QCOMPARE(again.length() <= text.length() + 1, true);
    }
}

QTEST_MAIN(TestRtfCodec)
#include "tst_rtfcodec.moc"
