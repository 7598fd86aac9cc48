#include "word/EditCommit.h"
#include "word/layout/PageTextItem.h"
#include "word/layout/TextFormatProperty.h"
#include "word/layout/WordTextDocument.h"

#include "platform/AppState.h"
#include "support/TestImages.h"

#include <QBuffer>
#include <QImage>
#include <QMimeData>
#include <QTemporaryDir>
#include <QPainter>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>

namespace {

QByteArray pngBytes(const QSize &size, const QColor &color = Qt::red)
{
    return TestImages::filled(size, color, "png", QImage::Format_ARGB32);
}

// A PNG header claiming `width` × `height` with no pixel data behind it.
QByteArray pngHeaderOnly(quint32 width, quint32 height)
{
    QByteArray bytes = pngBytes(QSize(1, 1));
    auto put = [&](int offset, quint32 value) {
        for (int i = 0; i < 4; ++i)
            bytes[offset + i] = char((value >> (24 - 8 * i)) & 0xff);
    };
    put(16, width);
    put(20, height);
    return bytes;
}

int imageCount(const QTextDocument &document)
{
    int images = 0;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it)
            images += it.fragment().charFormat().isImageFormat() ? 1 : 0;
    }
    return images;
}

} // namespace

class TestWordTextDocument : public QObject
{
    Q_OBJECT
private slots:
    void loadsNothingFromPaths_data()
    {
        QTest::addColumn<QString>("source");
        QTest::newRow("device") << QStringLiteral("/dev/zero");
        QTest::newRow("file url") << QStringLiteral("file:///etc/passwd");
        QTest::newRow("network") << QStringLiteral("http://127.0.0.1:9/x.png");
        QTest::newRow("relative") << QStringLiteral("picture.png");
    }
    void loadsNothingFromPaths()
    {
        QFETCH(QString, source);
        WordTextDocument document;
        QTextCursor cursor(&document);
        // Qt's default document would open the path (and /dev/zero never ends).
        cursor.insertFragment(QTextDocumentFragment::fromHtml(
            QStringLiteral("<p>x<img src=\"%1\"></p>").arg(source), &document));
        QVERIFY(document.resource(QTextDocument::ImageResource, QUrl(source)).isNull());
        document.setTextWidth(400);
        QVERIFY(document.size().height() > 0);
    }

    void regularFileBesideIsNotRead()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("p.png"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(pngBytes(QSize(4, 4)));
        file.close();
        WordTextDocument document;
        document.setHtml(QStringLiteral("<img src=\"%1\">").arg(path));
        // Laid out and drawn: Qt's picture handler would read the file then.
        document.setTextWidth(400);
        QImage page(400, 200, QImage::Format_ARGB32);
        page.fill(Qt::white);
        QPainter painter(&page);
        document.drawContents(&painter);
        painter.end();
        QVERIFY(document.resource(QTextDocument::ImageResource, QUrl::fromLocalFile(path)).isNull());
        QVERIFY(document.resource(QTextDocument::ImageResource, QUrl(path)).isNull());
    }

    void dataUriPicturesShow()
    {
        WordTextDocument document;
        const QString uri = QStringLiteral("data:image/png;base64,") + QString::fromLatin1(pngBytes(QSize(3, 2)).toBase64());
        document.setHtml(QStringLiteral("<img src=\"%1\">").arg(uri));
        const QImage image = document.resource(QTextDocument::ImageResource, QUrl(uri)).value<QImage>();
        QCOMPARE(image.size(), QSize(3, 2));
        QCOMPARE(WordTextDocument::dataUriBytes(uri), pngBytes(QSize(3, 2)));
    }

