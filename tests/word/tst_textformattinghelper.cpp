#include "word/layout/PageTextItem.h"
#include "word/layout/TextFormatProperty.h"
#include "word/TextFormattingHelper.h"
#include "word/layout/WordTextDocument.h"

#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <functional>

namespace {

using Command = std::function<void(PageTextItem *)>;

// A document of runs "aaa" "bbb" "ccc" where the middle run carries `middle`.
struct Fixture
{
    explicit Fixture(const QTextCharFormat &middle = QTextCharFormat())
    {
        QTextCursor cursor(&document);
        cursor.insertText(QStringLiteral("aaa"), QTextCharFormat());
        cursor.insertText(QStringLiteral("bbb"), middle);
        cursor.insertText(QStringLiteral("ccc"), QTextCharFormat());
    }
    void select(int start, int end)
    {
        QTextCursor cursor(&document);
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        item.setTextCursor(cursor);
    }
    QTextCharFormat formatAt(int position) const
    {
        QTextCursor cursor(const_cast<WordTextDocument *>(&document));
        cursor.setPosition(position + 1);
        return cursor.charFormat();
    }
    QTextCharFormat typingFormat() const { return item.textCursor().charFormat(); }
    WordTextDocument document;
    PageTextItem item{&document};
};

QTextCharFormat with(const std::function<void(QTextCharFormat &)> &set)
{
    QTextCharFormat format;
    set(format);
    return format;
}

int pixelSize(const QTextCharFormat &format)
{
    return format.intProperty(QTextFormat::FontPixelSize);
}

} // namespace

