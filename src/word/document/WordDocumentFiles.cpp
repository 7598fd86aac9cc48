#include "word/document/WordDocumentFiles.h"

#include "docx/writer/DocXWriter.h"
#include "platform/FileBytes.h"
#include "platform/FileMessage.h"
#include "platform/SafeSave.h"
#include "textsystem/doc/DocReader.h"
#include "textsystem/doc/DocWriter.h"
#include "docx/reader/DocXReader.h"
#include "textsystem/html/HtmlCodec.h"
#include "textsystem/plain/IchitaroParser.h"
#include "textsystem/PictureAttachment.h"
#include "textsystem/PictureCache.h"
#include "textsystem/plain/PlainTextCodec.h"
#include "textsystem/rtf/RtfReader.h"
#include "textsystem/rtf/RtfWriter.h"
#include "textsystem/rtf/RtfdPackage.h"
#include "textsystem/plain/WordPerfectParser.h"
#include "word/document/ScreenLook.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QByteArray compoundFileSignature("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);

// The system ends a path at NUL, so such a path would open or write another
// file than the one named: true, with *error, for one.
bool refuseNul(const QString &path, const QString &action, QString *error)
{
    if (!path.contains(QChar(0)))
        return false;
    *error = QStringLiteral("%1 '%2': the path contains a NUL character")
                 .arg(action, QString(path).replace(QChar(0), QStringLiteral("\\0")));
    return true;
}

bool readBytes(const QString &path, QByteArray *bytes, QString *error)
{
    std::optional<QByteArray> read = FileBytes::read(path, WordDocumentFiles::maximumFileSize, error);
    if (!read)
        return false;
    *bytes = std::move(*read);
    return true;
}

bool readDocx(const QString &path, StyledText *text, QString *error, PictureCache &pictures)
{
    const QFileInfo info(path);
    if (!info.isFile()) {
        *error = info.exists() ? QStringLiteral("%1 is not a regular file.").arg(path)
                               : QStringLiteral("The file %1 does not exist.").arg(path);
        return false;
    }
    if (info.size() > WordDocumentFiles::maximumFileSize) {
        *error = QStringLiteral("The file %1 is too large to open.").arg(path);
        return false;
    }
    return DocXReader::read(path, text, error, &pictures);
}

bool readDoc(const QByteArray &bytes, StyledText *text, QString *error, PictureCache &pictures)
{
    auto document = DocReader::read(bytes, error, &pictures);
    if (!document)
        return false;
    *text = std::move(*document);
    return true;
}

// A page past the HTML reader's bounds opens within them; `notice` then
// names the file and what was left out, for the screen.
void readHtml(const QByteArray &bytes, const QString &path, StyledText *text, QString *notice,
              PictureCache &pictures)
{
    QStringList cuts;
    *text = HtmlCodec::read(bytes, QFileInfo(path).absolutePath(), &cuts, &pictures);
    if (!cuts.isEmpty() && notice)
        *notice = QStringLiteral("'%1' was opened without parts that would take too long to read: %2.")
                      .arg(path, cuts.join(QStringLiteral("; ")));
}

// The line for the screen when `pictures` left some out: the file opens
// without them, and a save cannot put back what it never read.
QString leftOutPicturesNotice(const QString &path, const PictureCache &pictures)
{
    const int count = pictures.leftOutCount();
    if (count == 0)
        return QString();
    QString names = pictures.leftOutNames().join(QStringLiteral(", "));
    if (count > PictureCache::namedLeftOut)
        names += QStringLiteral(", …");
    return count == 1
        ? QStringLiteral("'%1' was opened without 1 picture that is too large to show (%2); saving will not keep it.")
              .arg(path, names)
        : QStringLiteral("'%1' was opened without %2 pictures that are too large to show (%3); saving will not keep them.")
              .arg(path, QString::number(count), names);
}

// The line for the screen when an .rtfd package was opened without some of
// the files its text names: a save cannot write back what was never read.
QString leftOutFilesNotice(const QString &path, const QStringList &files)
{
    constexpr int named = 3;
    QString names = files.mid(0, named).join(QStringLiteral(", "));
    if (files.size() > named)
        names += QStringLiteral(", …");
    return files.size() == 1
        ? QStringLiteral("'%1' was opened without 1 attached file that is missing, unreadable or too large (%2); "
                         "saving will not keep it.")
              .arg(path, names)
        : QStringLiteral("'%1' was opened without %2 attached files that are missing, unreadable or too large (%3); "
                         "saving will not keep them.")
              .arg(path, QString::number(files.size()), names);
}

