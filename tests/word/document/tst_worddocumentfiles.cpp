#include "word/document/WordDocumentFiles.h"

#include "textsystem/PictureAttachment.h"
#include "textsystem/StyledTextDocument.h"

#include "docx/reader/DocXTestPackage.h"
#include "support/TestImages.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTemporaryDir>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTextCursor>
#include <QTextDocument>
#include <QtTest>

#include <signal.h>
#include <sys/resource.h>

namespace {

QByteArray pngBytes()
{
    return TestImages::filled(QSize(5, 4), Qt::blue);
}

StyledText sampleText()
{
    TextAttributes bold;
    bold.font = FontDescriptor{QStringLiteral("Helvetica"), QString(), 16, true, false};
    bold.foreground = QColor(200, 10, 10);
    StyledText text(QString::fromUtf16(u"見出し Title\n"), bold);
    TextAttributes body;
    body.font = FontDescriptor{QStringLiteral("Helvetica"), QString(), 12, false, true};
    // An empty paragraph whose look lives on its terminator alone.
    TextAttributes spaced = body;
    ParagraphStyle spacing;
    spacing.spacingBefore = spacing.spacingAfter = 12;
    spacing.alignment = TextAlignment::Center;
    spaced.paragraphStyle = spacing;
    text.append(QStringLiteral("\n"), spaced);
    text.append(QStringLiteral("body text"), body);
    return text;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// One row for each format that keeps pictures and formatting.
void addRichFormatRows()
{
    QTest::addColumn<DocumentFormat>("format");
    QTest::newRow("rtf") << DocumentFormat::Rtf;
    QTest::newRow("rtfd") << DocumentFormat::Rtfd;
    QTest::newRow("doc") << DocumentFormat::Doc;
    QTest::newRow("docx") << DocumentFormat::Docx;
    QTest::newRow("html") << DocumentFormat::Html;
}

} // namespace

class TestWordDocumentFiles : public QObject
{
    Q_OBJECT

private slots:
    void roundTrip_data();
    void listLevelsWithoutMarkerStayWithout_data();
    void listLevelsWithoutMarkerStayWithout();
    void roundTrip();
    void plainTextEncoding_data();
    void plainTextEncoding();
    void htmlReadsNoArbitraryFile();
    void htmlSizesPicturesInCssPixelsAndKeepsAlignment();
    void rtfdKeepsPictures();
    void failedReadChangesNothing_data();
    void failedReadChangesNothing();
    void failedSaveKeepsOldFile();
    void failedWriteNamesTheFileAndTheCause_data();
    void failedWriteNamesTheFileAndTheCause();
    void pathsWithNulAreRefused_data();
    void pathsWithNulAreRefused();
    void packagesReadByExtensionAndContent_data();
    void packagesReadByExtensionAndContent();
    void savesGoThroughLinksAndRefuseReadOnly_data();
    void savesGoThroughLinksAndRefuseReadOnly();
    void documentConversionIsLossless();
    void onlyTheObjectCharacterCarriesAnAttachment_data();
    void onlyTheObjectCharacterCarriesAnAttachment();
    void normalizationDecodesFileWrappers();
    void plainTextLeavesPicturesOut();
    void unsetFormattingSavedAsShown_data();
    void unsetFormattingSavedAsShown();
    void htmlPageDependsOnTheTextAlone();
    void htmlMarkupOfOtherPrograms_data();
    void htmlMarkupOfOtherPrograms();
    void htmlSecondSaveEqualsFirst();
    void htmlPictureNamedManyTimesDecodedOnce();
    void doubleLinesStayDouble_data();
    void doubleLinesStayDouble();
    void htmlListsNestInsideItems_data();
    void htmlListsNestInsideItems();
    void htmlBlockLengthsInCssPixels();
    void picturesTooLargeAreNamedInTheNotice_data();
    void picturesTooLargeAreNamedInTheNotice();
    void pictureFilesTooLargeToReadAreNamed_data();
    void pictureFilesTooLargeToReadAreNamed();
};

void TestWordDocumentFiles::roundTrip_data()
{
    QTest::addColumn<DocumentFormat>("format");
    QTest::addColumn<bool>("keepsAttributes");
    QTest::newRow("rtf") << DocumentFormat::Rtf << true;
    QTest::newRow("rtfd") << DocumentFormat::Rtfd << true;
    QTest::newRow("doc") << DocumentFormat::Doc << true;
    QTest::newRow("docx") << DocumentFormat::Docx << true;
    QTest::newRow("dotx") << DocumentFormat::Dotx << true;
    QTest::newRow("html") << DocumentFormat::Html << true;
    QTest::newRow("htm") << DocumentFormat::Htm << true;
    QTest::newRow("jwd") << DocumentFormat::Jwd << false;
    QTest::newRow("jxw") << DocumentFormat::Jxw << false;
    QTest::newRow("wpd") << DocumentFormat::Wpd << false;
}

void TestWordDocumentFiles::roundTrip()
{
    QFETCH(DocumentFormat, format);
    QFETCH(bool, keepsAttributes);
    QTemporaryDir folder;
    const QString path = folder.filePath("Doc." + DocumentFormats::rawValue(format));
    const StyledText text = sampleText();
    QString error;
    QVERIFY2(WordDocumentFiles::write(text, path, format, &error), qPrintable(error));
    StyledText read;
    QVERIFY2(WordDocumentFiles::read(path, &read, &error), qPrintable(error));
    QCOMPARE(read.string(), text.string());
    if (keepsAttributes) {
        const TextAttributes heading = read.attributesAt(0);
        QVERIFY(heading.font && heading.font->bold);
        QCOMPARE(heading.font->pointSize, 16.0);
        QCOMPARE(heading.foreground, std::optional<QColor>(QColor(200, 10, 10)));
        QVERIFY(read.attributesAt(read.length() - 1).font->italic);
        const ParagraphStyle empty = read.attributesAt(text.string().indexOf(u"\n\n") + 1).paragraphStyle.value_or(ParagraphStyle());
        QCOMPARE(empty.spacingBefore, 12.0);
        QCOMPARE(empty.spacingAfter, 12.0);
        QVERIFY(empty.alignment == TextAlignment::Center);
        QVERIFY(read.attributesAt(0).paragraphStyle.value_or(ParagraphStyle()).alignment != TextAlignment::Center);
        QVERIFY(read.attributesAt(read.length() - 1).paragraphStyle.value_or(ParagraphStyle()).alignment != TextAlignment::Center);
    }
}

void TestWordDocumentFiles::listLevelsWithoutMarkerStayWithout_data()
{
    QTest::addColumn<DocumentFormat>("format");
    for (DocumentFormat format : {DocumentFormat::Rtf, DocumentFormat::Rtfd, DocumentFormat::Doc,
                                  DocumentFormat::Docx, DocumentFormat::Html})
        QTest::newRow(qPrintable(DocumentFormats::rawValue(format))) << format;
}

// LibreOffice numbers headings with levels that show no number; a save in
// any rich format must not give them one.
void TestWordDocumentFiles::listLevelsWithoutMarkerStayWithout()
{
    QFETCH(DocumentFormat, format);
    TextAttributes heading;
    heading.font = FontDescriptor{QStringLiteral("Helvetica"), QString(), 12, false, false};
    ParagraphStyle style;
    style.textLists = {TextList{TextList::none.toString(), 1}};
    heading.paragraphStyle = style;
    StyledText text(QStringLiteral("Chapter one\n"), heading);
    text.append(QStringLiteral("Chapter two"), heading);
    QTemporaryDir folder;
    const QString path = folder.filePath("Doc." + DocumentFormats::rawValue(format));
    QString error;
    QVERIFY2(WordDocumentFiles::write(text, path, format, &error), qPrintable(error));
    StyledText read;
    QVERIFY2(WordDocumentFiles::read(path, &read, &error), qPrintable(error));
    QCOMPARE(read.string(), text.string());
    for (qsizetype at : {qsizetype(0), read.length() - 1}) {
        const auto lists = read.attributesAt(at).paragraphStyle.value_or(ParagraphStyle()).textLists;
        QCOMPARE(lists.size(), 1);
        QCOMPARE(lists.front().markerFormat, TextList::none.toString());
    }
}

void TestWordDocumentFiles::plainTextEncoding_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("start");
    QTest::newRow("Shift-JIS") << QString::fromUtf16(u"日本語 and ASCII") << QByteArray("\x93\xfa");
    QTest::newRow("emoji falls back to UTF-8 with BOM") << QString::fromUtf16(u"日本 \U0001F600 •")
                                                       << QByteArray("\xEF\xBB\xBF\xE6\x97\xA5");
}

