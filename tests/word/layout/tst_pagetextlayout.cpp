#include "word/layout/PageTextLayout.h"
#include "word/layout/WordTextDocument.h"

#include <QImage>
#include <QPainter>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QTextList>
#include <functional>

namespace {

using Build = std::function<void(WordTextDocument *)>;

const QString Latin = QStringLiteral("The quick brown fox jumps over the lazy dog. ");
const QString Japanese = QStringLiteral("縦書きと横書きの文章、「かぎ括弧」や長音ー、数字123も入ります。");

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

// The same text twice: once laid out by the page layout, once by Qt's own.
struct Pair
{
    explicit Pair(const Build &build, qreal width = 480)
    {
        stock.setDocumentLayout(nullptr);
        for (WordTextDocument *document : {&page, &stock}) {
            build(document);
            document->setTextWidth(width);
        }
    }
    PageTextLayout *pageLayout() { return qobject_cast<PageTextLayout *>(page.documentLayout()); }
    WordTextDocument page;
    WordTextDocument stock;
};

// The band of the text from `top`, 600 high, as drawn.
QImage render(QTextDocument *document, QAbstractTextDocumentLayout::PaintContext context, qreal top)
{
    const QSizeF size = document->documentLayout()->documentSize();
    context.clip = QRectF(-20, top, size.width() + 40, 600);
    QImage image(QSize(int(size.width()) + 40, 600), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    painter.translate(20, -top);
    document->documentLayout()->draw(&painter, context);
    return image;
}

// Positions, sizes, hits and pixels agree with Qt's layout.
void compareWithStock(Pair &pair)
{
    pair.pageLayout()->completeLayout();
    QAbstractTextDocumentLayout *page = pair.page.documentLayout();
    QAbstractTextDocumentLayout *stock = pair.stock.documentLayout();
    QCOMPARE(page->documentSize(), stock->documentSize());
    QCOMPARE(pair.page.blockCount(), pair.stock.blockCount());
    for (QTextBlock a = pair.page.begin(), b = pair.stock.begin(); a.isValid(); a = a.next(), b = b.next())
        QCOMPARE(page->blockBoundingRect(a), stock->blockBoundingRect(b));
    const QSizeF size = stock->documentSize();
    const qreal step = qMax<qreal>(5, size.height() / 300);
    for (qreal y = -10; y < size.height() + 10; y += step) {
        for (qreal x = -10; x < size.width() + 10; x += 23) {
            const QPointF point(x, y);
            const QByteArray where = QStringLiteral("at %1, %2").arg(x).arg(y).toUtf8();
            QVERIFY2(page->hitTest(point, Qt::FuzzyHit) == stock->hitTest(point, Qt::FuzzyHit),
                     where + " " + QByteArray::number(page->hitTest(point, Qt::FuzzyHit)) + " vs "
                         + QByteArray::number(stock->hitTest(point, Qt::FuzzyHit)));
            QVERIFY2(page->hitTest(point, Qt::ExactHit) == stock->hitTest(point, Qt::ExactHit), where);
        }
    }
    QAbstractTextDocumentLayout::PaintContext context;
    context.cursorPosition = 7;
    QAbstractTextDocumentLayout::Selection selection;
    selection.cursor = QTextCursor(&pair.page);
    selection.cursor.setPosition(3);
    selection.cursor.setPosition(qMin(200, pair.page.characterCount() - 1), QTextCursor::KeepAnchor);
    selection.format.setBackground(Qt::blue);
    selection.format.setForeground(Qt::white);
    context.selections = {selection};
    QAbstractTextDocumentLayout::PaintContext stockContext = context;
    stockContext.selections.first().cursor = QTextCursor(&pair.stock);
    stockContext.selections.first().cursor.setPosition(3);
    stockContext.selections.first().cursor.setPosition(selection.cursor.position(), QTextCursor::KeepAnchor);
    for (qreal top : {qreal(-20), qMax<qreal>(0, size.height() / 2 - 300)})
        QCOMPARE(render(&pair.page, context, top), render(&pair.stock, stockContext, top));
}

} // namespace

class TestPageTextLayout : public QObject
{
    Q_OBJECT
private slots:
    void laysOutAsQtDoes_data()
    {
        QTest::addColumn<Build>("build");
        QTest::newRow("paragraphs") << Build([](WordTextDocument *document) {
            QTextCursor cursor(document);
            for (int i = 0; i < 12; ++i) {
                if (i)
                    cursor.insertBlock();
                cursor.insertText((Latin + Japanese).left(i * 17));
            }
        });
        QTest::newRow("characters") << Build([](WordTextDocument *document) {
            QTextCursor cursor(document);
            QTextCharFormat big;
            big.setProperty(QTextFormat::FontPixelSize, 30);
            big.setFontWeight(QFont::Black);
            QTextCharFormat marked;
            marked.setBackground(Qt::yellow);
            marked.setFontUnderline(true);
            marked.setFontItalic(true);
            cursor.insertText(Latin, big);
            cursor.insertText(Japanese + Latin, marked);
            cursor.insertText(QStringLiteral("Tabs:\tone\ttwo"), QTextCharFormat());
        });
        QTest::newRow("paragraph formats") << Build([](WordTextDocument *document) {
            QTextCursor cursor(document);
            const Qt::Alignment alignments[] = {Qt::AlignHCenter, Qt::AlignRight | Qt::AlignAbsolute, Qt::AlignJustify};
            for (Qt::Alignment alignment : alignments) {
                QTextBlockFormat format;
                format.setAlignment(alignment);
                format.setTopMargin(7.3);
                format.setBottomMargin(11.6);
                format.setLeftMargin(25.2);
                format.setRightMargin(13);
                format.setTextIndent(alignment == Qt::AlignJustify ? -15 : 31.7);
                cursor.insertBlock(format);
                cursor.insertText(Latin.repeated(3));
            }
            QTextBlockFormat nowrap;
            nowrap.setNonBreakableLines(true);
            nowrap.setBackground(QColor(230, 230, 255));
            cursor.insertBlock(nowrap);
            cursor.insertText(Latin.repeated(2));
        });
        QTest::newRow("line heights") << Build([](WordTextDocument *document) {
            QTextCursor cursor(document);
            const std::pair<qreal, QTextBlockFormat::LineHeightTypes> heights[] = {
                {150, QTextBlockFormat::ProportionalHeight}, {60, QTextBlockFormat::ProportionalHeight},
                {9, QTextBlockFormat::FixedHeight},          {31.4, QTextBlockFormat::FixedHeight},
                {20, QTextBlockFormat::MinimumHeight},       {5, QTextBlockFormat::LineDistanceHeight}};
            for (const auto &[height, type] : heights) {
                QTextBlockFormat format;
                format.setLineHeight(height, type);
                cursor.insertBlock(format);
                cursor.insertText(Latin + Japanese + Latin);
            }
        });
        QTest::newRow("lists") << Build([](WordTextDocument *document) {
            QTextCursor cursor(document);
            cursor.insertText(QStringLiteral("Before the lists"));
            for (QTextListFormat::Style style : {QTextListFormat::ListDisc, QTextListFormat::ListDecimal,
                                                 QTextListFormat::ListUpperRoman, QTextListFormat::ListSquare}) {
                QTextListFormat list;
                list.setStyle(style);
                list.setIndent(style == QTextListFormat::ListUpperRoman ? 2 : 1);
                cursor.insertBlock(QTextBlockFormat());
                cursor.createList(list);
                QTextCharFormat first;
                first.setProperty(QTextFormat::FontPixelSize, 22);
                cursor.insertText(QStringLiteral("W"), first);
                cursor.insertText(Latin, QTextCharFormat());
                cursor.insertBlock();
                cursor.insertText(Japanese);
            }
        });
        QTest::newRow("pictures") << Build([](WordTextDocument *document) {
            QTextCursor cursor(document);
            cursor.insertText(QStringLiteral("Small "));
            insertPicture(cursor, document, QSize(30, 20));
            cursor.insertText(QStringLiteral(" middle "));
            insertPicture(cursor, document, QSize(40, 40), QTextCharFormat::AlignMiddle);
            cursor.insertText(QStringLiteral(" wide "));
            insertPicture(cursor, document, QSize(700, 30));
            cursor.insertText(QStringLiteral(" after, and a word longer than the line: ") + QStringLiteral("x").repeated(140));
            cursor.insertBlock();
            cursor.insertFragment(QTextDocumentFragment::fromHtml(QStringLiteral("<p>rule below</p><hr><p>after</p>")));
            cursor.insertText(QStringLiteral(" missing picture "));
            QTextImageFormat missing;
            missing.setName(QStringLiteral("nowhere.png"));
            cursor.insertImage(missing);
        });
    }
    void laysOutAsQtDoes()
    {
        QFETCH(Build, build);
        Pair pair(build);
        compareWithStock(pair);
    }