bool readRtfd(const QString &path, StyledText *text, QString *error, QString *notice, PictureCache &pictures)
{
    QStringList leftOut;
    if (!RtfdPackage::read(path, text, error, &pictures, &leftOut))
        return false;
    if (notice && !leftOut.isEmpty())
        *notice = leftOutFilesNotice(path, leftOut);
    return true;
}

bool readByExtension(const QString &extension, const QString &path, StyledText *text, QString *error,
                     QString *notice, PictureCache &pictures)
{
    if (extension == QLatin1String("rtfd"))
        return readRtfd(path, text, error, notice, pictures);
    if (extension == QLatin1String("docx") || extension == QLatin1String("dotx"))
        return readDocx(path, text, error, pictures);
    QByteArray bytes;
    if (!readBytes(path, &bytes, error))
        return false;
    if (extension == QLatin1String("jwd") || extension == QLatin1String("jxw")) {
        *text = StyledText(IchitaroParser::parse(bytes));
        return true;
    }
    if (extension == QLatin1String("wpd")) {
        *text = StyledText(WordPerfectParser::extractText(bytes));
        return true;
    }
    if (extension == QLatin1String("rtf"))
        return RtfReader::read(bytes, text, error, {}, &pictures);
    if (extension == QLatin1String("doc"))
        return readDoc(bytes, text, error, pictures);
    if (extension == QLatin1String("html") || extension == QLatin1String("htm")) {
        readHtml(bytes, path, text, notice, pictures);
        return true;
    }
    // Any other extension: the content decides.
    const QByteArray start = bytes.left(512).trimmed();
    if (start.startsWith("{\\rtf"))
        return RtfReader::read(bytes, text, error, {}, &pictures);
    if (bytes.startsWith(compoundFileSignature))
        return readDoc(bytes, text, error, pictures);
    if (bytes.startsWith("PK\x03\x04"))
        return readDocx(path, text, error, pictures);
    const QByteArray lower = start.toLower();
    if (lower.startsWith("<!doctype html") || lower.startsWith("<html") || lower.contains("<body")) {
        readHtml(bytes, path, text, notice, pictures);
        return true;
    }
    *text = StyledText(PlainTextCodec::decode(bytes));
    return true;
}

// Every file save goes through here, so the old file survives any failure.
bool saveFile(const QString &path, const QByteArray &bytes, QString *error)
{
    return SafeSave::writeFile(path, bytes, error);
}

// An .rtfd package is a folder: it is built beside the target and swapped in.
bool saveFolder(const QString &path, const SafeSave::Builder &build, QString *error)
{
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
        *error = QStringLiteral("Could not create the folder %1.").arg(QFileInfo(path).absolutePath());
        return false;
    }
    return SafeSave::save(path, SafeSave::Kind::Folder, [&build](const QString &scratch, QString *buildError) {
        return QDir().mkdir(scratch) ? build(scratch, buildError)
                                     : (*buildError = QStringLiteral("Could not create the folder %1.").arg(scratch), false);
    }, error);
}

// The whole text as one section, its file attachments turned into pictures;
// a template differs from a document only in its main content type.
bool writeDocx(const StyledText &text, const QString &path, DocXPackageKind kind, QString *error)
{
    DocXOptions options;
    options.packageKind = kind;
    StyledText body = WordDocumentFiles::normalizedForDocX(text);
    // A package's last paragraph ends the text: a text that ends in a line
    // break gets the empty paragraph after it, so it reopens with the break.
    if (!body.isEmpty() && StyledText::isParagraphTerminator(body.string().back()))
        body.append(QStringLiteral("\n"), body.attributesAt(body.length() - 1));
    const DocXSavingError result = DocXWriter::write({body}, path, options);
    if (!result.isError())
        return true;
    *error = result.text();
    return false;
}