    void pictureRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not a picture") << QByteArray("hello world");
        QTest::newRow("huge header, no pixels") << pngHeaderOnly(100000, 100000);
        QTest::newRow("too many pixels") << pngHeaderOnly(16000, 16000);
        QTest::newRow("truncated") << pngBytes(QSize(20, 20)).left(40);
    }
    void pictureRefused()
    {
        QFETCH(QByteArray, bytes);
        WordTextDocument document;
        PageTextItem item(&document);
        QVERIFY(!item.insertPicture(bytes));
        QVERIFY(document.isEmpty());
    }

    void dataUriForms_data()
    {
        QTest::addColumn<QString>("uri");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("base64") << QStringLiteral("data:text/plain;base64,aGk=") << QByteArray("hi");
        QTest::newRow("percent") << QStringLiteral("data:,a%20b") << QByteArray("a b");
        QTest::newRow("bad base64") << QStringLiteral("data:;base64,@@@") << QByteArray();
        QTest::newRow("no comma") << QStringLiteral("data:abc") << QByteArray();
        QTest::newRow("not data") << QStringLiteral("file:///x") << QByteArray();
    }
    void dataUriForms()
    {
        QFETCH(QString, uri);
        QFETCH(QByteArray, bytes);
        QCOMPARE(WordTextDocument::dataUriBytes(uri), bytes);
    }

    void pastePictureKeepsBytesAndTooLargeIsRefused()
    {
        WordTextDocument document;
        PageTextItem item(&document);
        const QByteArray bytes = pngBytes(QSize(6, 4));
        QMimeData picture;
        picture.setData(QStringLiteral("image/png"), bytes);
        QVERIFY(item.insertFromMimeData(&picture));
        QCOMPARE(imageCount(document), 1);
        const QTextCursor cursor(&document);
        const QTextBlock block = document.begin();
        const QTextImageFormat format = block.begin().fragment().charFormat().toImageFormat();
        const auto attachment = format.property(TextFormatProperty::Attachment).value<TextAttachmentPointer>();
        QVERIFY(attachment);
        QCOMPARE(attachment->contents, bytes);
        QCOMPARE(document.resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>().size(),
                 QSize(6, 4));
        QCOMPARE(QSizeF(format.width(), format.height()), attachment->naturalSize()); // one pixel per point

        QMimeData bomb;
        bomb.setData(QStringLiteral("image/png"), pngHeaderOnly(60000, 60000));
        QVERIFY(!item.insertFromMimeData(&bomb));
        QCOMPARE(imageCount(document), 1);
    }

    void pastedHtmlReadsNoPath()
    {
        WordTextDocument document;
        PageTextItem item(&document);
        QMimeData html;
        html.setHtml(QStringLiteral("<b>bold</b><img src=\"/dev/zero\"><img src=\"/etc/passwd\">"));
        QVERIFY(item.insertFromMimeData(&html));
        QVERIFY(document.toPlainText().startsWith(QStringLiteral("bold")));
        document.setTextWidth(300);
        QVERIFY(document.size().isValid());
    }

    void editCommitCountsOncePerTurnAndMarksOnlyEdits()
    {
        WordTextDocument document;
        EditCommit commit(&document);
        int commits = 0;
        connect(&commit, &EditCommit::committed, this, [&] { ++commits; });
        AppState::shared().setHasUnsavedChanges(AppState::Editor::Word, false);

        commit.beginLoading();
        document.setPlainText(QStringLiteral("alpha beta\ngamma"));
        commit.endLoading();
        QTRY_COMPARE(commits, 1);
        QCOMPARE(commit.counts(), (TextCounts{16, 3}));
        QVERIFY(!AppState::shared().hasUnsavedChanges(AppState::Editor::Word));

        QTextCursor cursor(&document);
        for (int i = 0; i < 50; ++i)
            cursor.insertText(QStringLiteral("x"));
        cursor.insertBlock();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QCOMPARE(commits, 2);
        QCOMPARE(commit.counts(), TextCounts::of(document.toPlainText()));
        QVERIFY(AppState::shared().hasUnsavedChanges(AppState::Editor::Word));
    }

    void cachedCountsFollowEveryKindOfEdit()
    {
        WordTextDocument document;
        EditCommit commit(&document);
        document.setPlainText(QStringLiteral("one two\nthree four five\nsix"));
        QCOMPARE(commit.recount(), TextCounts::of(document.toPlainText()));
        QTextCursor cursor(&document);
        cursor.movePosition(QTextCursor::NextBlock);
        cursor.insertText(QStringLiteral("new words here "));
        QCOMPARE(commit.recount(), TextCounts::of(document.toPlainText()));
        // Merging two paragraphs by deleting the break between them.
        cursor.movePosition(QTextCursor::EndOfBlock);
        cursor.deleteChar();
        QCOMPARE(commit.recount(), TextCounts::of(document.toPlainText()));
        document.undo();
        QCOMPARE(commit.recount(), TextCounts::of(document.toPlainText()));
        cursor.select(QTextCursor::Document);
        cursor.removeSelectedText();
        QCOMPARE(commit.recount(), (TextCounts{0, 0}));
        document.undo();
        QCOMPARE(commit.recount(), TextCounts::of(document.toPlainText()));
    }

    // Edits far apart before one count, paragraphs removed and brought back
    // by undo: the running sum of the cached counts stays the text's.
    void cachedSumFollowsEditsBetweenCounts()
    {
        WordTextDocument document;
        document.setPlainText(QStringLiteral("a b\nc d e\nf\ng h\ni"));
        EditCommit commit(&document);
        QCOMPARE(commit.recount(), TextCounts::of(document.toPlainText()));
        QTextCursor cursor(&document);
        cursor.insertText(QStringLiteral("start "));
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(QStringLiteral(" end words"));
        cursor.movePosition(QTextCursor::Start);
        cursor.movePosition(QTextCursor::NextBlock);
        cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, 2);
        cursor.removeSelectedText();
        QCOMPARE(commit.recount(), TextCounts::of(document.toPlainText()));
        document.undo();
        document.undo();
        QCOMPARE(commit.recount(), TextCounts::of(document.toPlainText()));
        document.redo();
        document.clear();
        QCOMPARE(commit.recount(), (TextCounts{0, 0}));
    }
};

QTEST_MAIN(TestWordTextDocument)
#include "tst_wordtextdocument.moc"