    // However an edit arrives, the layout ends where Qt's does; an edit of
    // one paragraph in a laid-out text leaves nothing to lay out later.
    void editsKeepTheLayoutExact()
    {
        Pair pair([](WordTextDocument *document) {
            QTextCursor cursor(document);
            for (int i = 0; i < 100; ++i) {
                if (i)
                    cursor.insertBlock();
                cursor.insertText((Latin + Japanese).repeated(1 + i % 3));
            }
        });
        pair.pageLayout()->completeLayout();
        const std::function<void(QTextDocument *)> edits[] = {
            [](QTextDocument *d) { QTextCursor(d).insertText(QStringLiteral("typed at the start ")); },
            [](QTextDocument *d) {
                QTextCursor c(d->findBlockByNumber(30));
                c.insertText(QStringLiteral("a\nnew paragraph\n"));
            },
            [](QTextDocument *d) {
                QTextCursor c(d->findBlockByNumber(10));
                c.movePosition(QTextCursor::EndOfBlock);
                c.deleteChar(); // joins two paragraphs
            },
            [](QTextDocument *d) {
                QTextCursor c(d->findBlockByNumber(5));
                QTextBlockFormat spaced;
                spaced.setTopMargin(20);
                c.mergeBlockFormat(spaced);
            },
        };
        for (const auto &edit : edits) {
            edit(&pair.page);
            edit(&pair.stock);
            QVERIFY(pair.pageLayout()->isComplete());
            compareWithStock(pair);
        }
        // Over the whole text, then a new line length: laid out later.
        for (QTextDocument *document : {static_cast<QTextDocument *>(&pair.page), static_cast<QTextDocument *>(&pair.stock)}) {
            QTextCursor all(document);
            all.select(QTextCursor::Document);
            QTextCharFormat bold;
            bold.setFontWeight(QFont::Bold);
            all.mergeCharFormat(bold);
        }
        QVERIFY(!pair.pageLayout()->isComplete());
        compareWithStock(pair);
        pair.page.setTextWidth(333);
        pair.stock.setTextWidth(333);
        QVERIFY(!pair.pageLayout()->isComplete());
        compareWithStock(pair);
        pair.page.undo();
        pair.stock.undo();
        compareWithStock(pair);
    }

    // Paragraphs out of sight are laid out while nothing else happens, a
    // step at a time, until every height is exact.
    void quietTimeCompletesTheLayout()
    {
        Pair pair([](WordTextDocument *document) {
            QTextCursor cursor(document);
            cursor.beginEditBlock();
            for (int i = 0; i < 3000; ++i) {
                if (i)
                    cursor.insertBlock();
                cursor.insertText(Latin + Japanese);
            }
            cursor.endEditBlock();
        });
        PageTextLayout *layout = pair.pageLayout();
        QVERIFY(!layout->isComplete());
        QSizeF reported;
        connect(layout, &QAbstractTextDocumentLayout::documentSizeChanged, this,
                [&](const QSizeF &size) { reported = size; });
        QTRY_VERIFY_WITH_TIMEOUT(layout->isComplete(), 20000);
        QTRY_COMPARE(reported, pair.stock.documentLayout()->documentSize());
        compareWithStock(pair);
    }
};

QTEST_MAIN(TestPageTextLayout)
#include "tst_pagetextlayout.moc"