bool writeByFormat(const StyledText &text, const QString &path, DocumentFormat format, QString *error)
{
    if (DocumentFormats::isPlainText(format))
        return saveFile(path, PlainTextCodec::encode(PlainTextCodec::plainText(text)), error);
    const StyledText shown = WordDocumentFiles::withScreenDefaults(text);
    switch (format) {
    case DocumentFormat::Rtf:
        return saveFile(path, RtfWriter::write(shown), error);
    case DocumentFormat::Rtfd:
        return saveFolder(path, [&shown](const QString &folder, QString *buildError) {
            return RtfdPackage::write(shown, folder, buildError);
        }, error);
    case DocumentFormat::Doc:
        return saveFile(path, DocWriter::write(shown), error);
    case DocumentFormat::Docx:
        return writeDocx(shown, path, DocXPackageKind::Document, error);
    case DocumentFormat::Dotx:
        return writeDocx(shown, path, DocXPackageKind::Template, error);
    case DocumentFormat::Html:
    case DocumentFormat::Htm:
        return saveFile(path, HtmlCodec::write(shown), error);
    case DocumentFormat::Jwd:
    case DocumentFormat::Jxw:
    case DocumentFormat::Wpd:
        break;
    }
    return false;
}

} // namespace

namespace WordDocumentFiles {

bool read(const QString &path, StyledText *text, QString *error, QString *notice, qint64 pictureBudget)
{
    if (refuseNul(path, QStringLiteral("Cannot open"), error))
        return false;
    const QString extension = QFileInfo(path.endsWith(QLatin1Char('/')) ? path.chopped(1) : path).suffix().toLower();
    StyledText loaded;
    QString limited;
    QString reason;
    PictureCache pictures(pictureBudget);
    if (!readByExtension(extension, path, &loaded, &reason, &limited, pictures)) {
        // The readers below speak of the bytes; the user reads which file.
        *error = FileMessage::cannotOpen(path, reason);
        return false;
    }
    if (notice) {
        QStringList lines{limited, leftOutPicturesNotice(path, pictures)};
        lines.removeAll(QString());
        *notice = lines.join(u' ');
    }
    *text = std::move(loaded);
    return true;
}

bool write(const StyledText &text, const QString &path, DocumentFormat format, QString *error)
{
    if (refuseNul(path, QStringLiteral("Cannot save"), error))
        return false;
    QString reason;
    if (writeByFormat(text, path, format, &reason))
        return true;
    // The message names the user's file even where a step below spoke of
    // another (a link's target, a part of a package).
    *error = FileMessage::cannotSave(path, reason);
    return false;
}

StyledText withScreenDefaults(const StyledText &text)
{
    StyledText shown = text;
    text.forEachValue(TextRange::everything(), &TextAttributes::font,
                      [&shown](const std::optional<FontDescriptor> &font, TextRange range) {
        if (font && (!font->family.isEmpty() || !font->faceName.isEmpty()))
            return;
        shown.modifyAttributes(range, [](TextAttributes &a) {
            if (!a.font)
                a.font = FontDescriptor{ScreenLook::fontFamily(), QString(), ScreenLook::fontSize, false, false};
            else
                a.font->family = ScreenLook::fontFamily();
        });
    });
    // A fully transparent background (an HTML page's "transparent") shows nothing.
    text.forEachValue(TextRange::everything(), &TextAttributes::background,
                      [&shown](const std::optional<QColor> &background, TextRange range) {
        if (background && background->alpha() == 0)
            shown.modifyAttributes(range, [](TextAttributes &a) { a.background.reset(); });
    });
    text.forEachValue(TextRange::everything(), &TextAttributes::paragraphStyle,
                      [&shown](const std::optional<ParagraphStyle> &style, TextRange range) {
        if (!style)
            shown.modifyAttributes(range, [](TextAttributes &a) { a.paragraphStyle = ParagraphStyle(); });
    });
    return shown;
}

StyledText normalizedForDocX(const StyledText &text)
{
    StyledText copy = text;
    text.forEachValue(TextRange::everything(), &TextAttributes::attachment,
                      [&copy](const TextAttachmentPointer &attachment, TextRange range) {
        if (!attachment || !attachment->image.isNull() || !attachment->isFileWrapper() || attachment->contents.isEmpty())
            return;
        const TextAttachmentPointer decoded = PictureAttachment::fromBytes(attachment->contents);
        if (!decoded)
            return;
        auto picture = std::make_shared<TextAttachment>();
        picture->image = decoded->image;
        picture->bounds = attachment->bounds;
        copy.modifyAttributes(range, [&picture](TextAttributes &a) { a.attachment = picture; });
    });
    return copy;
}

} // namespace WordDocumentFiles