void TestWordDocumentFiles::plainTextEncoding()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, start);
    QTemporaryDir folder;
    const QString path = folder.filePath("a.jwd");
    QString error;
    QVERIFY(WordDocumentFiles::write(StyledText(text), path, DocumentFormat::Jwd, &error));
    QVERIFY(fileBytes(path).startsWith(start));
    StyledText read;
    QVERIFY(WordDocumentFiles::read(path, &read, &error));
    QCOMPARE(read.string(), text);
}

// Pictures come from data: URIs and files beside the page only.
void TestWordDocumentFiles::htmlReadsNoArbitraryFile()
{
    QTemporaryDir folder;
    QTemporaryDir elsewhere;
    QFile beside(folder.filePath("pic.png"));
    QVERIFY(beside.open(QIODevice::WriteOnly));
    beside.write(pngBytes());
    beside.close();
    QFile outside(elsewhere.filePath("secret.png"));
    QVERIFY(outside.open(QIODevice::WriteOnly));
    outside.write(pngBytes());
    outside.close();
    const QByteArray html = "<html><body><p>a<img src=\"/dev/zero\">b<img src=\"pic.png\">c<img src=\""
        + elsewhere.filePath("secret.png").toUtf8() + "\">d<img src=\"../x/../" + QFileInfo(elsewhere.path()).fileName().toUtf8()
        + "/secret.png\">e<img src=\"http://example.com/x.png\">f<img src=\"data:image/png;base64,"
        + pngBytes().toBase64() + "\">g</p></body></html>";
    QFile page(folder.filePath("page.html"));
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write(html);
    page.close();
    StyledText text;
    QString error;
    QVERIFY(WordDocumentFiles::read(page.fileName(), &text, &error));
    int pictures = 0;
    text.forEachRun(TextRange::everything(), [&](const TextAttributes &a, TextRange) { pictures += a.attachment ? 1 : 0; });
    QCOMPARE(pictures, 2);
}

