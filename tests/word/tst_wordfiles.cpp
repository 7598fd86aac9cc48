#include "word/MorvaneWordView.h"
#include "word/PageCanvas.h"
#include "word/layout/PageTextItem.h"
#include "word/RibbonButtons.h"
#include "word/TextPageView.h"
#include "word/WordRibbon.h"
#include "word/layout/TextFormatProperty.h"
#include "word/TextFormattingHelper.h"
#include "word/layout/WordTextDocument.h"

#include "platform/AppState.h"
#include "support/StdoutCapture.h"
#include "textsystem/StyledTextDocument.h"

#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>

namespace {

bool wordUnsaved()
{
    return AppState::shared().hasUnsavedChanges(AppState::Editor::Word);
}

void settle()
{
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

void setBoldText(MorvaneWordView &view, const QString &plain, const QString &bold)
{
    QTextCursor cursor(view.document());
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    cursor.insertText(plain, QTextCharFormat());
    QTextCharFormat heavy;
    heavy.setFontWeight(QFont::Bold);
    cursor.insertText(bold, heavy);
    settle();
}

bool pngFile(const QString &path, const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    return image.save(path, "PNG");
}

// The text without pictures, line separators read as line feeds.
QString textOnly(QString text)
{
    return text.remove(QChar::ObjectReplacementCharacter).replace(QChar::LineSeparator, u'\n');
}

// The pixel sizes of the document's pictures, in order.
QList<QSize> pictureSizes(const QTextDocument *document)
{
    QList<QSize> sizes;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextCharFormat format = it.fragment().charFormat();
            const auto attachment = format.property(TextFormatProperty::Attachment).value<TextAttachmentPointer>();
            if (!attachment)
                continue;
            const int count = int(it.fragment().text().count(QChar::ObjectReplacementCharacter));
            for (int i = 0; i < qMax(1, count); ++i)
                sizes << (format.isImageFormat() ? attachment->picture().size() : QSize());
        }
    }
    return sizes;
}

int weightAt(const QTextDocument *document, int position)
{
    QTextCursor cursor(const_cast<QTextDocument *>(document));
    cursor.setPosition(position + 1);
    return cursor.charFormat().fontWeight();
}

} // namespace

class TestWordFiles : public QObject
{
    Q_OBJECT
private slots:
    void saveAndReopen_data()
    {
        QTest::addColumn<DocumentFormat>("format");
        QTest::addColumn<bool>("keepsBold");
        QTest::newRow("rtf") << DocumentFormat::Rtf << true;
        QTest::newRow("rtfd") << DocumentFormat::Rtfd << true;
        QTest::newRow("html") << DocumentFormat::Html << true;
        QTest::newRow("htm") << DocumentFormat::Htm << true;
        QTest::newRow("jwd, plain text") << DocumentFormat::Jwd << false;
        QTest::newRow("wpd, plain text") << DocumentFormat::Wpd << false;
    }
    void saveAndReopen()
    {
        QFETCH(DocumentFormat, format);
        QFETCH(bool, keepsBold);
        QTemporaryDir dir;
        MorvaneWordView view;
        view.setSelectedSaveLocation(dir.path());
        view.setSelectedFormat(format);
        view.setFileName(QStringLiteral("report"));
        setBoldText(view, QStringLiteral("日本語 and "), QStringLiteral("bold"));
        view.page()->headerField()->setText(QStringLiteral("header stays"));
        view.setZoomLevel(1.5);
        view.setShowingSaveDialog(true);
        QVERIFY(wordUnsaved());
        QVERIFY(view.saveDocument());
        QVERIFY(!view.isShowingSaveDialog());
        QVERIFY(!wordUnsaved());
        const QString path = dir.filePath(QStringLiteral("report.") + DocumentFormats::rawValue(format));
        QVERIFY(QFileInfo::exists(path));

        MorvaneWordView reader;
        reader.page()->headerField()->setText(QStringLiteral("header stays"));
        reader.setZoomLevel(1.5);
        reader.setShowingOpenDialog(true);
        reader.loadDocument(path);
        QCOMPARE(reader.document()->toPlainText(), MorvaneWordView::sampleText()); // applied next turn
        settle();
        QCOMPARE(reader.document()->toPlainText(), QStringLiteral("日本語 and bold"));
        QCOMPARE(weightAt(reader.document(), 10) >= QFont::Bold, keepsBold);
        QCOMPARE(reader.fileName(), QStringLiteral("report"));
        QVERIFY(!reader.isShowingOpenDialog());
        QVERIFY(!wordUnsaved());
        QVERIFY(!reader.document()->isUndoAvailable());
        QCOMPARE(reader.page()->headerField()->text(), QStringLiteral("header stays"));
        QCOMPARE(reader.zoomLevel(), 1.5);
    }

