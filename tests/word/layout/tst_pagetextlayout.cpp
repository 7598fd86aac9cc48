#include "word/layout/BlockPainter.h"
#include "word/layout/ListMarker.h"
#include "word/layout/PageTextLayout.h"
#include "word/layout/ParagraphLines.h"
#include "word/layout/UprightPictureHandler.h"
#include "word/layout/WordTextDocument.h"

#include <QGlyphRun>
#include <QImage>
#include <QRawFont>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextLayout>
#include <QTextList>
#include <cmath>
#include <functional>

namespace {

using Build = std::function<void(WordTextDocument *)>;

const QString Latin = QStringLiteral("The quick brown fox jumps over the lazy dog. ");
const QString Japanese = QStringLiteral("縦書きと横書きの文章、「かぎ括弧」や長音ー、数字123も入ります。");
const QString Arabic = QStringLiteral("مرحبا بالعالم هذا نص عربي طويل ");
constexpr qreal LineLength = 480;
// A position may differ from the rule by rounding in the text engine.
constexpr qreal Slack = 1;
// QTextLine keeps its place in 1/64 pixel.
constexpr qreal Fixed = 1.0 / 32;

PageTextLayout *pageLayout(QTextDocument *document)
{
    return qobject_cast<PageTextLayout *>(document->documentLayout());
}

// A document of one paragraph with `format`, laid out at LineLength.
struct OneParagraph
{
    OneParagraph(const QTextBlockFormat &format, const QString &text)
    {
        QTextCursor cursor(&document);
        cursor.setBlockFormat(format);
        cursor.insertText(text);
        document.setTextWidth(LineLength);
        rect = document.documentLayout()->blockBoundingRect(document.firstBlock());
    }
    const QTextLayout *layout() const { return document.firstBlock().layout(); }
    // The line's text from the page's left edge.
    QRectF textOf(int line) const
    {
        return layout()->lineAt(line).naturalTextRect().translated(layout()->position());
    }
    WordTextDocument document;
    QRectF rect;
};

QImage picture(QSize size)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::darkCyan);
    return image;
}

void insertPicture(QTextCursor &cursor, WordTextDocument *document, QSize size,
                   QTextCharFormat::VerticalAlignment alignment = QTextCharFormat::AlignNormal)
{
    QTextImageFormat format;
    format.setName(document->addPicture(picture(size)));
    format.setWidth(size.width());
    format.setHeight(size.height());
    format.setVerticalAlignment(alignment);
    cursor.insertImage(format);
}

void fillParagraphs(WordTextDocument *document, int count)
{
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    for (int i = 0; i < count; ++i) {
        if (i)
            cursor.insertBlock();
        cursor.insertText((Latin + Japanese).repeated(1 + i % 4).left(40 + (i * 37) % 300));
    }
    cursor.endEditBlock();
}

// The band from `top`, `height` high, drawn into `image` where `area` (in
// document coordinates) meets it, as a view repaints what it is told to.
void paintBand(QImage &image, QTextDocument *document, qreal top, const QRectF &area)
{
    const QRectF band(0, top, image.width(), image.height());
    const QRectF clip = area & band;
    if (clip.isEmpty())
        return;
    QPainter painter(&image);
    painter.translate(0, -top);
    painter.fillRect(clip, Qt::white);
    painter.setClipRect(clip);
    QAbstractTextDocumentLayout::PaintContext context;
    context.clip = clip;
    document->documentLayout()->draw(&painter, context);
}

// A view of the band from `top`: drawn once, then repainted where the
// layout reports changes.
struct BandView
{
    BandView(QTextDocument *document, qreal top)
        : document(document), top(top), image(int(LineLength), 700, QImage::Format_ARGB32_Premultiplied)
    {
        image.fill(Qt::white);
        paintBand(image, document, top, QRectF(0, top, LineLength, image.height()));
        QObject::connect(document->documentLayout(), &QAbstractTextDocumentLayout::update, document,
                         [this](const QRectF &area) { paintBand(image, this->document, this->top, area); });
    }
    QImage freshPaint() const
    {
        QImage fresh(image.size(), image.format());
        fresh.fill(Qt::white);
        paintBand(fresh, document, top, QRectF(0, top, LineLength, image.height()));
        return fresh;
    }
    QTextDocument *document;
    qreal top;
    QImage image;
};

// Pixel rows a glyph inks as drawn, with at least a quarter's coverage.
int inkRows(const QRawFont &font, quint32 glyph)
{
    const QImage coverage = font.alphaMapForGlyph(glyph, QRawFont::PixelAntialiasing);
    QList<int> rows;
    for (int y = 0; y < coverage.height(); ++y) {
        int darkest = 0;
        for (int x = 0; x < coverage.width(); ++x)
            darkest = qMax(darkest, qAlpha(coverage.pixel(x, y)));
        if (darkest >= 64)
            rows.append(y);
    }
    return rows.isEmpty() ? 0 : rows.last() - rows.first() + 1;
}

} // namespace