void TestWordDocumentFiles::rtfdKeepsPictures()
{
    auto attachment = std::make_shared<TextAttachment>();
    attachment->contents = pngBytes();
    attachment->fileName = QStringLiteral("../../evil.png");
    TextAttributes attributes;
    attributes.attachment = attachment;
    StyledText text(QStringLiteral("x"));
    text.append(QString(QChar(0xFFFC)), attributes);
    QTemporaryDir folder;
    const QString path = folder.filePath("Pics.rtfd");
    QString error;
    QVERIFY2(WordDocumentFiles::write(text, path, DocumentFormat::Rtfd, &error), qPrintable(error));
    QVERIFY(QFile::exists(path + "/TXT.rtf"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList{"Pics.rtfd"});
    StyledText read;
    QVERIFY2(WordDocumentFiles::read(path, &read, &error), qPrintable(error));
    QCOMPARE(read.string(), text.string());
    QVERIFY(read.attributesAt(1).attachment);
    QCOMPARE(read.attributesAt(1).attachment->contents, attachment->contents);
}

void TestWordDocumentFiles::htmlSizesPicturesInCssPixelsAndKeepsAlignment()
{
    QTemporaryDir folder;
    const QString path = folder.filePath("p.html");
    TextAttributes pictured;
    pictured.attachment = PictureAttachment::fromBytes(pngBytes(), QSizeF(72, 36));
    QString error;
    QVERIFY(WordDocumentFiles::write(StyledText(QString(QChar(0xFFFC)), pictured), path, DocumentFormat::Html, &error));
    QVERIFY(fileBytes(path).contains("width=\"96\""));
    StyledText read;
    QVERIFY(WordDocumentFiles::read(path, &read, &error));
    QCOMPARE(read.attributesAt(0).attachment->bounds.size(), QSizeF(72, 36));

    // A page written elsewhere: its layout is in Qt's own block properties.
    QFile page(path);
    QVERIFY(page.open(QIODevice::WriteOnly | QIODevice::Truncate));
    page.write("<html><body><p align=\"center\">middle</p><p>plain</p></body></html>");
    page.close();
    QVERIFY(WordDocumentFiles::read(path, &read, &error));
    QCOMPARE(read.attributesAt(0).paragraphStyle.value_or(ParagraphStyle()).alignment, TextAlignment::Center);
    QCOMPARE(read.attributesAt(8).paragraphStyle.value_or(ParagraphStyle()).alignment, TextAlignment::Natural);
}

void TestWordDocumentFiles::failedReadChangesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("missing file") << "missing.rtf" << QByteArray();
    QTest::newRow("not RTF") << "x.rtf" << QByteArray("plain words");
    QTest::newRow("doc cut short") << "x.doc" << QByteArray("\xD0\xCF\x11\xE0");
    QTest::newRow("damaged docx") << "x.docx" << QByteArray("PK\x03\x04");
    QTest::newRow("damaged dotx") << "x.dotx" << QByteArray("PK\x03\x04\0\0\0\0");
    QTest::newRow("rtfd without TXT.rtf") << "x.rtfd" << QByteArray();
}