    void openingShowsFormatsEvenWithTheSamePlainText()
    {
        QTemporaryDir dir;
        MorvaneWordView writer;
        writer.setSelectedSaveLocation(dir.path());
        writer.setFileName(QStringLiteral("same"));
        setBoldText(writer, QString(), MorvaneWordView::sampleText());
        QVERIFY(writer.saveDocument());

        MorvaneWordView view;
        settle();
        QCOMPARE(weightAt(view.document(), 2), int(QFont::Normal));
        view.loadDocument(dir.filePath(QStringLiteral("same.rtf")));
        settle();
        QCOMPARE(view.document()->toPlainText(), MorvaneWordView::sampleText());
        QCOMPARE(weightAt(view.document(), 2), int(QFont::Bold));
        // The next edit keeps the opened formatting.
        QTextCursor(view.document()).insertText(QStringLiteral("x"));
        settle();
        QCOMPARE(weightAt(view.document(), 3), int(QFont::Bold));
        QVERIFY(wordUnsaved());
    }

    void namesFromOpenedFiles_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("unsaved");
        QTest::newRow("only the last extension goes") << QStringLiteral("/x/a.b.rtf") << QStringLiteral("rtf")
                                                      << QStringLiteral("a.b") << false;
        QTest::newRow("upper-case extension") << QStringLiteral("/x/Report.DOCX") << QStringLiteral("docx")
                                              << QStringLiteral("Report") << false;
        QTest::newRow("template is untitled and unsaved")
            << QStringLiteral("/x/Form.dotx") << QStringLiteral("dotx") << QStringLiteral("Untitled") << true;
        QTest::newRow("package folder") << QStringLiteral("/x/Notes.rtfd/") << QStringLiteral("rtfd")
                                        << QStringLiteral("Notes") << false;
    }
    void namesFromOpenedFiles()
    {
        QFETCH(QString, path);
        QFETCH(QString, extension);
        QFETCH(QString, name);
        QFETCH(bool, unsaved);
        MorvaneWordView view;
        settle();
        AppState::shared().setHasUnsavedChanges(AppState::Editor::Word, !unsaved);
        StyledText text;
        text.append(QStringLiteral("opened"), TextAttributes());
        view.applyLoadedDocument(text, extension, path);
        QCOMPARE(view.fileName(), name);
        settle();
        QCOMPARE(wordUnsaved(), unsaved);
        QCOMPARE(view.document()->toPlainText(), QStringLiteral("opened"));
    }

    void failedOpenChangesNothing()
    {
        QTemporaryDir dir;
        MorvaneWordView view;
        settle();
        view.setShowingOpenDialog(true);
        AppState::shared().setHasUnsavedChanges(AppState::Editor::Word, true);
        StdoutCapture capture;
        view.loadDocument(dir.filePath(QStringLiteral("missing.rtf")));
        settle();
        const auto printed = capture.finish();
        QVERIFY(printed);
        QVERIFY(printed->startsWith("Open error: "));
        QCOMPARE(printed->count('\n'), 1);
        QCOMPARE(view.lastError(), QString::fromUtf8(printed->trimmed()));
        QVERIFY(view.isShowingOpenDialog());
        QCOMPARE(view.fileName(), QStringLiteral("MorvaneDocument"));
        QCOMPARE(view.document()->toPlainText(), MorvaneWordView::sampleText());
        QVERIFY(wordUnsaved());
    }

    void badNamesAreRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("empty") << QString();
        QTest::newRow("slash") << QStringLiteral("a/b");
        QTest::newRow("tab") << QStringLiteral("a\tb");
        QTest::newRow("NUL") << QStringLiteral("report") + QChar(0) + QStringLiteral("x");
        QTest::newRow("C1 control") << QStringLiteral("a\u0085");
    }
    void badNamesAreRefused()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        MorvaneWordView view;
        settle();
        view.setSelectedSaveLocation(dir.path());
        view.setFileName(name);
        view.setShowingSaveDialog(true);
        AppState::shared().setHasUnsavedChanges(AppState::Editor::Word, true);
        StdoutCapture capture;
        QVERIFY(!view.saveDocument());
        const auto printed = capture.finish();
        QVERIFY(printed);
        QVERIFY(printed->startsWith("Save error: "));
        QVERIFY(printed->size() > 14);
        QVERIFY(view.isShowingSaveDialog());
        QVERIFY(wordUnsaved());
        QVERIFY(QDir(dir.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
    }

    void nameIsUsedAsTyped()
    {
        QTemporaryDir dir;
        MorvaneWordView view;
        view.setSelectedSaveLocation(dir.path());
        view.setFileName(QStringLiteral("report.rtf"));
        QVERIFY(view.saveDocument());
        QVERIFY(QFileInfo::exists(dir.filePath(QStringLiteral("report.rtf.rtf"))));
    }

    void wordArtAndCommandsSurviveASave()
    {
        QTemporaryDir dir;
        MorvaneWordView view;
        view.setSelectedSaveLocation(dir.path());
        view.setFileName(QStringLiteral("art"));
        setBoldText(view, QStringLiteral("plain "), QStringLiteral("art"));
        QTextCursor all(view.document());
        all.select(QTextCursor::Document);
        view.textItem()->setTextCursor(all);
        TextFormattingHelper::applyWordArtStyle(view.textItem(), WordArtStyle::ClassicPop);
        TextFormattingHelper::toggleUnderline(view.textItem());
        TextFormattingHelper::toggleUnderline(view.textItem());
        TextFormattingHelper::applyFontSize(view.textItem(), 36);
        QVERIFY(view.saveDocument());

        MorvaneWordView reader;
        reader.loadDocument(dir.filePath(QStringLiteral("art.rtf")));
        settle();
        QTextCursor probe(reader.document());
        probe.setPosition(8);
        const QTextCharFormat f = probe.charFormat();
        QCOMPARE(f.doubleProperty(TextFormatProperty::StrokeWidth), -4.0);
        QCOMPARE(f.colorProperty(TextFormatProperty::ShadowColor), QColor(Qt::black));
        QCOMPARE(f.property(TextFormatProperty::ShadowOffset).toPointF(), QPointF(4, -4));
        QCOMPARE(f.foreground().color(), QColor(Qt::red));
        QCOMPARE(f.intProperty(QTextFormat::FontPixelSize), 36);
        QCOMPARE(f.underlineStyle(), QTextCharFormat::NoUnderline);
    }

    // An .rtfd's attachment that is no picture opens as a placeholder, and an
    // edit and a save through the screen write it back under its name with
    // its bytes; one the package lacks is named on the open card.
    void rtfdFilesThatAreNoPicturesSurviveASave_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes"); // null: the package lacks the file
        QTest::newRow("text file") << "notes.txt" << QByteArray("Meeting at ten.\n\x01\xFF");
        QTest::newRow("empty file") << "empty" << QByteArray("");
        QTest::newRow("picture that does not decode") << "broken.png" << QByteArray("\x89PNG\r\n\x1A\nnot really");
        QTest::newRow("missing file") << "gone.txt" << QByteArray();
    }
    void rtfdFilesThatAreNoPicturesSurviveASave()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString package = dir.filePath(QStringLiteral("In.rtfd"));
        const auto put = [&package](const QString &file, const QByteArray &content) {
            QFile out(package + u'/' + file);
            return out.open(QIODevice::WriteOnly) && out.write(content) == content.size();
        };
        QVERIFY(QDir().mkpath(package));
        QVERIFY(put(QStringLiteral("TXT.rtf"), "{\\rtf1 a{{\\NeXTGraphic " + name.toUtf8() + "}\\uc0\\u65532 }b}"));
        QVERIFY(bytes.isNull() || put(name, bytes));
        MorvaneWordView view;
        view.loadDocument(package);
        settle();
        QCOMPARE(view.lastNotice().contains(name), bytes.isNull());
        if (bytes.isNull())
            return;
        QTextCursor(view.document()).insertText(QStringLiteral("x"));
        view.setSelectedSaveLocation(dir.path());
        view.setSelectedFormat(DocumentFormat::Rtfd);
        view.setFileName(QStringLiteral("Out"));
        QVERIFY2(view.saveDocument(), qPrintable(view.lastError()));

        MorvaneWordView reader;
        reader.loadDocument(dir.filePath(QStringLiteral("Out.rtfd")));
        settle();
        QCOMPARE(reader.document()->toPlainText(), QStringLiteral("xa\uFFFCb"));
        QTextCursor atFile(reader.document());
        atFile.setPosition(3);
        const auto file = atFile.charFormat().property(TextFormatProperty::Attachment).value<TextAttachmentPointer>();
        QVERIFY(file);
        QCOMPARE(file->fileName, name);
        QCOMPARE(file->contents, bytes);
    }

    // Typed text around pictures inserted with the picture button, saved and
    // reopened: the text comes back whole, and each picture once. The
    // plain-text formats keep the text only; they may write a picture as
    // U+FFFC or leave it out, and a line break as U+2028 or a line feed.
    void typingAroundPicturesSurvivesEveryFormat_data()
    {
        QTest::addColumn<DocumentFormat>("format");
        QTest::addColumn<bool>("keepsPictures");
        for (DocumentFormat format : DocumentFormats::all()) {
            const bool textOnly = format == DocumentFormat::Jwd || format == DocumentFormat::Jxw
                || format == DocumentFormat::Wpd;
            QTest::newRow(qPrintable(DocumentFormats::rawValue(format))) << format << !textOnly;
        }
    }
    void typingAroundPicturesSurvivesEveryFormat()
    {
        QFETCH(DocumentFormat, format);
        QFETCH(bool, keepsPictures);
        QTemporaryDir dir;
        const QString wide = dir.filePath(QStringLiteral("wide.png"));
        const QString tall = dir.filePath(QStringLiteral("tall.png"));
        QVERIFY(pngFile(wide, QSize(7, 5)));
        QVERIFY(pngFile(tall, QSize(4, 9)));

        MorvaneWordView view;
        view.resize(1200, 900);
        view.show();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        view.showDocument([](WordTextDocument *document) { document->clear(); });
        view.page()->textView()->setFocus();
        QWidget *keys = view.page()->textView()->viewport();
        QString chosen;
        view.setImageChooser([&](QWidget *) { return chosen; });
        auto insertPicture = [&](const QString &path) {
            chosen = path;
            view.ribbon()->button(WordRibbon::Action::InsertImage)->click();
        };
        QTest::keyClicks(keys, QStringLiteral("before"));
        insertPicture(wide);
        QTest::keyClicks(keys, QStringLiteral("after"));
        QTest::keyClick(keys, Qt::Key_Return);
        insertPicture(tall);
        QTest::keyClick(keys, Qt::Key_Return);
        QTest::keyClicks(keys, QStringLiteral("c"));
        const QString typed = QStringLiteral("before\uFFFCafter\n\uFFFC\nc");
        QCOMPARE(view.document()->toPlainText(), typed);
        QCOMPARE(pictureSizes(view.document()), (QList<QSize>{QSize(7, 5), QSize(4, 9)}));

        view.setSelectedSaveLocation(dir.path());
        view.setSelectedFormat(format);
        view.setFileName(QStringLiteral("pictures"));
        QVERIFY2(view.saveDocument(), qPrintable(view.lastError()));
        MorvaneWordView reader;
        reader.loadDocument(dir.filePath(QStringLiteral("pictures.") + DocumentFormats::rawValue(format)));
        settle();
        QVERIFY2(reader.lastError().isEmpty(), qPrintable(reader.lastError()));
        if (!keepsPictures) {
            QCOMPARE(textOnly(reader.document()->toPlainText()), textOnly(typed));
            return;
        }
        QCOMPARE(reader.document()->toPlainText(), typed);
        QCOMPARE(pictureSizes(reader.document()), (QList<QSize>{QSize(7, 5), QSize(4, 9)}));
    }
};

QTEST_MAIN(TestWordFiles)
#include "tst_wordfiles.moc"
