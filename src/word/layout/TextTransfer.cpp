#include "TextTransfer.h"

#include "PictureBundle.h"
#include "TextFormatProperty.h"
#include "WordTextDocument.h"

#include "textsystem/PictureAttachment.h"
#include "textsystem/PictureCache.h"

#include <QBuffer>
#include <QHash>
#include <QMimeData>
#include <QMimeDatabase>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QUrl>

namespace {

// The name a picture gets when the data that named it did not carry it:
// no document holds it, so it shows as a missing picture.
const QString MissingPicture = QStringLiteral("morvane-missing-picture:");

// The selection's HTML as this program reads it back: its pictures named
// as the picture data (PictureBundle) names them.
const QString OwnHtmlType = QStringLiteral("application/x-morvane-word-html");

// The pictures a transfer carries, by the names its HTML gives them.
using Pictures = QHash<QString, PictureBundle::Picture>;

// The pictures of a copy this program made, whole, held by the data object
// itself. A paste of that same object within the program (the clipboard
// while it is still ours, a drag within the program) takes them from here:
// the bundle's limits guard only bytes read from another process. They go
// with the object, when the clipboard or the drag lets it go.
class HeldTransferPictures : public QObject
{
public:
    HeldTransferPictures(Pictures pictures, QMimeData *data) : QObject(data), pictures(std::move(pictures)) {}

    const Pictures pictures;
};

const Pictures *heldPictures(const QMimeData &source)
{
    for (QObject *child : source.children()) {
        if (auto *held = dynamic_cast<HeldTransferPictures *>(child))
            return &held->pictures;
    }
    return nullptr;
}

// The pictures `source` carries: held by the object when it is ours, else
// read from its bundle (none when the bundle is missing or unreadable).
Pictures carriedPictures(const QMimeData &source)
{
    if (const Pictures *held = heldPictures(source))
        return *held;
    Pictures pictures;
    if (!source.hasFormat(PictureBundle::mimeType))
        return pictures;
    if (std::optional<PictureBundle> bundle = PictureBundle::parse(source.data(PictureBundle::mimeType))) {
        for (PictureBundle::Picture &picture : bundle->pictures)
            pictures.insert(picture.name, std::move(picture));
    }
    return pictures;
}

struct PicturePlace
{
    int position;
    QTextImageFormat format;
};

// The pictures between `start` and `end` of `document`, in order.
QList<PicturePlace> picturesIn(const QTextDocument &document, int start, int end)
{
    QList<PicturePlace> places;
    for (QTextBlock block = document.findBlock(start); block.isValid() && block.position() < end;
         block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.charFormat().isImageFormat())
                continue;
            const int first = qMax(fragment.position(), start);
            const int last = qMin(fragment.position() + fragment.length(), end);
            for (int position = first; position < last; ++position)
                places.append({position, fragment.charFormat().toImageFormat()});
        }
    }
    return places;
}

