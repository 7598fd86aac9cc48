#include "word/MorvaneWordView.h"
#include "word/TextPageView.h"
#include "word/document/WordDocumentFiles.h"
#include "word/layout/PageTextItem.h"
#include "word/layout/PictureBundle.h"
#include "word/layout/TextFormatProperty.h"
#include "word/layout/TextTransfer.h"
#include "word/layout/WordTextDocument.h"

#include "textsystem/StyledTextDocument.h"
#include "textsystem/html/HtmlBounds.h"
#include "support/TestImages.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextTable>

#include <memory>

namespace {

const QList<QColor> SourceColors{Qt::red, Qt::green, Qt::blue, Qt::cyan, Qt::magenta};
const QList<QColor> OtherColors{Qt::darkRed, Qt::darkGreen, Qt::darkBlue, Qt::darkCyan, Qt::darkMagenta};

QByteArray pngBytes(const QColor &color, QSize size = QSize(12, 8))
{
    return TestImages::filled(size, color);
}

// "A", a picture, "B", a picture, ... as an opened file shows it.
StyledText picturesText(const QList<QColor> &colors)
{
    WordTextDocument scratch;
    PageTextItem item(&scratch);
    for (int i = 0; i < colors.size(); ++i) {
        item.textCursor().insertText(QString(QChar(u'A' + i)));
        item.insertPicture(pngBytes(colors.at(i)));
    }
    item.textCursor().insertText(QStringLiteral("Z"));
    return StyledTextDocument::toStyledText(scratch);
}

QColor colorOf(const QImage &image)
{
    return image.isNull() ? QColor() : QColor(image.pixel(image.width() / 2, image.height() / 2));
}

// The image each picture of `document` shows, in order; a null image for
// one that shows nothing.
QList<QImage> shownImages(const QTextDocument &document)
{
    QList<QImage> images;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.isImageFormat())
                continue;
            const QVariant shown = document.resource(QTextDocument::ImageResource, QUrl(format.toImageFormat().name()));
            for (int i = 0; i < it.fragment().length(); ++i)
                images.append(shown.value<QImage>());
        }
    }
    return images;
}

QList<QColor> shownColors(const QTextDocument &document)
{
    QList<QColor> colors;
    for (const QImage &image : shownImages(document))
        colors.append(colorOf(image));
    return colors;
}

// The decoded images `document` shows, by their cache keys.
QSet<qint64> shownImageKeys(const QTextDocument &document)
{
    QSet<qint64> keys;
    for (const QImage &image : shownImages(document))
        keys.insert(image.cacheKey());
    return keys;
}

// Whether every picture of `document` keeps the PNG file it was made from.
bool keepsPictureFiles(const QTextDocument &document)
{
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            if (!format.isImageFormat())
                continue;
            const auto attachment = format.property(TextFormatProperty::Attachment).value<TextAttachmentPointer>();
            if (!attachment || attachment->contents != pngBytes(colorOf(attachment->image)))
                return false;
        }
    }
    return true;
}

QList<QColor> savedColors(const StyledText &text)
{
    QList<QColor> colors;
    text.forEachRun(TextRange::everything(), [&](const TextAttributes &attributes, TextRange range) {
        if (attributes.attachment) {
            for (qsizetype i = 0; i < range.length; ++i)
                colors.append(colorOf(attributes.attachment->picture()));
        }
    });
    return colors;
}

// Another running copy of the program sees only the bytes of each format.
QMimeData *asBytes(const QMimeData *data)
{
    auto *copy = new QMimeData;
    for (const QString &format : data->formats())
        copy->setData(format, data->data(format));
    return copy;
}