void TestWordDocumentFiles::failedReadChangesNothing()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QTemporaryDir folder;
    const QString path = folder.filePath(name);
    if (name.endsWith(".rtfd"))
        QDir().mkpath(path);
    else if (!content.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    StyledText text(QStringLiteral("kept"));
    QString error;
    QVERIFY(!WordDocumentFiles::read(path, &text, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(text.string(), QString("kept"));
}

void TestWordDocumentFiles::failedSaveKeepsOldFile()
{
    QTemporaryDir folder;
    const QString path = folder.filePath("a.docx");
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();
    // A read-only target is refused by the save path, so the package never replaces it.
    QVERIFY(old.setPermissions(QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther));
    QString error;
    QVERIFY(!WordDocumentFiles::write(sampleText(), path, DocumentFormat::Docx, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(fileBytes(path), QByteArray("old"));
}

void TestWordDocumentFiles::failedWriteNamesTheFileAndTheCause_data()
{
    addRichFormatRows();
    QTest::newRow("jwd") << DocumentFormat::Jwd;
}

// A save that the system refuses half-way (here the file size limit, as a
// full disk would) names the user's file and the system's reason, in every
// format, and leaves the old file as it was.
void TestWordDocumentFiles::failedWriteNamesTheFileAndTheCause()
{
    QFETCH(DocumentFormat, format);
    QTemporaryDir folder;
    const QString path = folder.filePath("Notes." + DocumentFormats::rawValue(format));
    QString error;
    QVERIFY2(WordDocumentFiles::write(StyledText("old"), path, format, &error), qPrintable(error));
    QRandomGenerator random(26);
    QString words;
    for (int i = 0; i < 64 * 1024; ++i)
        words += QChar(u'a' + random.bounded(26));

    struct rlimit oldLimit;
    QVERIFY(::getrlimit(RLIMIT_FSIZE, &oldLimit) == 0);
    struct rlimit limit = oldLimit;
    limit.rlim_cur = 8192;
    const sighandler_t oldHandler = ::signal(SIGXFSZ, SIG_IGN);
    QVERIFY(::setrlimit(RLIMIT_FSIZE, &limit) == 0);
    const bool saved = WordDocumentFiles::write(StyledText(words), path, format, &error);
    ::setrlimit(RLIMIT_FSIZE, &oldLimit);
    ::signal(SIGXFSZ, oldHandler);

    QVERIFY(!saved);
    QVERIFY2(error.contains(path) && error.contains(QStringLiteral("File too large")), qPrintable(error));
    QVERIFY2(!error.contains(QStringLiteral("morvane-save")), qPrintable(error));
    StyledText read;
    QVERIFY2(WordDocumentFiles::read(path, &read, &error), qPrintable(error));
    QCOMPARE(read.string(), QStringLiteral("old"));
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList{QFileInfo(path).fileName()});
}

void TestWordDocumentFiles::pathsWithNulAreRefused_data()
{
    QTest::addColumn<DocumentFormat>("format");
    QTest::addColumn<QString>("relative");
    const QString inFolder = QStringLiteral("sub") + QChar(0) + QStringLiteral("way/Doc.");
    const QString inName = QStringLiteral("Doc") + QChar(0) + QStringLiteral("x.");
    for (const DocumentFormat format : {DocumentFormat::Rtf, DocumentFormat::Rtfd, DocumentFormat::Doc, DocumentFormat::Docx,
                                        DocumentFormat::Html, DocumentFormat::Wpd}) {
        const QString extension = DocumentFormats::rawValue(format);
        QTest::addRow("%s, in a folder", qPrintable(extension)) << format << inFolder + extension;
        QTest::addRow("%s, in the name", qPrintable(extension)) << format << inName + extension;
    }
}

// The system ends a path at NUL, so such a path would save (or open) another
// file than the one named: refused, and nothing is written.
void TestWordDocumentFiles::pathsWithNulAreRefused()
{
    QFETCH(DocumentFormat, format);
    QFETCH(QString, relative);
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir("sub"));
    const QString path = folder.filePath(relative);
    QString error;
    QVERIFY(!WordDocumentFiles::write(sampleText(), path, format, &error));
    QVERIFY2(error.contains(QStringLiteral("NUL")), qPrintable(error));
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList{"sub"});
    QCOMPARE(QDir(folder.filePath("sub")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());

    // Opening the name the system would see instead is refused too.
    const QString seen = path.left(path.indexOf(QChar(0)));
    QVERIFY(WordDocumentFiles::write(sampleText(), seen.endsWith("sub") ? seen + "/x.rtf" : seen, DocumentFormat::Rtf, &error));
    StyledText text(QStringLiteral("kept"));
    QVERIFY(!WordDocumentFiles::read(path, &text, &error));
    QVERIFY2(error.contains(QStringLiteral("NUL")), qPrintable(error));
    QCOMPARE(text.string(), QStringLiteral("kept"));
}

void TestWordDocumentFiles::packagesReadByExtensionAndContent_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("docx") << "a.docx";
    QTest::newRow("upper-case DOTX") << "Form.DOTX";
    QTest::newRow("unknown extension, ZIP content") << "download.bin";
}

void TestWordDocumentFiles::packagesReadByExtensionAndContent()
{
    QFETCH(QString, name);
    QTemporaryDir folder;
    const QByteArray body = "<w:p><w:r><w:rPr><w:b/></w:rPr><w:t>Hello</w:t></w:r></w:p><w:p><w:r><w:t>there</w:t></w:r></w:p>";
    const QString built = DocXTestPackage::write(folder, name, {{QStringLiteral("word/document.xml"), DocXTestPackage::document(body)}});
    StyledText text;
    QString error;
    QVERIFY2(WordDocumentFiles::read(built, &text, &error), qPrintable(error));
    QCOMPARE(text.string(), QStringLiteral("Hello\nthere"));
    QVERIFY(text.attributesAt(0).font->bold);
    QVERIFY(!text.attributesAt(6).font->bold);
}

void TestWordDocumentFiles::savesGoThroughLinksAndRefuseReadOnly_data()
{
    QTest::addColumn<DocumentFormat>("format");
    QTest::newRow("rtf") << DocumentFormat::Rtf;
    QTest::newRow("rtfd folder") << DocumentFormat::Rtfd;
    QTest::newRow("html") << DocumentFormat::Html;
    QTest::newRow("jwd") << DocumentFormat::Jwd;
}

void TestWordDocumentFiles::savesGoThroughLinksAndRefuseReadOnly()
{
    QFETCH(DocumentFormat, format);
    QTemporaryDir folder;
    const QString name = "Doc." + DocumentFormats::rawValue(format);
    QDir().mkpath(folder.filePath("real"));
    const QString target = folder.filePath("real/" + name);
    const QString link = folder.filePath(name);
    QString error;
    QVERIFY2(WordDocumentFiles::write(StyledText("first"), target, format, &error), qPrintable(error));
    QVERIFY(QFile::link(target, link));
    QVERIFY2(WordDocumentFiles::write(sampleText(), link, format, &error), qPrintable(error));
    QVERIFY(QFileInfo(link).isSymLink());
    StyledText read;
    QVERIFY2(WordDocumentFiles::read(target, &read, &error), qPrintable(error));
    QCOMPARE(read.string(), sampleText().string());
    // Nothing is left beside the target.
    QCOMPARE(QDir(folder.filePath("real")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList{name});

    // No write bit: refused even for an administrator.
    QVERIFY(QFile(target).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    QVERIFY(!WordDocumentFiles::write(StyledText("third"), link, format, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY2(WordDocumentFiles::read(target, &read, &error), qPrintable(error));
    QCOMPARE(read.string(), sampleText().string());
}

void TestWordDocumentFiles::documentConversionIsLossless()
{
    StyledText text = sampleText();
    TextAttributes special;
    special.font = FontDescriptor{QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Bold"), 10.5, true, false};
    special.underlineStyle = TextLineStyle::doubleLine | TextLineStyle::byWord;
    special.strokeWidth = -3;
    special.shadow = TextShadow{QColor(1, 2, 3, 100), QPointF(2, -2), 1.5};
    special.paragraphStyleId = QStringLiteral("Heading1");
    special.footnoteReferenceId = 7;
    special.verticalForms = true;
    ParagraphStyle style;
    style.alignment = TextAlignment::Justified;
    style.lineHeightMultiple = 1.25;
    style.firstLineHeadIndent = 12;
    style.textLists = {TextList{QStringLiteral("{decimal})"), 4}, TextList{TextList::square.toString(), 1}};
    special.paragraphStyle = style;
    text.append(QStringLiteral("\nspecial\n"), special);
    QTextDocument document;
    StyledTextDocument::fill(&document, text);
    const StyledText back = StyledTextDocument::toStyledText(document);
    QCOMPARE(back.string(), text.string());
    QCOMPARE(back.attributesAt(text.length() - 3), special);
    QCOMPARE(back.attributesAt(0), text.attributesAt(0));
}

// Text that took a picture's format (typed right after it) must not become
// more pictures on either side of the conversion.
void TestWordDocumentFiles::onlyTheObjectCharacterCarriesAnAttachment_data()
{
    QTest::addColumn<bool>("fromStyledText");
    QTest::newRow("screen text to styled text") << false;
    QTest::newRow("styled text to screen text and back") << true;
}

void TestWordDocumentFiles::onlyTheObjectCharacterCarriesAnAttachment()
{
    QFETCH(bool, fromStyledText);
    const TextAttachmentPointer picture = PictureAttachment::fromBytes(pngBytes());
    QVERIFY(picture);
    const QString string = QStringLiteral("ab") + QChar(0xFFFC) + QStringLiteral("cd");
    QTextDocument document;
    if (fromStyledText) {
        TextAttributes attributes;
        attributes.attachment = picture;
        StyledTextDocument::fill(&document, StyledText(string, attributes));
    } else {
        QTextCursor cursor(&document);
        QTextImageFormat image;
        image.setProperty(StyledTextDocument::Attachment, QVariant::fromValue(picture));
        cursor.insertText(QStringLiteral("ab"), image); // a text run in a picture's format
        cursor.insertImage(image);
        cursor.insertText(QStringLiteral("cd"));
    }
    const StyledText text = StyledTextDocument::toStyledText(document);
    QCOMPARE(text.string(), string);
    for (int i = 0; i < string.size(); ++i)
        QCOMPARE(bool(text.attributesAt(i).attachment), i == 2);
}

void TestWordDocumentFiles::normalizationDecodesFileWrappers()
{
    auto wrapper = std::make_shared<TextAttachment>();
    wrapper->contents = pngBytes();
    wrapper->fileName = QStringLiteral("p.png");
    wrapper->bounds = QRectF(0, 0, 50, 40);
    auto notPicture = std::make_shared<TextAttachment>();
    notPicture->contents = "text";
    notPicture->fileName = QStringLiteral("a.txt");
    TextAttributes first;
    first.attachment = wrapper;
    TextAttributes second;
    second.attachment = notPicture;
    StyledText text(QString(QChar(0xFFFC)), first);
    text.append(QString(QChar(0xFFFC)), second);
    const StyledText normalized = WordDocumentFiles::normalizedForDocX(text);
    const TextAttachmentPointer picture = normalized.attributesAt(0).attachment;
    QVERIFY(picture != wrapper);
    QCOMPARE(picture->image.size(), QSize(5, 4));
    QCOMPARE(picture->bounds, wrapper->bounds);
    QCOMPARE(normalized.attributesAt(1).attachment, notPicture);
    QCOMPARE(text.attributesAt(0).attachment, wrapper); // the original keeps its attachment
}

// Pictures have no plain-text form; a line break inside a paragraph is a
// line feed there, and neither forces the UTF-8 fallback.
void TestWordDocumentFiles::plainTextLeavesPicturesOut()
{
    TextAttributes pictured;
    pictured.attachment = PictureAttachment::fromBytes(pngBytes());
    StyledText text(QString::fromUtf16(u"日本\u2028b"));
    text.append(QString(QChar(0xFFFC)), pictured);
    text.append(QStringLiteral("c"));
    QTemporaryDir folder;
    for (const DocumentFormat format : {DocumentFormat::Jwd, DocumentFormat::Jxw, DocumentFormat::Wpd}) {
        const QString path = folder.filePath("a." + DocumentFormats::rawValue(format));
        QString error;
        QVERIFY(WordDocumentFiles::write(text, path, format, &error));
        QCOMPARE(fileBytes(path), QByteArray("\x93\xfa\x96\x7b\nbc"));
    }
}

// Text that sets no font, size or alignment shows the screen's standard font
// at natural alignment; every rich format keeps that look on reopening,
// whatever its own defaults (the DOCX template's justified serif, Word's
// Times New Roman, the reader's interface font).
void TestWordDocumentFiles::unsetFormattingSavedAsShown_data()
{
    QTest::addColumn<DocumentFormat>("format");
    for (const DocumentFormat format : {DocumentFormat::Rtf, DocumentFormat::Rtfd, DocumentFormat::Doc,
                                        DocumentFormat::Docx, DocumentFormat::Dotx, DocumentFormat::Html})
        QTest::newRow(qPrintable(DocumentFormats::rawValue(format))) << format;
}

void TestWordDocumentFiles::unsetFormattingSavedAsShown()
{
    QFETCH(DocumentFormat, format);
    StyledText text(QStringLiteral("plain\nsecond"));
    TextAttributes sized;
    sized.font = FontDescriptor{QString(), QString(), 20, true, false};
    text.append(QStringLiteral(" big"), sized);
    QTemporaryDir folder;
    const QString path = folder.filePath("a." + DocumentFormats::rawValue(format));
    QString error;
    QVERIFY2(WordDocumentFiles::write(text, path, format, &error), qPrintable(error));
    StyledText read;
    QVERIFY2(WordDocumentFiles::read(path, &read, &error), qPrintable(error));
    QCOMPARE(read.string(), text.string());
    for (qsizetype i = 0; i < read.length(); ++i) {
        if (read.string().at(i) == u'\n')
            continue; // a paragraph's end shows nothing
        const TextAttributes a = read.attributesAt(i);
        QVERIFY2(a.font, qPrintable(QString::number(i)));
        QCOMPARE(a.font->family, QStringLiteral("Helvetica"));
        QCOMPARE(a.font->pointSize, i >= 12 ? 20.0 : 12.0);
        QCOMPARE(a.font->bold, i >= 12);
        const TextAlignment alignment = a.paragraphStyle.value_or(ParagraphStyle()).alignment;
        QVERIFY2(alignment == TextAlignment::Natural || alignment == TextAlignment::Left, qPrintable(QString::number(i)));
    }
}

void TestWordDocumentFiles::htmlPageDependsOnTheTextAlone()
{
    QTemporaryDir folder;
    const StyledText text(QStringLiteral("plain"));
    QString error;
    QVERIFY(WordDocumentFiles::write(text, folder.filePath("a.html"), DocumentFormat::Html, &error));
    const QFont interfaceFont = QGuiApplication::font();
    QGuiApplication::setFont(QFont(QStringLiteral("Courier"), 23));
    QVERIFY(WordDocumentFiles::write(text, folder.filePath("b.html"), DocumentFormat::Html, &error));
    QGuiApplication::setFont(interfaceFont);
    QCOMPARE(fileBytes(folder.filePath("b.html")), fileBytes(folder.filePath("a.html")));
    QVERIFY(!fileBytes(folder.filePath("a.html")).contains("Courier"));
}

static QByteArray pngAt96Dpi(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::green);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    return TestImages::encoded(image);
}

void TestWordDocumentFiles::htmlMarkupOfOtherPrograms_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("struck"); // the characters struck through

    QTest::newRow("strike") << QByteArray("a <strike>b</strike> c") << "b";
    QTest::newRow("del") << QByteArray("a <DEL class=x>b</DEL> <delta>c</delta>") << "b";
    QTest::newRow("s and CSS") << QByteArray("<s>a</s> <span style=\"text-decoration: line-through\">b</span>") << "ab";
}

void TestWordDocumentFiles::htmlMarkupOfOtherPrograms()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, struck);
    QTemporaryDir folder;
    const QString path = folder.filePath("page.html");
    QFile page(path);
    QVERIFY(page.open(QIODevice::WriteOnly));
    page.write("<html><body><p>" + body + "</p><p><img src=\"data:image/png;base64," + pngAt96Dpi(24, 16).toBase64()
               + "\"></p></body></html>");
    page.close();
    StyledText read;
    QString error;
    QVERIFY(WordDocumentFiles::read(path, &read, &error));
    QString shownStruck;
    for (qsizetype i = 0; i < read.length(); ++i) {
        if (read.attributesAt(i).strikethroughStyle.value_or(0))
            shownStruck += read.string().at(i);
    }
    QCOMPARE(shownStruck, struck);
    // A picture the page gives no size shows at its natural size: 24 × 16 px at 96 dpi.
    const TextAttachmentPointer picture = read.attributesAt(read.string().indexOf(QChar(0xFFFC))).attachment;
    QVERIFY(picture);
    const QSizeF shown = picture->bounds.isEmpty() ? picture->naturalSize() : picture->bounds.size();
    QVERIFY2(qAbs(shown.width() - 18) < 0.01 && qAbs(shown.height() - 12) < 0.01,
             qPrintable(QStringLiteral("%1x%2").arg(shown.width()).arg(shown.height())));
}

// Nested lists, a double underline, an explicit left alignment and links
// read back as written, so a second save writes the first's page.
void TestWordDocumentFiles::htmlSecondSaveEqualsFirst()
{
    const TextList numbers{QStringLiteral("{decimal}."), 1};
    const TextList bullets{TextList::circle.toString(), 1};
    auto item = [](QList<TextList> lists, double indent) {
        TextAttributes a;
        a.font = FontDescriptor{QStringLiteral("Liberation Serif"), QString(), 12, false, false};
        ParagraphStyle style;
        style.alignment = TextAlignment::Left;
        style.headIndent = indent;
        style.firstLineHeadIndent = indent - 18;
        style.textLists = lists;
        a.paragraphStyle = style;
        return a;
    };
    StyledText text(QStringLiteral("first\n"), item({numbers}, 36));
    text.append(QStringLiteral("nested\n"), item({numbers, bullets}, 54));
    text.append(QStringLiteral("second\n"), item({numbers}, 36));
    TextAttributes doubled = item({}, 0);
    doubled.underlineStyle = TextLineStyle::doubleLine;
    text.append(QStringLiteral("double"), doubled);
    TextAttributes linked = item({}, 0);
    linked.link = QUrl(QStringLiteral("https://example.com/"));
    text.append(QStringLiteral(" link"), linked);

    QTemporaryDir folder;
    QString error;
    QVERIFY(WordDocumentFiles::write(text, folder.filePath("1.html"), DocumentFormat::Html, &error));
    StyledText read;
    QVERIFY(WordDocumentFiles::read(folder.filePath("1.html"), &read, &error));
    QVERIFY(WordDocumentFiles::write(read, folder.filePath("2.html"), DocumentFormat::Html, &error));
    QCOMPARE(fileBytes(folder.filePath("2.html")), fileBytes(folder.filePath("1.html")));
    QVERIFY(!fileBytes(folder.filePath("1.html")).contains("style=\"\" style="));

    QCOMPARE(read.string(), text.string());
    for (const char *word : {"first", "nested", "second"}) {
        const ParagraphStyle expected = *text.attributesAt(text.string().indexOf(word)).paragraphStyle;
        const ParagraphStyle actual = read.attributesAt(read.string().indexOf(word)).paragraphStyle.value_or(ParagraphStyle());
        QCOMPARE(actual.textLists, expected.textLists);
        QCOMPARE(actual.headIndent, expected.headIndent);
        QCOMPARE(actual.firstLineHeadIndent, expected.firstLineHeadIndent);
        QCOMPARE(actual.alignment, TextAlignment::Left);
    }
    QCOMPARE(read.attributesAt(read.string().indexOf("double")).underlineStyle, std::optional<int>(TextLineStyle::doubleLine));
    const TextAttributes link = read.attributesAt(read.string().indexOf("link"));
    QCOMPARE(link.link, linked.link);
    QVERIFY(!link.underlineStyle.value_or(0));
    QCOMPARE(link.foreground.value_or(Qt::black), QColor(Qt::black));
}

// One picture named by many <img>: read and decoded once, all shown.
void TestWordDocumentFiles::htmlPictureNamedManyTimesDecodedOnce()
{
    QTemporaryDir folder;
    QFile picture(folder.filePath("one.png"));
    QVERIFY(picture.open(QIODevice::WriteOnly));
    picture.write(pngBytes());
    picture.close();
    QByteArray page = "<html><body><p>";
    for (int i = 0; i < 20; ++i)
        page += "<img src=\"one.png\" width=\"" + QByteArray::number(10 + i % 2) + "\" height=\"8\">";
    page += "</p></body></html>";
    QFile file(folder.filePath("page.html"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(page);
    file.close();
    StyledText read;
    QString error;
    QVERIFY(WordDocumentFiles::read(folder.filePath("page.html"), &read, &error));
    QCOMPARE(read.string(), QString(20, QChar(0xFFFC)));
    const qint64 key = read.attributesAt(0).attachment->image.cacheKey();
    for (qsizetype i = 1; i < 20; ++i)
        QCOMPARE(read.attributesAt(i).attachment->image.cacheKey(), key);
}

void TestWordDocumentFiles::doubleLinesStayDouble_data()
{
    using namespace TextLineStyle;
    QTest::addColumn<DocumentFormat>("format");
    QTest::addColumn<int>("style");
    QTest::addColumn<bool>("strike"); // the style is a strikethrough's, else an underline's
    for (DocumentFormat format : {DocumentFormat::Rtf, DocumentFormat::Doc, DocumentFormat::Docx, DocumentFormat::Html}) {
        const QByteArray name = DocumentFormats::rawValue(format).toLatin1();
        QTest::addRow("%s double", name.constData()) << format << doubleLine << false;
        QTest::addRow("%s thick double", name.constData()) << format << (doubleLine | thick) << false;
        QTest::addRow("%s thick", name.constData()) << format << thick << false;
        QTest::addRow("%s dotted", name.constData()) << format << (single | patternDot) << false;
        if (format != DocumentFormat::Html) // HTML strikes with one line only
            QTest::addRow("%s thick double strike", name.constData()) << format << (doubleLine | thick) << true;
    }
}

// A line is double when both its 0x1 and 0x8 bits are set, whatever
// thickness or pattern it also has, in every format.
void TestWordDocumentFiles::doubleLinesStayDouble()
{
    QFETCH(DocumentFormat, format);
    QFETCH(int, style);
    QFETCH(bool, strike);
    TextAttributes lined;
    lined.font = FontDescriptor{QStringLiteral("Liberation Serif"), QString(), 12, false, false};
    (strike ? lined.strikethroughStyle : lined.underlineStyle) = style;
    QTemporaryDir folder;
    const QString path = folder.filePath("lined." + DocumentFormats::rawValue(format));
    QString error;
    QVERIFY2(WordDocumentFiles::write(StyledText(QStringLiteral("lined"), lined), path, format, &error), qPrintable(error));
    StyledText read;
    QVERIFY2(WordDocumentFiles::read(path, &read, &error), qPrintable(error));
    const TextAttributes back = read.attributesAt(0);
    const int readStyle = (strike ? back.strikethroughStyle : back.underlineStyle).value_or(0);
    QVERIFY(readStyle != 0);
    QCOMPARE(TextLineStyle::isDouble(readStyle), TextLineStyle::isDouble(style));
}

void TestWordDocumentFiles::htmlListsNestInsideItems_data()
{
    QTest::addColumn<QList<int>>("levels"); // of each paragraph; 0: no list
    // A level without any item of its own has no marker a reader could keep.
    QTest::addColumn<bool>("everyLevelHasItems");
    QTest::newRow("item, nested item, item") << QList<int>{1, 2, 1} << true;
    QTest::newRow("nested before any item") << QList<int>{2, 2, 1} << true;
    QTest::newRow("two levels deeper") << QList<int>{1, 3, 0} << false;
    QTest::newRow("nested item last") << QList<int>{0, 1, 2} << true;
}

// Every nested list opens inside an item and every item that opens closes:
// no white space inside an item becomes its text, and the page reads back
// with its lists and margins, the right margin of a nested item included.
void TestWordDocumentFiles::htmlListsNestInsideItems()
{
    QFETCH(QList<int>, levels);
    QFETCH(bool, everyLevelHasItems);
    const QList<TextList> lists = {TextList{QStringLiteral("{decimal}."), 1}, TextList{TextList::circle.toString(), 1},
                                   TextList{QStringLiteral("{lower-latin})"), 1}};
    StyledText text;
    for (qsizetype i = 0; i < levels.size(); ++i) {
        TextAttributes a;
        a.font = FontDescriptor{QStringLiteral("Liberation Serif"), QString(), 12, false, false};
        ParagraphStyle style;
        style.headIndent = 36.0 * levels[i];
        style.firstLineHeadIndent = style.headIndent - 18;
        style.tailIndent = -9.0 * levels[i];
        style.textLists = lists.mid(0, levels[i]);
        a.paragraphStyle = style;
        text.append(QString::fromUtf16(u"細目 %1").arg(i) + (i + 1 < levels.size() ? QStringLiteral("\n") : QString()), a);
    }
    QTemporaryDir folder;
    QString error;
    QVERIFY(WordDocumentFiles::write(text, folder.filePath("1.html"), DocumentFormat::Html, &error));
    const QString page = QString::fromUtf8(fileBytes(folder.filePath("1.html")));
    QStringList open; // the elements open, innermost last
    static const QRegularExpression tag(QStringLiteral("<(/?)(ol|ul|li)\\b"));
    for (auto it = tag.globalMatch(page); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        const QString name = match.captured(2);
        if (match.captured(1).isEmpty()) {
            if (name != QLatin1String("li"))
                QVERIFY2(open.isEmpty() || open.last() == QLatin1String("li"), qPrintable(page));
            open << name;
        } else {
            QVERIFY2(!open.isEmpty() && open.takeLast() == name, qPrintable(page));
        }
    }
    QVERIFY2(open.isEmpty(), qPrintable(page));

    StyledText read;
    QVERIFY(WordDocumentFiles::read(folder.filePath("1.html"), &read, &error));
    QCOMPARE(read.string(), text.string());
    for (const TextParagraph &paragraph : text.paragraphs()) {
        const ParagraphStyle expected = *text.attributesAt(paragraph.content.location).paragraphStyle;
        const ParagraphStyle actual = read.attributesAt(paragraph.content.location).paragraphStyle.value_or(ParagraphStyle());
        if (everyLevelHasItems)
            QCOMPARE(actual.textLists, expected.textLists);
        QCOMPARE(actual.textLists.size(), expected.textLists.size());
        QCOMPARE(actual.headIndent, expected.headIndent);
        QCOMPARE(actual.firstLineHeadIndent, expected.firstLineHeadIndent);
        QCOMPARE(actual.tailIndent, expected.tailIndent);
    }
    if (!everyLevelHasItems)
        return;
    QVERIFY(WordDocumentFiles::write(read, folder.filePath("2.html"), DocumentFormat::Html, &error));
    QCOMPARE(fileBytes(folder.filePath("2.html")), fileBytes(folder.filePath("1.html")));
}

// Block lengths are CSS pixels, 96 to the inch, on the page and when read.
void TestWordDocumentFiles::htmlBlockLengthsInCssPixels()
{
    TextAttributes a;
    a.font = FontDescriptor{QStringLiteral("Liberation Serif"), QString(), 12, false, false};
    ParagraphStyle style;
    style.headIndent = 72;
    style.firstLineHeadIndent = 90;
    style.tailIndent = -36;
    style.spacingBefore = 12;
    style.spacingAfter = 6;
    style.lineSpacing = 18;
    a.paragraphStyle = style;
    QTemporaryDir folder;
    QString error;
    QVERIFY(WordDocumentFiles::write(StyledText(QStringLiteral("inch"), a), folder.filePath("1.html"), DocumentFormat::Html, &error));
    const QByteArray page = fileBytes(folder.filePath("1.html"));
    for (const char *length : {"margin-left:96px", "text-indent:24px", "margin-right:48px", "margin-top:16px",
                               "margin-bottom:8px", "line-height:24px"})
        QVERIFY2(page.contains(length), length);
    StyledText read;
    QVERIFY(WordDocumentFiles::read(folder.filePath("1.html"), &read, &error));
    QCOMPARE(read.attributesAt(0).paragraphStyle.value_or(ParagraphStyle()), style);
}

void TestWordDocumentFiles::picturesTooLargeAreNamedInTheNotice_data()
{
    addRichFormatRows();
}

// A picture past the document's picture budget is left out: the screen's
// notice says so, naming the file and how many, as a later save loses it.
void TestWordDocumentFiles::picturesTooLargeAreNamedInTheNotice()
{
    QFETCH(DocumentFormat, format);
    StyledText text(QStringLiteral("x"));
    for (const QSize size : {QSize(40, 40), QSize(60, 60), QSize(50, 50)}) {
        QImage image(size, QImage::Format_RGB32);
        image.fill(QColor(size.width(), 0, 0));
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        TextAttributes attributes;
        attributes.attachment = PictureAttachment::fromBytes(png);
        text.append(QString(QChar(0xFFFC)), attributes);
    }
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Pictures.") + DocumentFormats::rawValue(format));
    QString error;
    QVERIFY2(WordDocumentFiles::write(text, path, format, &error), qPrintable(error));

    // Room for the first (6,400 bytes decoded); the others pass the budget.
    StyledText read;
    QString notice;
    QVERIFY2(WordDocumentFiles::read(path, &read, &error, &notice, 10'000), qPrintable(error));
    qsizetype shown = 0;
    for (qsizetype i = 0; i < read.length(); ++i)
        shown += read.attributesAt(i).attachment ? 1 : 0;
    QCOMPARE(shown, 1);
    QVERIFY2(notice.contains(path) && notice.contains(QLatin1String(" 2 pictures ")), qPrintable(notice));

    QVERIFY2(WordDocumentFiles::read(path, &read, &error, &notice), qPrintable(error));
    QVERIFY2(notice.isEmpty(), qPrintable(notice));
}

void TestWordDocumentFiles::pictureFilesTooLargeToReadAreNamed_data()
{
    QTest::addColumn<DocumentFormat>("format");
    QTest::newRow("rtfd") << DocumentFormat::Rtfd;
    QTest::newRow("html") << DocumentFormat::Html;
}

// A picture file beside the text too large to decode is not read, and the
// notice names it (the file is sparse: nothing of it is written to disk).
void TestWordDocumentFiles::pictureFilesTooLargeToReadAreNamed()
{
    QFETCH(DocumentFormat, format);
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Large.") + DocumentFormats::rawValue(format));
    QString picture;
    if (format == DocumentFormat::Rtfd) {
        auto attachment = std::make_shared<TextAttachment>();
        attachment->contents = pngBytes();
        attachment->fileName = QStringLiteral("scan.png");
        TextAttributes attributes;
        attributes.attachment = attachment;
        StyledText text(QString(QChar(0xFFFC)), attributes);
        QString error;
        QVERIFY2(WordDocumentFiles::write(text, path, format, &error), qPrintable(error));
        picture = path + QStringLiteral("/scan.png");
    } else {
        QFile page(path);
        QVERIFY(page.open(QIODevice::WriteOnly));
        page.write("<html><body><p>a<img src=\"scan.png\">b</p></body></html>");
        picture = folder.filePath(QStringLiteral("scan.png"));
        QFile small(picture);
        QVERIFY(small.open(QIODevice::WriteOnly));
        small.write(pngBytes());
    }
    QVERIFY(QFile::resize(picture, PictureLimits::maximumBytes + 1));
    StyledText read;
    QString error, notice;
    QVERIFY2(WordDocumentFiles::read(path, &read, &error, &notice), qPrintable(error));
    QVERIFY2(notice.contains(path) && notice.contains(QLatin1String(" 1 picture "))
                 && notice.contains(QLatin1String("scan.png")),
             qPrintable(notice));
}

QTEST_MAIN(TestWordDocumentFiles)
#include "tst_worddocumentfiles.moc"