QByteArray pngBytes(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// The file of the picture `format` shows: the bytes it was made from, else
// the picture the document holds under its name, as PNG.
PictureBundle::Picture pictureFile(const QTextImageFormat &format, const WordTextDocument &document)
{
    PictureBundle::Picture picture{format.name(), {}, {}};
    const auto attachment = format.property(TextFormatProperty::Attachment).value<TextAttachmentPointer>();
    if (attachment && !attachment->contents.isEmpty()) {
        picture.fileName = attachment->fileName;
        picture.bytes = attachment->contents;
        return picture;
    }
    if (format.name().startsWith(QLatin1String("data:"), Qt::CaseInsensitive)) {
        picture.bytes = WordTextDocument::dataUriBytes(format.name());
        return picture;
    }
    QImage image = attachment ? attachment->image : QImage();
    if (image.isNull())
        image = document.resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>();
    if (!image.isNull())
        picture.bytes = pngBytes(image);
    return picture;
}

// Gives every picture between `start` and `end` its picture from `carried`,
// held by `document`, with the size the HTML gave it.
void adoptPictures(WordTextDocument &document, int start, int end, const Pictures &carried)
{
    PictureCache decoded;
    QHash<QString, WordTextDocument::HeldPicture> held;
    QTextCursor cursor(&document);
    for (PicturePlace &place : picturesIn(document, start, end)) {
        QTextImageFormat &format = place.format;
        const QString name = format.name();
        if (!held.contains(name)) {
            const auto file = carried.constFind(name);
            WordTextDocument::HeldPicture picture;
            if (file != carried.constEnd()) {
                picture = document.holdPicture(file->bytes, decoded);
                if (picture.attachment && !file->fileName.isEmpty()) {
                    auto named = std::make_shared<TextAttachment>(*picture.attachment);
                    named->fileName = file->fileName;
                    picture.attachment = named;
                }
            }
            held.insert(name, picture);
        }
        const WordTextDocument::HeldPicture &picture = held.value(name);
        if (picture.attachment) {
            auto shown = std::make_shared<TextAttachment>(*picture.attachment);
            if (format.width() > 0 && format.height() > 0)
                shown->bounds = QRectF(0, 0, format.width(), format.height());
            format.setName(picture.name);
            format.setProperty(TextFormatProperty::Attachment, QVariant::fromValue(TextAttachmentPointer(shown)));
        } else if (!name.startsWith(QLatin1String("data:"), Qt::CaseInsensitive)) {
            format.setName(MissingPicture);
            format.clearProperty(TextFormatProperty::Attachment);
        } else {
            continue;
        }
        cursor.setPosition(place.position);
        cursor.setPosition(place.position + 1, QTextCursor::KeepAnchor);
        cursor.setCharFormat(format);
    }
}

// The picture file as a data: URI other programs read: its own bytes when
// they are of a common web type, else the picture again as PNG; "" when it
// is no picture.
QString dataUri(const PictureBundle::Picture &picture)
{
    static const QStringList webTypes{QStringLiteral("image/png"), QStringLiteral("image/jpeg"),
                                      QStringLiteral("image/gif"), QStringLiteral("image/bmp"),
                                      QStringLiteral("image/webp"), QStringLiteral("image/svg+xml")};
    QString type = QMimeDatabase().mimeTypeForData(picture.bytes).name();
    QByteArray bytes = picture.bytes;
    if (!webTypes.contains(type)) {
        const TextAttachmentPointer decoded = PictureAttachment::fromBytes(picture.bytes);
        if (!decoded || decoded->image.isNull())
            return {};
        type = QStringLiteral("image/png");
        bytes = pngBytes(decoded->image);
    }
    return QStringLiteral("data:") + type + QStringLiteral(";base64,") + QString::fromLatin1(bytes.toBase64());
}

// The selection's HTML for other programs, which cannot see the pictures
// the names of this program stand for: each picture embedded as a data:
// URI while the embedded files stay within `embeddedBytes` in all; the
// pictures past it, and missing ones, are left out.
QString htmlForOtherPrograms(const QTextDocumentFragment &selection, const Pictures &pictures,
                             qsizetype embeddedBytes)
{
    QTextDocument copy;
    QTextCursor cursor(&copy);
    cursor.insertFragment(selection);
    const QList<PicturePlace> places = picturesIn(copy, 0, copy.characterCount());
    QList<QString> uris;
    qsizetype embedded = 0;
    for (const PicturePlace &place : places) {
        const auto file = pictures.constFind(place.format.name());
        const bool fits = file != pictures.constEnd() && embedded + file->bytes.size() <= embeddedBytes;
        uris.append(fits ? dataUri(*file) : QString());
        if (!uris.last().isEmpty())
            embedded += file->bytes.size();
    }
    // From the end, so that a removal leaves the places before it alone.
    for (qsizetype i = places.size() - 1; i >= 0; --i) {
        cursor.setPosition(places.at(i).position);
        cursor.setPosition(places.at(i).position + 1, QTextCursor::KeepAnchor);
        if (uris.at(i).isEmpty()) {
            cursor.removeSelectedText();
            continue;
        }
        QTextImageFormat format = places.at(i).format;
        format.setName(uris.at(i));
        format.clearProperty(TextFormatProperty::Attachment);
        cursor.setCharFormat(format);
    }
    return QTextDocumentFragment(&copy).toHtml();
}

// A selection of one picture also goes as the picture itself, for programs
// that take a picture but no HTML.
void addLonePicture(QMimeData &data, const QTextCursor &cursor, const WordTextDocument &document,
                    const Pictures &pictures)
{
    const QList<PicturePlace> places = picturesIn(document, cursor.selectionStart(), cursor.selectionEnd());
    if (places.size() != 1 || cursor.selectionEnd() - cursor.selectionStart() != 1)
        return;
    const auto file = pictures.constFind(places.first().format.name());
    if (file == pictures.constEnd())
        return;
    QImage image = document.resource(QTextDocument::ImageResource, QUrl(file->name)).value<QImage>();
    if (image.isNull()) {
        const TextAttachmentPointer decoded = PictureAttachment::fromBytes(file->bytes);
        image = decoded ? decoded->image : QImage();
    }
    if (image.isNull())
        return;
    const bool png = QMimeDatabase().mimeTypeForData(file->bytes).name() == QLatin1String("image/png");
    data.setData(QStringLiteral("image/png"), png ? file->bytes : pngBytes(image));
    data.setImageData(image);
}

} // namespace