// A document on its text view, shown and focused, as the word screen has it.
struct Editor
{
    Editor() : view(&document)
    {
        view.resize(900, 500);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        view.setFocus();
    }
    void open(const StyledText &text)
    {
        StyledTextDocument::fill(&document, text);
        item()->setTextCursor(QTextCursor(&document));
    }
    PageTextItem *item() { return view.textItem(); }
    void select(int from, int to)
    {
        QTextCursor cursor(&document);
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        item()->setTextCursor(cursor);
    }
    void caretAtEnd()
    {
        QTextCursor cursor(&document);
        cursor.movePosition(QTextCursor::End);
        item()->setTextCursor(cursor);
    }
    void keys(Qt::Key key)
    {
        view.activateWindow();
        view.setFocus();
        QTest::keyClick(&view, key, Qt::ControlModifier);
    }
    // Drops `data` from another program at the end of the text, through
    // the events a drop brings.
    void dropAtEnd(const QMimeData *data)
    {
        caretAtEnd();
        const QRectF end = document.documentLayout()->blockBoundingRect(document.lastBlock());
        const QPoint at = view.mapFromScene(item()->mapToScene(end.bottomRight() - QPointF(1, 1)));
        QDragEnterEvent enter(at, Qt::CopyAction, data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(view.viewport(), &enter);
        QDragMoveEvent move(at, Qt::CopyAction, data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(view.viewport(), &move);
        QDropEvent drop(at, Qt::CopyAction, data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(view.viewport(), &drop);
        QVERIFY(drop.isAccepted());
    }

    WordTextDocument document;
    TextPageView view;
};

enum class Transfer { Copy, Cut, Drag };
enum class Target { OtherProgram, OpenedInSameWindow, SameDocument };

} // namespace

Q_DECLARE_METATYPE(Transfer)
Q_DECLARE_METATYPE(Target)

class TestTextTransfer : public QObject
{
    Q_OBJECT
private slots:
    // Copy, cut or drag the text of a document with five pictures and paste
    // or drop it: into another running program (bytes only), into a document
    // opened after the copy whose own pictures bear the same names, and
    // within the document. Every picture shows, the right one, with its file
    // bytes, and survives saving and reopening in each rich format.
    void picturesSurviveTheTransfer_data()
    {
        QTest::addColumn<Transfer>("transfer");
        QTest::addColumn<Target>("target");
        QTest::addColumn<QList<QColor>>("expected");
        const QList<QColor> source = SourceColors;
        QTest::newRow("copy, other program") << Transfer::Copy << Target::OtherProgram << source;
        QTest::newRow("copy, opened after") << Transfer::Copy << Target::OpenedInSameWindow << OtherColors + source;
        QTest::newRow("copy, same document") << Transfer::Copy << Target::SameDocument << source + source;
        QTest::newRow("cut, other program") << Transfer::Cut << Target::OtherProgram << source;
        QTest::newRow("cut, opened after") << Transfer::Cut << Target::OpenedInSameWindow << OtherColors + source;
        QTest::newRow("cut, same document") << Transfer::Cut << Target::SameDocument << source;
        QTest::newRow("drag, other program") << Transfer::Drag << Target::OtherProgram << source;
        // "A p1 B p2 C" moved behind "Z".
        QTest::newRow("drag, same document")
            << Transfer::Drag << Target::SameDocument << source.mid(2) + source.mid(0, 2);
    }
    void picturesSurviveTheTransfer()
    {
        QFETCH(Transfer, transfer);
        QFETCH(Target, target);
        QFETCH(QList<QColor>, expected);
        auto source = std::make_unique<Editor>();
        source->open(picturesText(SourceColors));
        const int whole = source->document.characterCount() - 1;
        std::unique_ptr<Editor> other;
        Editor *destination = source.get();
        if (target == Target::OtherProgram) {
            other = std::make_unique<Editor>();
            other->open(StyledText(QStringLiteral("other ")));
            destination = other.get();
        }

        if (transfer == Transfer::Drag) {
            const bool within = target == Target::SameDocument;
            source->select(0, within ? 5 : whole);
            // What a drag of the selection carries.
            std::unique_ptr<QMimeData> dragged(TextTransfer::mimeDataFor(source->item()->textCursor(), source->document));
            if (within) {
                const QRectF end = source->document.documentLayout()->blockBoundingRect(source->document.lastBlock());
                QVERIFY(source->item()->dropAt(end.bottomRight() - QPointF(1, 1), dragged.get(), true));
            } else {
                std::unique_ptr<QMimeData> bytes(asBytes(dragged.get()));
                destination->dropAtEnd(bytes.get());
            }
        } else {
            source->select(0, whole);
            source->keys(transfer == Transfer::Copy ? Qt::Key_C : Qt::Key_X);
            QCOMPARE(shownColors(source->document).size(), transfer == Transfer::Copy ? 5 : 0);
            if (target == Target::OtherProgram)
                QGuiApplication::clipboard()->setMimeData(asBytes(QGuiApplication::clipboard()->mimeData()));
            if (target == Target::OpenedInSameWindow)
                source->open(picturesText(OtherColors));
            destination->caretAtEnd();
            destination->keys(Qt::Key_V);
        }

        QCOMPARE(shownColors(destination->document), expected);
        QVERIFY(keepsPictureFiles(destination->document));
        const StyledText text = StyledTextDocument::toStyledText(destination->document);
        QTemporaryDir folder;
        for (DocumentFormat format : {DocumentFormat::Docx, DocumentFormat::Rtf, DocumentFormat::Rtfd,
                                      DocumentFormat::Doc, DocumentFormat::Html}) {
            const QString path = folder.filePath(QStringLiteral("pasted.") + DocumentFormats::rawValue(format));
            QString error;
            QVERIFY2(WordDocumentFiles::write(text, path, format, &error), qPrintable(error));
            StyledText reopened;
            QVERIFY2(WordDocumentFiles::read(path, &reopened, &error), qPrintable(error));
            QVERIFY(QTest::qCompare(savedColors(reopened), expected, "saved", "expected", __FILE__, __LINE__));
        }
    }

    // The pictures' data as another program could put it on the clipboard:
    // reading it never crashes, and a paste of HTML beside data that is not
    // whole shows no picture of the target under a borrowed name.
    void hostilePictureDataIsRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        PictureBundle bundle;
        bundle.add({QStringLiteral("morvane-attachment:1"), {}, pngBytes(Qt::yellow)});
        const QByteArray whole = bundle.serialized();
        QByteArray hugeCount = whole;
        hugeCount[6] = char(0xff);
        QByteArray longField = whole;
        longField[10] = char(0x7f);
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("other magic") << QByteArray("PNG-not-a-bundle-at-all");
        QTest::newRow("cut short") << whole.left(whole.size() - 3);
        QTest::newRow("cut in a length") << whole.left(12);
        QTest::newRow("trailing bytes") << whole + "x";
        QTest::newRow("count past the limit") << hugeCount;
        QTest::newRow("field past the end") << longField;
        QTest::newRow("past the size limit") << whole + QByteArray(PictureBundle::maximumBytes, 'x');
    }
    void hostilePictureDataIsRefused()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(!PictureBundle::parse(bytes));

        Editor target;
        target.open(picturesText({Qt::darkGray}));
        target.caretAtEnd();
        QMimeData data;
        data.setHtml(QStringLiteral("<p>x<img src=\"morvane-attachment:1\" width=\"12\" height=\"8\">y</p>"));
        data.setData(PictureBundle::mimeType, bytes);
        QVERIFY(target.item()->insertFromMimeData(&data));
        // The target's own picture, and the pasted one shown as missing.
        QCOMPARE(shownColors(target.document), (QList<QColor>{QColor(Qt::darkGray), QColor()}));
        QVERIFY(target.document.toPlainText().contains(QStringLiteral("x\uFFFCy")));
    }