class TestTextFormattingHelper : public QObject
{
    Q_OBJECT
private slots:
    void togglesOverMixedSelection_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<QTextCharFormat>("middle");
        QTest::addColumn<std::function<bool(const QTextCharFormat &)>>("isSet");
        QTest::addColumn<bool>("expected");
        const auto italic = [](const QTextCharFormat &f) { return f.fontItalic(); };
        const auto struck = [](const QTextCharFormat &f) { return f.fontStrikeOut(); };
        const auto underlined = [](const QTextCharFormat &f) { return f.underlineStyle() != QTextCharFormat::NoUnderline; };
        QTest::newRow("italic: one leaning run makes all upright")
            << Command(&TextFormattingHelper::toggleItalic) << with([](auto &f) { f.setFontItalic(true); })
            << std::function<bool(const QTextCharFormat &)>(italic) << false;
        QTest::newRow("italic: none leaning makes all italic")
            << Command(&TextFormattingHelper::toggleItalic) << QTextCharFormat()
            << std::function<bool(const QTextCharFormat &)>(italic) << true;
        QTest::newRow("strikethrough: one struck run clears all")
            << Command(&TextFormattingHelper::toggleStrikethrough) << with([](auto &f) { f.setFontStrikeOut(true); })
            << std::function<bool(const QTextCharFormat &)>(struck) << false;
        QTest::newRow("strikethrough: none struck strikes all")
            << Command(&TextFormattingHelper::toggleStrikethrough) << QTextCharFormat()
            << std::function<bool(const QTextCharFormat &)>(struck) << true;
        QTest::newRow("underline: an underlined run removes it everywhere")
            << Command(&TextFormattingHelper::toggleUnderline)
            << with([](auto &f) { f.setUnderlineStyle(QTextCharFormat::DashUnderline); })
            << std::function<bool(const QTextCharFormat &)>(underlined) << false;
        QTest::newRow("underline: none underlined underlines all")
            << Command(&TextFormattingHelper::toggleUnderline) << QTextCharFormat()
            << std::function<bool(const QTextCharFormat &)>(underlined) << true;
    }
    void togglesOverMixedSelection()
    {
        QFETCH(Command, command);
        QFETCH(QTextCharFormat, middle);
        QFETCH(std::function<bool(const QTextCharFormat &)>, isSet);
        QFETCH(bool, expected);
        Fixture fixture(middle);
        fixture.select(1, 8);
        command(&fixture.item);
        for (int position : {1, 4, 7})
            QCOMPARE(isSet(fixture.formatAt(position)), expected);
        // Outside the selection nothing changed.
        QCOMPARE(isSet(fixture.formatAt(0)), false);
        QCOMPARE(fixture.document.toPlainText(), QStringLiteral("aaabbbccc"));
        // One step undoes the whole command.
        fixture.document.undo();
        QCOMPARE(isSet(fixture.formatAt(4)), isSet(middle));
        QCOMPARE(isSet(fixture.formatAt(1)), false);
    }

    void caretChangesOnlyWhatIsTypedNext_data()
    {
        QTest::addColumn<Command>("command");
        QTest::addColumn<std::function<bool(const QTextCharFormat &)>>("isSet");
        QTest::newRow("size 24") << Command([](PageTextItem *i) { TextFormattingHelper::applyFontSize(i, 24); })
                                 << std::function<bool(const QTextCharFormat &)>([](const QTextCharFormat &f) { return pixelSize(f) == 24; });
        QTest::newRow("italic") << Command(&TextFormattingHelper::toggleItalic)
                                << std::function<bool(const QTextCharFormat &)>([](const QTextCharFormat &f) { return f.fontItalic(); });
        QTest::newRow("bold") << Command(&TextFormattingHelper::addBold)
                              << std::function<bool(const QTextCharFormat &)>([](const QTextCharFormat &f) { return f.fontWeight() >= QFont::Bold; });
        QTest::newRow("family") << Command([](PageTextItem *i) { TextFormattingHelper::applyFontFamily(i, QStringLiteral("Noto Serif")); })
                                << std::function<bool(const QTextCharFormat &)>([](const QTextCharFormat &f) { return f.fontFamilies().toStringList().value(0) == QStringLiteral("Noto Serif"); });
        QTest::newRow("colour") << Command([](PageTextItem *i) { TextFormattingHelper::applyTextColor(i, Qt::red); })
                                << std::function<bool(const QTextCharFormat &)>([](const QTextCharFormat &f) { return f.foreground().color() == Qt::red; });
        QTest::newRow("cyberBlue") << Command([](PageTextItem *i) { TextFormattingHelper::applyWordArtStyle(i, WordArtStyle::CyberBlue); })
                                   << std::function<bool(const QTextCharFormat &)>([](const QTextCharFormat &f) { return f.foreground().color() == Qt::cyan && pixelSize(f) == 28; });
    }
    void caretChangesOnlyWhatIsTypedNext()
    {
        QFETCH(Command, command);
        QFETCH(std::function<bool(const QTextCharFormat &)>, isSet);
        Fixture fixture;
        fixture.select(4, 4);
        const int steps = fixture.document.availableUndoSteps();
        command(&fixture.item);
        QCOMPARE(fixture.document.availableUndoSteps(), steps);
        for (int position : {0, 3, 4, 8})
            QVERIFY(!isSet(fixture.formatAt(position)));
        QVERIFY(isSet(fixture.typingFormat()));
        QTextCursor cursor = fixture.item.textCursor();
        cursor.insertText(QStringLiteral("X"));
        QVERIFY(isSet(fixture.formatAt(4)));
        QVERIFY(!isSet(fixture.formatAt(5)));
    }

    void italicCaretFlips()
    {
        Fixture fixture(with([](auto &f) { f.setFontItalic(true); }));
        fixture.select(5, 5); // after an italic character
        QVERIFY(fixture.typingFormat().fontItalic());
        TextFormattingHelper::toggleItalic(&fixture.item);
        QVERIFY(!fixture.typingFormat().fontItalic());
    }

    void sizeReplacesPointSizes()
    {
        Fixture fixture(with([](auto &f) { f.setFontPointSize(40); }));
        fixture.select(0, 9);
        TextFormattingHelper::applyFontSize(&fixture.item, 18);
        for (int position : {0, 4, 8}) {
            QCOMPARE(pixelSize(fixture.formatAt(position)), 18);
            QVERIFY(!fixture.formatAt(position).hasProperty(QTextFormat::FontPointSize));
        }
    }

    void familyAlsoChangesRunsWithoutFont()
    {
        Fixture fixture;
        fixture.select(0, 9);
        TextFormattingHelper::applyFontFamily(&fixture.item, QStringLiteral("Noto Sans Mono"));
        QCOMPARE(fixture.formatAt(0).fontFamilies().toStringList(), QStringList{QStringLiteral("Noto Sans Mono")});
    }

    void paragraphStyles_data()
    {
        QTest::addColumn<QString>("style");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("bold");
        QTest::newRow("title") << QStringLiteral("タイトル") << 32 << true;
        QTest::newRow("heading 1") << QStringLiteral("見出し1") << 24 << true;
        QTest::newRow("heading 2") << QStringLiteral("見出し2") << 18 << true;
        QTest::newRow("heading 3") << QStringLiteral("見出し3") << 15 << true;
        QTest::newRow("body") << QStringLiteral("本文") << 13 << false;
        QTest::newRow("unknown name is body") << QStringLiteral("whatever") << 13 << false;
    }
    void paragraphStyles()
    {
        QFETCH(QString, style);
        QFETCH(int, size);
        QFETCH(bool, bold);
        Fixture fixture(with([](auto &f) { f.setFontWeight(QFont::Bold); }));
        fixture.select(0, 9);
        TextFormattingHelper::applyParagraphStyle(&fixture.item, style);
        for (int position : {0, 4}) {
            QCOMPARE(pixelSize(fixture.formatAt(position)), size);
            QCOMPARE(fixture.formatAt(position).fontWeight() >= QFont::Bold, bold);
        }
        // Fonts only: the paragraph keeps its alignment.
        QCOMPARE(fixture.document.begin().blockFormat().hasProperty(QTextFormat::BlockAlignment), false);
    }

    void headingThenBody()
    {
        Fixture fixture;
        fixture.select(0, 9);
        TextFormattingHelper::applyFontSize(&fixture.item, 13);
        TextFormattingHelper::applyParagraphStyle(&fixture.item, QStringLiteral("見出し2"));
        QCOMPARE(pixelSize(fixture.formatAt(2)), 18);
        QVERIFY(fixture.formatAt(2).fontWeight() >= QFont::Bold);
        TextFormattingHelper::applyParagraphStyle(&fixture.item, QStringLiteral("本文"));
        QCOMPARE(pixelSize(fixture.formatAt(2)), 13);
        QCOMPARE(fixture.formatAt(2).fontWeight(), int(QFont::Normal));
    }

    void boldOnlyAdds()
    {
        Fixture fixture(with([](auto &f) { f.setFontWeight(QFont::Black); }));
        fixture.select(0, 9);
        TextFormattingHelper::addBold(&fixture.item);
        TextFormattingHelper::addBold(&fixture.item);
        QCOMPARE(fixture.formatAt(0).fontWeight(), int(QFont::Bold));
        QCOMPARE(fixture.formatAt(4).fontWeight(), int(QFont::Black));
    }

    void alignmentCoversTouchedParagraphs()
    {
        WordTextDocument document;
        PageTextItem item(&document);
        document.setPlainText(QStringLiteral("one\ntwo\nthree"));
        QTextCursor cursor(&document);
        cursor.setPosition(2);
        cursor.setPosition(5, QTextCursor::KeepAnchor);
        item.setTextCursor(cursor);
        TextFormattingHelper::applyAlignment(&item, Qt::AlignRight);
        QCOMPARE(document.findBlockByNumber(0).blockFormat().alignment(), Qt::AlignRight);
        QCOMPARE(document.findBlockByNumber(1).blockFormat().alignment(), Qt::AlignRight);
        QVERIFY(document.findBlockByNumber(2).blockFormat().alignment() != Qt::AlignRight);
    }

    void highlight()
    {
        Fixture fixture;
        fixture.select(0, 9);
        TextFormattingHelper::applyHighlightColor(&fixture.item, Qt::yellow);
        QCOMPARE(fixture.formatAt(3).background().color(), QColor(Qt::yellow));
        // Fully transparent removes the background instead of storing one.
        TextFormattingHelper::applyHighlightColor(&fixture.item, QColor(255, 0, 0, 0));
        QVERIFY(!fixture.formatAt(3).hasProperty(QTextFormat::BackgroundBrush));
    }

    void wordArtClassicPop()
    {
        Fixture fixture;
        fixture.select(0, 9);
        TextFormattingHelper::applyWordArtStyle(&fixture.item, WordArtStyle::ClassicPop);
        const QTextCharFormat f = fixture.formatAt(4);
        QCOMPARE(pixelSize(f), 28);
        QVERIFY(f.fontWeight() >= QFont::ExtraBold);
        QCOMPARE(f.foreground().color(), QColor(Qt::red));
        QCOMPARE(f.doubleProperty(TextFormatProperty::StrokeWidth), -4.0);
        QCOMPARE(f.colorProperty(TextFormatProperty::StrokeColor), QColor(Qt::white));
        QCOMPARE(f.colorProperty(TextFormatProperty::ShadowColor), QColor(Qt::black));
        QCOMPARE(f.property(TextFormatProperty::ShadowOffset).toPointF(), QPointF(4, -4));
        QCOMPARE(f.doubleProperty(TextFormatProperty::ShadowBlurRadius), 0.0);
        // The outline is a percentage of the font size.
        QCOMPARE(f.textOutline().widthF(), 28 * 0.04);
    }

    void wordArtWithoutStrokeKeepsTheOutline()
    {
        Fixture fixture;
        fixture.select(0, 9);
        TextFormattingHelper::applyWordArtStyle(&fixture.item, WordArtStyle::RetroGold);
        TextFormattingHelper::applyWordArtStyle(&fixture.item, WordArtStyle::NeonPink);
        const QTextCharFormat f = fixture.formatAt(4);
        QCOMPARE(f.doubleProperty(TextFormatProperty::StrokeWidth), -3.0);
        QCOMPARE(f.colorProperty(TextFormatProperty::StrokeColor), QColor(Qt::black));
        QCOMPARE(f.foreground().color(), QColor(Qt::white));
        // A later size change keeps the outline in proportion.
        TextFormattingHelper::applyFontSize(&fixture.item, 100);
        QCOMPARE(fixture.formatAt(4).textOutline().widthF(), 3.0);
    }

    void wordArtNames()
    {
        QStringList names;
        for (WordArtStyle style : WordArt::allStyles()) {
            names << WordArt::displayName(style);
            QCOMPARE(WordArt::fromDisplayName(WordArt::displayName(style)), std::optional(style));
        }
        QCOMPARE(names, (QStringList{QStringLiteral("レトロゴールド"), QStringLiteral("ネオンピンク"),
                                     QStringLiteral("サイバーブルー"), QStringLiteral("クラシックポップ"),
                                     QStringLiteral("ウルトラシャドウ")}));
        QVERIFY(!WordArt::fromDisplayName(QStringLiteral("retroGold")));
    }

    void picturesStayPicturesAndNothingCrashes_data()
    {
        QTest::addColumn<Command>("command");
        QTest::newRow("bold") << Command(&TextFormattingHelper::addBold);
        QTest::newRow("italic") << Command(&TextFormattingHelper::toggleItalic);
        QTest::newRow("underline") << Command(&TextFormattingHelper::toggleUnderline);
        QTest::newRow("strike") << Command(&TextFormattingHelper::toggleStrikethrough);
        QTest::newRow("size") << Command([](PageTextItem *i) { TextFormattingHelper::applyFontSize(i, 36); });
        QTest::newRow("style") << Command([](PageTextItem *i) { TextFormattingHelper::applyParagraphStyle(i, QStringLiteral("タイトル")); });
        QTest::newRow("wordart") << Command([](PageTextItem *i) { TextFormattingHelper::applyWordArtStyle(i, WordArtStyle::UltraShadow); });
        QTest::newRow("highlight") << Command([](PageTextItem *i) { TextFormattingHelper::applyHighlightColor(i, Qt::green); });
    }
    void picturesStayPicturesAndNothingCrashes()
    {
        QFETCH(Command, command);
        command(nullptr); // no focused text view: nothing happens
        WordTextDocument empty;
        PageTextItem emptyItem(&empty);
        command(&emptyItem);
        QTextCursor all(&empty);
        all.select(QTextCursor::Document);
        emptyItem.setTextCursor(all);
        command(&emptyItem);

        WordTextDocument document;
        PageTextItem item(&document);
        QImage image(4, 4, QImage::Format_ARGB32);
        image.fill(Qt::red);
        QTextImageFormat picture;
        picture.setName(document.addPicture(image));
        QTextCursor cursor(&document);
        cursor.insertImage(picture);
        cursor.insertText(QStringLiteral("ab"));
        // With the caret right after the picture, what is typed is text.
        cursor.setPosition(1);
        item.setTextCursor(cursor);
        command(&item);
        item.textCursor().insertText(QStringLiteral("t"));
        QCOMPARE(document.toPlainText(), QStringLiteral("\uFFFCtab"));
        QTextCursor after(&document);
        after.setPosition(2);
        QVERIFY(!after.charFormat().isImageFormat());
        // Over a selection holding the picture, the picture stays one.
        after.select(QTextCursor::Document);
        item.setTextCursor(after);
        command(&item);
        QTextCursor first(&document);
        first.setPosition(1);
        QVERIFY(first.charFormat().isImageFormat());
        QCOMPARE(first.charFormat().toImageFormat().name(), picture.name());
    }
};

QTEST_MAIN(TestTextFormattingHelper)
#include "tst_textformattinghelper.moc"