namespace TextTransfer {

QMimeData *mimeDataFor(const QTextCursor &cursor, const WordTextDocument &document, const Limits &limits)
{
    auto *data = new QMimeData;
    const QTextDocumentFragment selection = cursor.selection();
    data->setData(OwnHtmlType, selection.toHtml().toUtf8());
    data->setText(selection.toPlainText());
    Pictures pictures;
    // What fits the bundle's limits goes to another process; this program
    // keeps every picture (HeldTransferPictures).
    PictureBundle bundle(limits.bundleBytes);
    for (const PicturePlace &place : picturesIn(document, cursor.selectionStart(), cursor.selectionEnd())) {
        if (pictures.contains(place.format.name()))
            continue;
        PictureBundle::Picture picture = pictureFile(place.format, document);
        if (picture.bytes.isEmpty())
            continue;
        pictures.insert(picture.name, picture);
        bundle.add(std::move(picture));
    }
    data->setHtml(htmlForOtherPrograms(selection, pictures, limits.embeddedBytes));
    addLonePicture(*data, cursor, document, pictures);
    if (!pictures.isEmpty())
        new HeldTransferPictures(std::move(pictures), data);
    if (!bundle.pictures.isEmpty())
        data->setData(PictureBundle::mimeType, bundle.serialized());
    return data;
}

bool isOwnText(const QMimeData &source)
{
    return source.hasFormat(OwnHtmlType);
}

bool insert(QTextCursor &cursor, WordTextDocument &document, const QMimeData &source)
{
    if (isOwnText(source) || source.hasHtml()) {
        // Our own HTML names the pictures the data carries, rather than
        // embedding them as the HTML for other programs does.
        const QString html = isOwnText(source) ? QString::fromUtf8(source.data(OwnHtmlType)) : source.html();
        cursor.beginEditBlock();
        const int start = cursor.selectionStart();
        // The document is the fragment's resource provider: it loads nothing
        // from paths or the network.
        cursor.insertFragment(QTextDocumentFragment::fromHtml(html, &document));
        // The HTML's picture names belong to the document it came from: they
        // show only the pictures the data carries beside it.
        adoptPictures(document, start, cursor.position(), carriedPictures(source));
        cursor.endEditBlock();
        return true;
    }
    if (source.hasText()) {
        cursor.insertText(source.text(), TextFormatProperty::withoutObject(cursor.charFormat()));
        return true;
    }
    return false;
}

} // namespace TextTransfer