    // HTML that names pictures by the names this program gives them, with
    // no picture data beside it or with data that does not carry that name
    // (another program, a clipboard manager after the source quit): the
    // names never show, nor save, the target's own pictures.
    void pastedNamesShowOnlyCarriedPictures_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("withPictureData");
        QTest::newRow("opened picture's name, HTML alone") << QStringLiteral("morvane-attachment:1") << false;
        QTest::newRow("inserted picture's name, HTML alone") << QStringLiteral("morvane-picture:1") << false;
        QTest::newRow("name the picture data lacks") << QStringLiteral("morvane-attachment:1") << true;
    }
    void pastedNamesShowOnlyCarriedPictures()
    {
        QFETCH(QString, name);
        QFETCH(bool, withPictureData);
        Editor target;
        target.open(picturesText({Qt::darkGray}));
        target.caretAtEnd();
        QVERIFY(target.item()->insertPicture(pngBytes(Qt::lightGray)));
        QMimeData data;
        data.setHtml(QStringLiteral("<p>x<img src=\"%1\" width=\"40\" height=\"30\">y</p>").arg(name));
        if (withPictureData) {
            PictureBundle bundle;
            bundle.add({QStringLiteral("morvane-attachment:2"), {}, pngBytes(Qt::yellow)});
            data.setData(PictureBundle::mimeType, bundle.serialized());
        }
        QVERIFY(target.item()->insertFromMimeData(&data));
        QCOMPARE(shownColors(target.document),
                 (QList<QColor>{QColor(Qt::darkGray), QColor(Qt::lightGray), QColor()}));
        const QList<QColor> saved = savedColors(StyledTextDocument::toStyledText(target.document));
        QCOMPARE(saved.count(QColor(Qt::darkGray)), 1);
        QCOMPARE(saved.count(QColor(Qt::lightGray)), 1);
    }

    // A copy or cut whose pictures pass the picture data's size limit (here
    // lowered to fit four of five): a paste or drop within the program gets
    // every picture, the very pictures decoded already (no decoding again,
    // so no decoding budget to pass); only another process is held to the
    // limit.
    void largeTransfersKeepEveryPictureWithinTheProgram_data()
    {
        QTest::addColumn<Transfer>("transfer");
        QTest::addColumn<Target>("target");
        QTest::addColumn<QList<QColor>>("expected");
        const QList<QColor> all = SourceColors;
        QTest::newRow("cut, same document") << Transfer::Cut << Target::SameDocument << all;
        QTest::newRow("copy, opened after") << Transfer::Copy << Target::OpenedInSameWindow << OtherColors + all;
        QTest::newRow("drag, opened after") << Transfer::Drag << Target::OpenedInSameWindow << OtherColors + all;
        QTest::newRow("cut, other program") << Transfer::Cut << Target::OtherProgram << all.mid(0, 4) + QList<QColor>{QColor()};
    }
    void largeTransfersKeepEveryPictureWithinTheProgram()
    {
        QFETCH(Transfer, transfer);
        QFETCH(Target, target);
        QFETCH(QList<QColor>, expected);
        Editor source;
        source.open(picturesText(SourceColors));
        source.select(0, source.document.characterCount() - 1);
        const QSet<qint64> decoded = shownImageKeys(source.document);
        std::unique_ptr<QMimeData> whole(TextTransfer::mimeDataFor(source.item()->textCursor(), source.document));
        PictureBundle fourPictures = *PictureBundle::parse(whole->data(PictureBundle::mimeType));
        fourPictures.pictures.removeLast();
        const TextTransfer::Limits limits{fourPictures.serialized().size()};
        QMimeData *data = TextTransfer::mimeDataFor(source.item()->textCursor(), source.document, limits);

        if (transfer == Transfer::Drag) {
            std::unique_ptr<QMimeData> dragged(data);
            source.open(picturesText(OtherColors));
            source.dropAtEnd(dragged.get());
        } else {
            QGuiApplication::clipboard()->setMimeData(target == Target::OtherProgram ? asBytes(data) : data);
            if (target == Target::OtherProgram)
                delete data;
            if (transfer == Transfer::Cut)
                source.item()->textCursor().removeSelectedText();
            if (target == Target::OpenedInSameWindow)
                source.open(picturesText(OtherColors));
            source.caretAtEnd();
            source.keys(Qt::Key_V);
        }
        QCOMPARE(shownColors(source.document), expected);
        if (target != Target::OtherProgram)
            QVERIFY(shownImageKeys(source.document).contains(decoded));
    }

    // The selection clipboard's data are made when something reads them,
    // not at each change of the selection (a copy of it per Shift+arrow):
    // they show the selection as it stands then, and a paste of them within
    // the program brings every picture whole.
    void selectionOfferIsMadeWhenRead()
    {
        Editor source;
        source.open(picturesText(SourceColors));
        source.select(0, source.document.characterCount() - 1);
        const QSet<qint64> decoded = shownImageKeys(source.document);
        std::unique_ptr<QMimeData> offer(TextTransfer::selectionOfferFor(source.item()->textCursor()));
        QTextCursor typing(&source.document);
        typing.setPosition(1);
        typing.insertText(QStringLiteral(" typed later"));
        QVERIFY(offer->text().startsWith(QStringLiteral("A typed later")));

        source.open(picturesText(OtherColors));
        source.dropAtEnd(offer.get());
        QCOMPARE(shownColors(source.document), OtherColors + SourceColors);
        QVERIFY(shownImageKeys(source.document).contains(decoded));
    }

    // What other programs read of a copy: HTML whose pictures are embedded
    // (as a plain Qt text box and LibreOffice Writer show them), up to the
    // embedding bound, and a lone picture as the picture itself.
    void otherProgramsReceiveThePictures_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("embeddedPictures"); // the bound: the files of the first this many
        QTest::addColumn<QList<QColor>>("expected");
        QTest::addColumn<QColor>("picture"); // the bare picture; invalid for none
        QTest::newRow("whole text") << 0 << 11 << 5 << SourceColors << QColor();
        QTest::newRow("one picture") << 3 << 4 << 5 << SourceColors.mid(1, 1) << QColor(SourceColors.at(1));
        QTest::newRow("past the embedding bound") << 0 << 11 << 2 << SourceColors.mid(0, 2) << QColor();
    }
    void otherProgramsReceiveThePictures()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(int, embeddedPictures);
        QFETCH(QList<QColor>, expected);
        QFETCH(QColor, picture);
        Editor source;
        source.open(picturesText(SourceColors));
        source.select(from, to);
        TextTransfer::Limits limits;
        limits.embeddedBytes = 0;
        for (const QColor &color : SourceColors.mid(0, embeddedPictures))
            limits.embeddedBytes += pngBytes(color).size();
        std::unique_ptr<QMimeData> data(TextTransfer::mimeDataFor(source.item()->textCursor(), source.document, limits));
        std::unique_ptr<QMimeData> received(asBytes(data.get()));

        QTextDocument textBox;
        textBox.setHtml(received->html());
        QCOMPARE(shownColors(textBox), expected);
        QCOMPARE(colorOf(QImage::fromData(received->data(QStringLiteral("image/png")))), picture);
        QCOMPARE(colorOf(qvariant_cast<QImage>(data->imageData())), picture);

        if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty())
            QSKIP("LibreOffice (soffice) is not installed");
        QTemporaryDir folder;
        QFile html(folder.filePath(QStringLiteral("pasted.html")));
        QVERIFY(html.open(QIODevice::WriteOnly));
        html.write(received->data(QStringLiteral("text/html")));
        html.close();
        QProcess libreOffice;
        libreOffice.start(QStringLiteral("soffice"),
                          {QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(m_libreOfficeProfile.path()).toString(),
                           QStringLiteral("--headless"), QStringLiteral("--infilter=HTML (StarWriter)"),
                           QStringLiteral("--convert-to"), QStringLiteral("fodt"), QStringLiteral("--outdir"),
                           folder.path(), html.fileName()});
        QVERIFY(libreOffice.waitForFinished(180 * 1000));
        QFile converted(folder.filePath(QStringLiteral("pasted.fodt")));
        QVERIFY(converted.open(QIODevice::ReadOnly));
        const QByteArray flat = converted.readAll();
        QCOMPARE(int(flat.count("<draw:image")), expected.size());
        QCOMPARE(int(flat.count("<office:binary-data>")), expected.size());
    }

    // HTML pasted or dropped passes the bounds of an opened page, and the
    // screen says what was cut; pictures that came with our own copy do not
    // count against the page's picture limit.
    void pastedHtmlIsBounded_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<bool>("dropped");
        QTest::addColumn<int>("pictures");
        QTest::addColumn<bool>("cut");
        const QString wideRow = QStringLiteral("<tr><td colspan=\"65535\">x</td></tr>");
        const QString picture = QStringLiteral("<p><img src=\"data:image/png;base64,%1\"></p>")
                                    .arg(QString::fromLatin1(pngBytes(Qt::red).toBase64()));
        const int past = HtmlBounds::maximumPictures + 3;
        QTest::newRow("wide table, pasted") << QStringLiteral("<table>%1</table>").arg(wideRow.repeated(8)) << false << 0 << true;
        QTest::newRow("wide table, dropped") << QStringLiteral("<table>%1</table>").arg(wideRow.repeated(8)) << true << 0 << true;
        QTest::newRow("pictures of another program") << picture.repeated(past) << false << HtmlBounds::maximumPictures << true;
        QTest::newRow("pictures of our own copy") << QString() << false << past << false;
    }
    void pastedHtmlIsBounded()
    {
        QFETCH(QString, content);
        QFETCH(bool, dropped);
        QFETCH(int, pictures);
        QFETCH(bool, cut);
        MorvaneWordView screen;
        screen.show();
        QVERIFY(QTest::qWaitForWindowExposed(&screen));
        std::unique_ptr<QMimeData> data;
        if (content.isEmpty()) {
            // Our own copy of a document with that many pictures.
            WordTextDocument source;
            PageTextItem item(&source);
            for (int i = 0; i < pictures; ++i) {
                item.insertPicture(pngBytes(Qt::red));
                item.textCursor().insertBlock();
            }
            QTextCursor all(&source);
            all.select(QTextCursor::Document);
            data.reset(TextTransfer::mimeDataFor(all, source));
        } else {
            data = std::make_unique<QMimeData>();
            data->setHtml(content);
        }
        PageTextItem *item = screen.textItem();
        QVERIFY(dropped ? item->dropAt(QPointF(0, 0), data.get(), false) : item->insertFromMimeData(data.get()));

        int widest = 0;
        for (QTextBlock block = screen.document()->begin(); block.isValid(); block = block.next()) {
            if (QTextTable *table = QTextCursor(block).currentTable())
                widest = qMax(widest, table->columns());
        }
        QVERIFY(widest <= HtmlBounds::maximumSpan);
        QCOMPARE(shownColors(*screen.document()).count(QColor(Qt::red)), pictures);
        const auto *message = screen.findChild<QMessageBox *>();
        QCOMPARE(message && message->isVisible() && message->text().contains(QStringLiteral("without")), cut);
    }

    void bundleRoundTripsAndRefusesWhatPassesItsLimits()
    {
        PictureBundle bundle;
        QVERIFY(bundle.add({QStringLiteral("名前"), QStringLiteral("写真.png"), pngBytes(Qt::red)}));
        QVERIFY(bundle.add({QStringLiteral("b"), {}, QByteArray(3, '\0')}));
        QVERIFY(!bundle.add({QStringLiteral("empty"), {}, {}}));
        QVERIFY(!bundle.add({QString(PictureBundle::maximumNameBytes + 1, u'n'), {}, "x"}));
        const std::optional<PictureBundle> read = PictureBundle::parse(bundle.serialized());
        QVERIFY(read);
        QCOMPARE(read->pictures.size(), 2);
        QCOMPARE(read->find(QStringLiteral("名前"))->fileName, QStringLiteral("写真.png"));
        QCOMPARE(read->find(QStringLiteral("名前"))->bytes, pngBytes(Qt::red));
        QCOMPARE(read->find(QStringLiteral("b"))->bytes, QByteArray(3, '\0'));
    }

private:
    QTemporaryDir m_libreOfficeProfile; // one for every start: made once
};

QTEST_MAIN(TestTextTransfer)
#include "tst_texttransfer.moc"