class TestPageTextLayout : public QObject
{
    Q_OBJECT
private slots:
    // Margins and indents stay where the format puts them, on the side
    // where the text starts; the lines align within them.
    void linesStandWhereTheFormatPutsThem_data()
    {
        QTest::addColumn<QTextBlockFormat>("format");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("line");
        QTest::addColumn<qreal>("left");  // of the line's text; negative: not checked
        QTest::addColumn<qreal>("right"); // of the line's text; negative: not checked
        QTextBlockFormat indented;
        indented.setLeftMargin(25);
        indented.setTextIndent(30);
        QTest::newRow("first line indented") << indented << Latin.repeated(3) << 0 << 55.0 << -1.0;
        QTest::newRow("other lines at the margin") << indented << Latin.repeated(3) << 1 << 25.0 << -1.0;
        QTextBlockFormat hanging;
        hanging.setLeftMargin(40);
        hanging.setTextIndent(-20);
        QTest::newRow("first line hanging") << hanging << Latin.repeated(3) << 0 << 20.0 << -1.0;
        QTest::newRow("hanging paragraph's next line") << hanging << Latin.repeated(3) << 1 << 40.0 << -1.0;
        QTextBlockFormat right;
        right.setAlignment(Qt::AlignRight);
        right.setRightMargin(50);
        QTest::newRow("right aligned at the right margin") << right << Latin << 0 << -1.0 << 430.0;
        QTextBlockFormat centred;
        centred.setAlignment(Qt::AlignHCenter);
        centred.setLeftMargin(20);
        centred.setRightMargin(60);
        const qreal half = QFontMetricsF(WordTextDocument::standardFont()).horizontalAdvance(QStringLiteral("centre")) / 2;
        QTest::newRow("centred between the margins")
            << centred << QStringLiteral("centre") << 0 << 220 - half << 220 + half;
        QTextBlockFormat justified;
        justified.setAlignment(Qt::AlignJustify);
        QTest::newRow("justified line fills the length") << justified << Latin.repeated(3) << 0 << 0.0 << LineLength;
        QTextBlockFormat rightToLeft;
        rightToLeft.setTextIndent(30);
        rightToLeft.setRightMargin(10);
        QTest::newRow("right to left starts at the right") << rightToLeft << Arabic.repeated(4) << 1 << -1.0 << 470.0;
        QTest::newRow("right to left indents at the right") << rightToLeft << Arabic.repeated(4) << 0 << -1.0 << 440.0;
        QTextBlockFormat absoluteLeft;
        absoluteLeft.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute);
        QTest::newRow("absolute left in right to left") << absoluteLeft << Arabic << 0 << 0.0 << -1.0;
        QTextBlockFormat stepped;
        stepped.setIndent(2);
        QTest::newRow("indent in steps") << stepped << Latin << 0 << 80.0 << -1.0;
        QTextBlockFormat steppedRightToLeft;
        steppedRightToLeft.setIndent(1);
        steppedRightToLeft.setRightMargin(20);
        QTest::newRow("right to left indent in steps at the right")
            << steppedRightToLeft << Arabic.repeated(4) << 1 << -1.0 << 420.0;
    }
    void linesStandWhereTheFormatPutsThem()
    {
        QFETCH(QTextBlockFormat, format);
        QFETCH(QString, text);
        QFETCH(int, line);
        QFETCH(qreal, left);
        QFETCH(qreal, right);
        OneParagraph paragraph(format, text);
        QVERIFY(paragraph.layout()->lineCount() > line);
        const QRectF found = paragraph.textOf(line);
        if (left >= 0)
            QVERIFY2(qAbs(found.left() - left) <= Slack, qPrintable(QString::number(found.left())));
        if (right >= 0)
            QVERIFY2(qAbs(found.right() - right) <= Slack, qPrintable(QString::number(found.right())));
    }

    // A word longer than many lines breaks where QTextLayout breaks it on
    // its own, without measuring the rest of the word again for each line.
    void longWordBreaksInLinearTime_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("vertical");
        const QString word = QString(3000, QLatin1Char('w'));
        QTest::newRow("horizontal") << QStringLiteral("before ") + word + QStringLiteral(" after ") + Latin.repeated(4)
                                    << false;
        QTest::newRow("two long words, spaces hanging at a line's end")
            << word + QString(200, QLatin1Char(' ')) + word.left(900) << false;
        QTest::newRow("right to left") << QString(2000, QChar(0x0628)) + QLatin1Char(' ') + Arabic.repeated(3) << false;
        QTest::newRow("vertical, upright text after") << word + QLatin1Char(' ') + Japanese.repeated(4) << true;
    }
    void longWordBreaksInLinearTime()
    {
        QFETCH(QString, text);
        QFETCH(bool, vertical);
        WordTextDocument document;
        QTextCursor(&document).insertText(text);
        pageLayout(&document)->setVertical(vertical);
        const int rescansBefore = ParagraphLines::longWordLinesBrokenAtWords();
        document.setTextWidth(LineLength);
        pageLayout(&document)->completeLayout();
        QCOMPARE(ParagraphLines::longWordLinesBrokenAtWords(), rescansBefore);

        // QTextLayout breaking the same text on its own.
        const QTextLayout *layout = document.firstBlock().layout();
        QTextLayout alone(document.firstBlock().text(), document.defaultFont());
        alone.setTextOption(layout->textOption());
        alone.setFormats(layout->formats());
        alone.beginLayout();
        for (QTextLine line = alone.createLine(); line.isValid(); line = alone.createLine())
            line.setLineWidth(LineLength);
        alone.endLayout();
        QVERIFY(alone.lineCount() > 10);
        QCOMPARE(layout->lineCount(), alone.lineCount());
        for (int i = 0; i < alone.lineCount(); ++i)
            QCOMPARE(layout->lineAt(i).textStart(), alone.lineAt(i).textStart());
    }

    // The last line of a justified paragraph keeps its natural length.
    void justifiedLastLineIsNatural()
    {
        QTextBlockFormat justified;
        justified.setAlignment(Qt::AlignJustify);
        OneParagraph paragraph(justified, Latin.repeated(5).left(200));
        const int last = paragraph.layout()->lineCount() - 1;
        QVERIFY(last > 0);
        QVERIFY(paragraph.textOf(last).right() < LineLength - 20);
    }

    // The advance from line to line, and where the text stands in it.
    void lineHeightsFollowTheFormat_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<qreal>("value");
        QTest::addColumn<qreal>("naturalTimes"); // advance = natural * naturalTimes + added
        QTest::addColumn<qreal>("added");
        QTest::addColumn<qreal>("textTop"); // of the text in its line box, as a share of (advance - natural)
        QTest::newRow("single") << int(QTextBlockFormat::SingleHeight) << 0.0 << 1.0 << 0.0 << 0.0;
        QTest::newRow("150 %") << int(QTextBlockFormat::ProportionalHeight) << 150.0 << 1.5 << 0.0 << 0.0;
        QTest::newRow("60 %") << int(QTextBlockFormat::ProportionalHeight) << 60.0 << 0.6 << 0.0 << 0.0;
        QTest::newRow("fixed 30") << int(QTextBlockFormat::FixedHeight) << 30.0 << 0.0 << 30.0 << 0.5;
        QTest::newRow("fixed 9, less than the font") << int(QTextBlockFormat::FixedHeight) << 9.0 << 0.0 << 9.0 << 0.5;
        QTest::newRow("at least 40") << int(QTextBlockFormat::MinimumHeight) << 40.0 << 0.0 << 40.0 << 1.0;
        QTest::newRow("at least 5, less than the font") << int(QTextBlockFormat::MinimumHeight) << 5.0 << 1.0 << 0.0 << 0.0;
        QTest::newRow("5 between lines") << int(QTextBlockFormat::LineDistanceHeight) << 5.0 << 1.0 << 5.0 << 0.0;
    }
    void lineHeightsFollowTheFormat()
    {
        QFETCH(int, type);
        QFETCH(qreal, value);
        QFETCH(qreal, naturalTimes);
        QFETCH(qreal, added);
        QFETCH(qreal, textTop);
        QTextBlockFormat format;
        format.setLineHeight(value, type);
        OneParagraph paragraph(format, Latin.repeated(5).left(200));
        const QTextLayout *layout = paragraph.layout();
        QCOMPARE(layout->lineCount(), 3);
        // A line's natural height, in whole pixels.
        const qreal natural = std::ceil(layout->lineAt(0).height());
        const qreal advance = natural * naturalTimes + added;
        QVERIFY(qAbs(layout->lineAt(1).y() - layout->lineAt(0).y() - advance) < Fixed);
        QVERIFY(qAbs(paragraph.rect.height() - 3 * advance) < 0.01 || paragraph.rect.height() > 3 * advance);
        QVERIFY(qAbs(pageLayout(&paragraph.document)->documentSize().height() - 3 * advance) < 0.01);
        QVERIFY(qAbs(layout->lineAt(0).y() - textTop * (advance - natural)) < Fixed);
    }

    // A paragraph's background fills its box, also where its line heights
    // leave space above the text: a band of that space shows it.
    void backgroundFillsTheParagraphsBox()
    {
        WordTextDocument document;
        QTextCursor cursor(&document);
        cursor.insertText(Latin);
        QTextBlockFormat tall;
        tall.setBackground(Qt::blue);
        tall.setLineHeight(60, QTextBlockFormat::MinimumHeight);
        cursor.insertBlock(tall);
        cursor.insertText(QStringLiteral("text at the bottom of a tall line"));
        document.setTextWidth(LineLength);
        const QRectF box = document.documentLayout()->blockBoundingRect(document.lastBlock());
        QImage band(int(LineLength), 10, QImage::Format_ARGB32_Premultiplied);
        band.fill(Qt::white);
        paintBand(band, &document, box.top() + 2, QRectF(0, box.top() + 2, LineLength, 10));
        QCOMPARE(band.pixelColor(int(LineLength) / 2, 5), QColor(Qt::blue));
    }

    // Between two paragraphs stands the larger of the one's space after
    // and the next's space before.
    void paragraphSpacing_data()
    {
        QTest::addColumn<qreal>("after");
        QTest::addColumn<qreal>("before");
        QTest::addColumn<qreal>("gap");
        QTest::newRow("none") << 0.0 << 0.0 << 0.0;
        QTest::newRow("space after wins") << 10.0 << 4.0 << 10.0;
        QTest::newRow("space before wins") << 3.0 << 12.5 << 12.5;
    }
    void paragraphSpacing()
    {
        QFETCH(qreal, after);
        QFETCH(qreal, before);
        QFETCH(qreal, gap);
        WordTextDocument document;
        QTextCursor cursor(&document);
        QTextBlockFormat first;
        first.setBottomMargin(after);
        cursor.setBlockFormat(first);
        cursor.insertText(Latin);
        QTextBlockFormat second;
        second.setTopMargin(before);
        cursor.insertBlock(second);
        cursor.insertText(Latin);
        document.setTextWidth(LineLength);
        QAbstractTextDocumentLayout *layout = document.documentLayout();
        const QRectF one = layout->blockBoundingRect(document.firstBlock());
        const QRectF two = layout->blockBoundingRect(document.lastBlock());
        QCOMPARE(one.top(), 0.0);
        QVERIFY(qAbs(two.top() - one.bottom() - gap) < 0.01);
    }

    // A paragraph's rule spans the share of the text's width its format
    // gives, centred between the margins, in the text's colour: across the
    // middle of an empty paragraph, else just below the last line.
    void rulesSpanTheTextWidth_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QTextLength>("width");
        QTest::addColumn<qreal>("left");  // the rule's ends on the page
        QTest::addColumn<qreal>("right");
        QTest::newRow("empty paragraph, whole width")
            << QString() << QTextLength(QTextLength::PercentageLength, 100) << 30.0 << 460.0;
        QTest::newRow("under text, half the width")
            << Latin << QTextLength(QTextLength::PercentageLength, 50) << 137.5 << 352.5;
        QTest::newRow("fixed, wider than the text") << Latin << QTextLength(QTextLength::FixedLength, 900) << 30.0 << 460.0;
    }
    void rulesSpanTheTextWidth()
    {
        QFETCH(QString, text);
        QFETCH(QTextLength, width);
        QFETCH(qreal, left);
        QFETCH(qreal, right);
        QTextBlockFormat format;
        format.setLeftMargin(30);
        format.setRightMargin(20);
        format.setProperty(QTextFormat::BlockTrailingHorizontalRulerWidth, width);
        QTextCharFormat red;
        red.setForeground(Qt::red);
        WordTextDocument document;
        QTextCursor cursor(&document);
        cursor.setBlockFormat(format);
        cursor.setBlockCharFormat(red);
        cursor.insertText(text, red);
        document.setTextWidth(LineLength);
        const QRectF box = document.documentLayout()->blockBoundingRect(document.firstBlock());
        const QTextLine line = document.firstBlock().layout()->lineAt(0);
        const int y = int(text.isEmpty() ? line.y() + line.height() / 2 : line.y() + line.height());
        QImage image(int(LineLength), int(box.height()) + 20, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        paintBand(image, &document, 0, image.rect());
        const auto inked = [&](qreal x) { return image.pixelColor(int(x), y) == QColor(Qt::red); };
        QVERIFY(inked(left + 1) && inked(right - 1) && inked((left + right) / 2));
        QVERIFY(!inked(left - 2) && !inked(right + 2));
    }

    // A picture stands on the baseline, or centred on the middle of the
    // lowercase letters; one wider than the line has a line of its own and
    // widens the document.
    void picturesInTheLine()
    {
        WordTextDocument document;
        QTextCursor cursor(&document);
        cursor.insertText(QStringLiteral("on the baseline "));
        insertPicture(cursor, &document, QSize(30, 40));
        cursor.insertText(QStringLiteral(" in the middle "));
        insertPicture(cursor, &document, QSize(30, 60), QTextCharFormat::AlignMiddle);
        cursor.insertText(QStringLiteral(" too wide "));
        insertPicture(cursor, &document, QSize(700, 20));
        cursor.insertText(QStringLiteral(" after"));
        document.setTextWidth(LineLength);
        QAbstractTextDocumentLayout *layout = document.documentLayout();
        layout->blockBoundingRect(document.firstBlock());
        const QTextLayout *lines = document.firstBlock().layout();
        const QTextLine first = lines->lineAt(0);
        const qreal xHeight = QFontMetricsF(WordTextDocument::standardFont()).xHeight();
        // The middle picture reaches (60 + x-height) / 2 above the baseline.
        QVERIFY(first.ascent() >= 40);
        QVERIFY(qAbs(first.ascent() - (60 + xHeight) / 2) < 0.5 || first.ascent() - 40 < 0.01);
        QVERIFY(first.descent() >= (60 - xHeight) / 2 - 0.01);
        const QTextLine wide = lines->lineForTextPosition(document.toPlainText().lastIndexOf(QChar::ObjectReplacementCharacter));
        QVERIFY(wide.isValid());
        QVERIFY(wide.naturalTextWidth() >= 700);
        QVERIFY(layout->documentSize().width() >= 700);
    }

    // List markers: the item's text or the list's bullet, on the first
    // line's baseline, a third of an em before the text (after it, right
    // to left).
    void listMarkers_data()
    {
        QTest::addColumn<int>("style");
        QTest::addColumn<Qt::LayoutDirection>("direction");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        QTest::newRow("disc") << int(QTextListFormat::ListDisc) << Qt::LeftToRight << QStringLiteral("\u2022")
                              << QStringLiteral("\u2022");
        QTest::newRow("circle") << int(QTextListFormat::ListCircle) << Qt::LeftToRight << QStringLiteral("\u25E6")
                                << QStringLiteral("\u25E6");
        QTest::newRow("square") << int(QTextListFormat::ListSquare) << Qt::LeftToRight << QStringLiteral("\u25AA")
                                << QStringLiteral("\u25AA");
        QTest::newRow("decimal") << int(QTextListFormat::ListDecimal) << Qt::LeftToRight << QStringLiteral("1.")
                                 << QStringLiteral("2.");
        QTest::newRow("upper roman") << int(QTextListFormat::ListUpperRoman) << Qt::LeftToRight
                                     << QStringLiteral("I.") << QStringLiteral("II.");
        // Read from the right: the suffix stands left of the number.
        QTest::newRow("right to left") << int(QTextListFormat::ListDecimal) << Qt::RightToLeft
                                       << QStringLiteral(".1") << QStringLiteral(".2");
        QTest::newRow("no marker") << int(QTextListFormat::ListStyleUndefined) << Qt::LeftToRight << QString()
                                   << QString();
    }
    void listMarkers()
    {
        QFETCH(int, style);
        QFETCH(Qt::LayoutDirection, direction);
        QFETCH(QString, first);
        QFETCH(QString, second);
        WordTextDocument document;
        QTextCursor cursor(&document);
        QTextListFormat list;
        list.setStyle(QTextListFormat::Style(style));
        cursor.createList(list);
        const QString text = direction == Qt::RightToLeft ? Arabic : Latin;
        QTextCharFormat big;
        big.setProperty(QTextFormat::FontPixelSize, 22);
        cursor.insertText(text.left(1), big);
        cursor.insertText(text.mid(1), QTextCharFormat());
        cursor.insertBlock();
        cursor.insertText(text.repeated(3));
        document.setTextWidth(LineLength);
        int item = 0;
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next(), ++item) {
            document.documentLayout()->blockBoundingRect(block);
            const ListMarker marker = ListMarker::of(block);
            QCOMPARE(marker.text(), item == 0 ? first : second);
            if (marker.isEmpty())
                continue;
            const QTextLayout *layout = block.layout();
            const QTextLine line = layout->lineAt(0);
            const qreal baseline = layout->position().y() + line.y() + line.ascent();
            const qreal textStart = layout->position().x() + line.cursorToX(0);
            QFont font = (item == 0 ? big : QTextCharFormat()).font().resolve(document.defaultFont());
            const QFontMetricsF metrics(font);
            const qreal gap = QFontInfo(font).pixelSize() / 3.0;
            // On the baseline, in the first character's font.
            QVERIFY(qAbs(marker.rect().top() + metrics.ascent() - baseline) < 0.01);
            QVERIFY(qAbs(marker.rect().width() - metrics.horizontalAdvance(marker.text())) < 0.01);
            // A third of an em away from the text, on the side where it starts.
            const qreal found = direction == Qt::RightToLeft ? marker.rect().left() - textStart
                                                             : textStart - marker.rect().right();
            QVERIFY2(qAbs(found - gap) < Slack, qPrintable(QString::number(found)));
        }
    }

    // In vertical writing too, a list paragraph shows its marker.
    void verticalListShowsItsMarker()
    {
        WordTextDocument document;
        QTextCursor cursor(&document);
        QTextListFormat list;
        list.setStyle(QTextListFormat::ListDecimal);
        list.setIndent(2);
        cursor.createList(list);
        cursor.insertText(Japanese);
        document.setTextWidth(LineLength);
        pageLayout(&document)->completeLayout();
        const QTextBlock block = document.firstBlock();
        const ListMarker marker = ListMarker::of(block);
        QVERIFY(!marker.isEmpty());
        QImage image(int(LineLength), 60, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            BlockPainter(&painter, BlockPainter::Orientation::Vertical, {}).paintBlock(block, image.rect());
        }
        const QRect area = marker.rect().toAlignedRect() & image.rect();
        QVERIFY(!area.isEmpty());
        int inked = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x)
                inked += image.pixelColor(x, y) != QColor(Qt::white) ? 1 : 0;
        }
        QVERIFY(inked > 0);
    }

    // Where a point puts the caret, from the lines' places.
    void hitTests_data()
    {
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<int>("accuracy");
        QTest::addColumn<QString>("expected"); // what the text before the hit ends with; "-1": no hit
        QTest::newRow("above the text: first line, at the point's x") << QPointF(1, -30) << int(Qt::FuzzyHit) << QString();
        QTest::newRow("left of a line: its start") << QPointF(-50, 5) << int(Qt::FuzzyHit) << QString();
        QTest::newRow("right of a line: its end") << QPointF(470, 5) << int(Qt::FuzzyHit) << QStringLiteral("first");
        QTest::newRow("in the space after a paragraph: its last line")
            << QPointF(470, 25) << int(Qt::FuzzyHit) << QStringLiteral("first");
        QTest::newRow("below the text: the last line") << QPointF(470, 1000) << int(Qt::FuzzyHit)
                                                      << QStringLiteral("second");
        QTest::newRow("exactly on nothing") << QPointF(470, 5) << int(Qt::ExactHit) << QStringLiteral("-1");
        QTest::newRow("exactly on a character") << QPointF(1, 5) << int(Qt::ExactHit) << QString();
    }
    void hitTests()
    {
        QFETCH(QPointF, point);
        QFETCH(int, accuracy);
        QFETCH(QString, expected);
        WordTextDocument document;
        QTextCursor cursor(&document);
        QTextBlockFormat spaced;
        spaced.setBottomMargin(20);
        cursor.setBlockFormat(spaced);
        cursor.insertText(QStringLiteral("first"));
        cursor.insertBlock(QTextBlockFormat());
        cursor.insertText(QStringLiteral("second"));
        document.setTextWidth(LineLength);
        const int hit = document.documentLayout()->hitTest(point, Qt::HitTestAccuracy(accuracy));
        if (expected == QStringLiteral("-1")) {
            QCOMPARE(hit, -1);
            return;
        }
        QVERIFY(hit >= 0);
        QCOMPARE(document.toPlainText().left(hit).replace(QChar::ParagraphSeparator, u'\n').section(u'\n', -1),
                 expected);
    }

    // Line breaks are QTextLayout's: every paragraph breaks where a plain
    // QTextLayout of its text and formats breaks at the same widths.
    void lineBreaksAreTheTextLayouts()
    {
        WordTextDocument document;
        QTextCursor cursor(&document);
        QTextCharFormat big;
        big.setProperty(QTextFormat::FontPixelSize, 30);
        big.setFontWeight(QFont::Bold);
        for (int i = 0; i < 40; ++i) {
            QTextBlockFormat format;
            format.setLeftMargin(i % 3 * 7);
            format.setRightMargin(i % 5 * 3);
            format.setTextIndent(i % 4 * 9 - 9);
            if (i)
                cursor.insertBlock(format);
            else
                cursor.setBlockFormat(format);
            cursor.insertText((Latin + Japanese).left(i * 11), QTextCharFormat());
            cursor.insertText(QStringLiteral("Big words"), i % 2 ? big : QTextCharFormat());
            cursor.insertText(QStringLiteral("x").repeated(i % 7 == 0 ? 90 : 0) + Latin, QTextCharFormat());
        }
        document.setTextWidth(LineLength);
        pageLayout(&document)->completeLayout();
        for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
            const ParagraphLines::Margins margins = ParagraphLines::marginsOf(block);
            QTextLayout plain(block.text(), document.defaultFont());
            plain.setFormats(block.textFormats());
            QTextOption option = ParagraphLines::optionOf(block);
            option.setUseDesignMetrics(true);
            plain.setTextOption(option);
            plain.beginLayout();
            for (QTextLine line = plain.createLine(); line.isValid(); line = plain.createLine())
                line.setLineWidth(LineLength - margins.left - margins.right
                                  - (line.lineNumber() == 0 ? margins.firstLine : 0));
            plain.endLayout();
            const QTextLayout *laidOut = block.layout();
            QCOMPARE(laidOut->lineCount(), plain.lineCount());
            for (int i = 0; i < plain.lineCount(); ++i) {
                QCOMPARE(laidOut->lineAt(i).textStart(), plain.lineAt(i).textStart());
                QCOMPARE(laidOut->lineAt(i).textLength(), plain.lineAt(i).textLength());
            }
        }
    }

    // Edits keep the layout what a layout from scratch gives; an edit of a
    // few paragraphs in a laid-out text leaves nothing to lay out later.
    void editsMatchALayoutFromScratch()
    {
        WordTextDocument edited;
        WordTextDocument twin;
        for (WordTextDocument *document : {&edited, &twin}) {
            fillParagraphs(document, 100);
            document->setTextWidth(LineLength);
            pageLayout(document)->completeLayout();
        }
        const std::function<void(QTextDocument *)> edits[] = {
            [](QTextDocument *d) { QTextCursor(d).insertText(QStringLiteral("typed at the start ")); },
            [](QTextDocument *d) { QTextCursor(d->findBlockByNumber(30)).insertText(QStringLiteral("a\nnew paragraph\n")); },
            [](QTextDocument *d) {
                QTextCursor cursor(d->findBlockByNumber(10));
                cursor.movePosition(QTextCursor::EndOfBlock);
                cursor.deleteChar(); // joins two paragraphs
            },
            [](QTextDocument *d) {
                QTextBlockFormat spaced;
                spaced.setTopMargin(20);
                spaced.setLineHeight(130, QTextBlockFormat::ProportionalHeight);
                QTextCursor(d->findBlockByNumber(5)).mergeBlockFormat(spaced);
            },
        };
        for (const auto &edit : edits) {
            edit(&edited);
            edit(&twin);
            QVERIFY(pageLayout(&edited)->isComplete());
            // The twin is laid out anew from nothing.
            twin.setTextWidth(LineLength / 2);
            twin.setTextWidth(LineLength);
            pageLayout(&twin)->completeLayout();
            QCOMPARE(edited.documentLayout()->documentSize(), twin.documentLayout()->documentSize());
            for (QTextBlock a = edited.begin(), b = twin.begin(); a.isValid(); a = a.next(), b = b.next())
                QCOMPARE(edited.documentLayout()->blockBoundingRect(a), twin.documentLayout()->blockBoundingRect(b));
        }
    }

    // Quiet time lays out what is not laid out, and reports the size found.
    void quietTimeCompletesTheLayout()
    {
        WordTextDocument document;
        fillParagraphs(&document, 3000);
        document.setTextWidth(LineLength);
        PageTextLayout *layout = pageLayout(&document);
        QVERIFY(!layout->isComplete());
        QSignalSpy reported(layout, &QAbstractTextDocumentLayout::documentSizeChanged);
        QTRY_VERIFY_WITH_TIMEOUT(layout->isComplete(), 30000);
        QTRY_VERIFY(!reported.isEmpty() && reported.last().first().toSizeF() == layout->documentSize());
    }

    // The vertical caret after a picture is as thick as the text, not as
    // wide as the picture that widens its column.
    void verticalCaretAfterAPicture()
    {
        WordTextDocument document;
        UprightPictureHandler pictures(&document, &document);
        pictures.setVertical(true);
        QTextCursor cursor(&document);
        cursor.insertText(QStringLiteral("縦書き"));
        insertPicture(cursor, &document, QSize(200, 40));
        document.setTextWidth(LineLength);
        pageLayout(&document)->completeLayout();
        const QTextBlock block = document.firstBlock();
        QVERIFY(block.layout()->lineAt(0).height() >= 200);
        const QFontMetricsF metrics(WordTextDocument::standardFont());
        for (int position : {2, 3, 4}) {
            const QRectF caret = BlockPainter::caretRect(block, position, 1.5);
            QVERIFY2(caret.height() > 0 && caret.height() <= metrics.ascent() + metrics.descent() + 0.5,
                     qPrintable(QString::number(caret.height())));
        }
    }

    // In vertical writing an upright character's cell along the line is
    // longer than its glyph's ink is high by a pixel at least, so neighbours
    // never touch, and hardly longer than an em, so the column does not gap;
    // in horizontal writing, or once vertical writing is off again, each
    // character keeps its own advance.
    void uprightCellsHoldTheirGlyphs_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("pixelSize");
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<bool>("switchedBack");
        for (const char *family : {"DejaVu Sans Mono", "Monospace", "Noto Sans Mono CJK JP"}) {
            QTest::addRow("vertical, %s", family) << QString::fromLatin1(family) << 12 << true << false;
            QTest::addRow("horizontal, %s", family) << QString::fromLatin1(family) << 12 << false << false;
        }
        QTest::newRow("vertical, standard font at 18") << QString() << 18 << true << false;
        QTest::newRow("vertical, standard font at 24") << QString() << 24 << true << false;
        QTest::newRow("vertical, standard font at 100") << QString() << 100 << true << false;
        QTest::newRow("horizontal, standard font at 18") << QString() << 18 << false << false;
        QTest::newRow("vertical off again, standard font at 18") << QString() << 18 << false << true;
    }
    void uprightCellsHoldTheirGlyphs()
    {
        QFETCH(QString, family);
        QFETCH(int, pixelSize);
        QFETCH(bool, vertical);
        QFETCH(bool, switchedBack);
        WordTextDocument document;
        QTextCharFormat format;
        if (!family.isEmpty())
            format.setFontFamilies({family});
        format.setProperty(QTextFormat::FontPixelSize, pixelSize);
        QTextCursor(&document).insertText(QStringLiteral("これは長い文書の縦書き"), format);
        PageTextLayout *layout = pageLayout(&document);
        layout->setVertical(vertical || switchedBack);
        // Wide enough for one line at every size.
        document.setTextWidth(4 * LineLength);
        layout->completeLayout();
        if (switchedBack) {
            layout->setVertical(false);
            layout->completeLayout();
        }
        const QTextLine line = document.firstBlock().layout()->lineAt(0);
        const QString text = document.firstBlock().text();
        for (int i = 0; i < text.size(); ++i) {
            const qreal cell = line.cursorToX(i + 1) - line.cursorToX(i);
            const QList<QGlyphRun> runs = line.glyphRuns(i, 1);
            QCOMPARE(runs.size(), 1);
            const QRawFont font = runs.first().rawFont();
            const quint32 glyph = runs.first().glyphIndexes().first();
            const QString what = QStringLiteral("%1: cell %2").arg(text.at(i)).arg(cell);
            if (!vertical) {
                QVERIFY2(qAbs(cell - font.advancesForGlyphIndexes({glyph}).first().x()) <= Fixed, qPrintable(what));
                continue;
            }
            QVERIFY2(cell >= inkRows(font, glyph) + 1, qPrintable(what));
            QVERIFY2(cell <= 1.15 * font.pixelSize(), qPrintable(what));
        }
    }

    // Ideographs in hundreds of large sizes get their cells from what their
    // face inks at one size: no glyph is rasterized per size.
    void uprightCellsOfManySizesMeasureOnce()
    {
        WordTextDocument document;
        QTextCursor cursor(&document);
        for (int size = 49; size < 349; ++size) {
            QTextCharFormat format;
            format.setProperty(QTextFormat::FontPixelSize, size);
            cursor.insertText(Japanese.mid(size % Japanese.size(), 1), format);
        }
        const int before = UprightCells::glyphsRasterized();
        pageLayout(&document)->setVertical(true);
        document.setTextWidth(LineLength);
        pageLayout(&document)->completeLayout();
        QVERIFY2(UprightCells::glyphsRasterized() - before <= 20,
                 qPrintable(QString::number(UprightCells::glyphsRasterized() - before)));
    }

    // Giving upright characters their cells when vertical writing comes on
    // leaves nothing behind for the next edit: a keystroke afterwards reports
    // its own paragraph only, not every paragraph laid out since.
    void editAfterVerticalWritingReportsItsParagraph()
    {
        WordTextDocument document;
        fillParagraphs(&document, 200);
        document.setTextWidth(LineLength);
        PageTextLayout *layout = pageLayout(&document);
        layout->setVertical(true);
        document.setTextWidth(LineLength + 40);
        layout->completeLayout();
        QSignalSpy changes(&document, &QTextDocument::contentsChange);
        const QTextBlock edited = document.findBlockByNumber(100);
        QTextCursor(edited).insertText(QStringLiteral("縦"));
        QCOMPARE(changes.size(), 1);
        QCOMPARE(changes.first().at(0).toInt(), edited.position());
        QVERIFY(changes.first().at(2).toInt() <= edited.length());
    }

    // After a new line length, the paragraphs not laid out again yet are
    // estimated from their last layout, within 2 % of the exact heights.
    void estimatesAfterANewLineLength_data()
    {
        QTest::addColumn<qreal>("from");
        QTest::addColumn<qreal>("to");
        QTest::newRow("480 to 400") << 480.0 << 400.0;
        QTest::newRow("400 to 480") << 400.0 << 480.0;
        QTest::newRow("480 to 300") << 480.0 << 300.0;
        QTest::newRow("300 to 640") << 300.0 << 640.0;
    }
    void estimatesAfterANewLineLength()
    {
        QFETCH(qreal, from);
        QFETCH(qreal, to);
        WordTextDocument document;
        fillParagraphs(&document, 3000);
        document.setTextWidth(from);
        PageTextLayout *layout = pageLayout(&document);
        layout->completeLayout();
        document.setTextWidth(to);
        QVERIFY(!layout->isComplete());
        const qreal estimated = layout->documentSize().height();
        layout->completeLayout();
        const qreal exact = layout->documentSize().height();
        QVERIFY2(qAbs(estimated - exact) / exact < 0.02,
                 qPrintable(QStringLiteral("%1 estimated, %2 exact").arg(estimated).arg(exact)));
    }

    // A band of a long text drawn while the layout still catches up is
    // repainted where heights above it turn out different: once the layout
    // is complete, the band shows what a full paint shows.
    void catchUpRepaintsWhatMoved()
    {
        WordTextDocument document;
        fillParagraphs(&document, 1500);
        document.setTextWidth(LineLength);
        PageTextLayout *layout = pageLayout(&document);
        QVERIFY(!layout->isComplete());
        BandView view(&document, layout->documentSize().height() / 2);
        QTRY_VERIFY_WITH_TIMEOUT(layout->isCaughtUp(), 30000);
        QCOMPARE(view.image, view.freshPaint());
    }

    // An edit of one paragraph repaints what it changed: the paragraph,
    // and what moved below it, also while the rest is still laid out.
    void editRepaintsWhatChanged_data()
    {
        QTest::addColumn<bool>("complete");
        QTest::addColumn<QString>("typed");
        QTest::newRow("same height, laid out") << true << QStringLiteral("x");
        QTest::newRow("new lines, laid out") << true << Latin.repeated(4);
        QTest::newRow("new lines, while laying out") << false << Latin.repeated(4);
    }
    void editRepaintsWhatChanged()
    {
        QFETCH(bool, complete);
        QFETCH(QString, typed);
        WordTextDocument document;
        fillParagraphs(&document, 1500);
        document.setTextWidth(LineLength);
        PageTextLayout *layout = pageLayout(&document);
        if (complete)
            layout->completeLayout();
        const QTextBlock edited = document.findBlockByNumber(750);
        BandView view(&document, layout->blockBoundingRect(edited).top() - 200);
        // Where the view shows it, once the band's paragraphs are laid out.
        const QRectF before = layout->blockBoundingRect(edited);
        QRectF repainted;
        connect(layout, &QAbstractTextDocumentLayout::update, this, [&](const QRectF &area) { repainted |= area; });
        QTextCursor(edited).insertText(typed);
        const QRectF after = layout->blockBoundingRect(edited);
        QVERIFY(repainted.contains(before | after));
        QTRY_VERIFY_WITH_TIMEOUT(layout->isCaughtUp(), 30000);
        QCOMPARE(view.image, view.freshPaint());
    }

};

QTEST_MAIN(TestPageTextLayout)
#include "tst_pagetextlayout.moc"
