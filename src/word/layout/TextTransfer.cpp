#include "TextTransfer.h"

#include "PastedHtml.h"
#include "PictureBundle.h"
#include "PicturePlace.h"
#include "TextFormatProperty.h"
#include "TransferData.h"
#include "WordTextDocument.h"

#include "textsystem/PictureAttachment.h"
#include "textsystem/PictureCache.h"

#include <QHash>
#include <QMimeData>
#include <QSet>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocumentFragment>
#include <QUrl>

#include <limits>

namespace {

// The name a picture gets when the data that named it did not carry it:
// no document holds it, so it shows as a missing picture.
const QString MissingPicture = QStringLiteral("morvane-missing-picture:");

// The pictures a transfer carries, by the names its HTML gives them.
using Pictures = QHash<QString, TransferData::Picture>;

// `source` as our own object in this process, whose pictures are all whole.
const TransferData *ownData(const QMimeData &source);

// The pictures `source` carries: all of them when it is our own object,
// else the files its bundle holds (none when that is missing or unreadable).
Pictures carriedPictures(const QMimeData &source)
{
    Pictures pictures;
    if (const TransferData *own = ownData(source)) {
        for (const TransferData::Picture &picture : own->pictures())
            pictures.insert(picture.file.name, picture);
    } else if (source.hasFormat(PictureBundle::mimeType)) {
        const PictureBundle bundle = PictureBundle::parse(source.data(PictureBundle::mimeType)).value_or(PictureBundle());
        for (const PictureBundle::Picture &file : bundle.pictures)
            pictures.insert(file.name, {file, nullptr});
    }
    return pictures;
}

// A picture `format` shows without the bytes it was made from: its data:
// URI's bytes, else the picture the document holds under its name, as PNG.
PictureBundle::Picture pictureFile(const QTextImageFormat &format, const TextAttachmentPointer &attachment,
                                   const WordTextDocument &document)
{
    PictureBundle::Picture picture{format.name(), {}, {}};
    if (format.name().startsWith(QLatin1String("data:"), Qt::CaseInsensitive)) {
        picture.bytes = WordTextDocument::dataUriBytes(format.name());
        return picture;
    }
    QImage image = attachment ? attachment->image : QImage();
    if (image.isNull())
        image = document.resource(QTextDocument::ImageResource, QUrl(format.name())).value<QImage>();
    if (!image.isNull())
        picture.bytes = TransferData::pngBytes(image);
    return picture;
}

// The picture `format` shows: the bytes it was made from and the picture
// decoded from them, else the picture the document holds under its name,
// as PNG.
TransferData::Picture pictureOf(const QTextImageFormat &format, const WordTextDocument &document)
{
    const auto attachment = format.property(TextFormatProperty::Attachment).value<TextAttachmentPointer>();
    if (attachment && !attachment->contents.isEmpty())
        return {{format.name(), attachment->fileName, attachment->contents}, attachment->image.isNull() ? nullptr : attachment};
    return {pictureFile(format, attachment, document), nullptr};
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
            const auto carriedPicture = carried.constFind(name);
            WordTextDocument::HeldPicture picture;
            if (carriedPicture != carried.constEnd()) {
                const PictureBundle::Picture &file = carriedPicture->file;
                picture = carriedPicture->shown ? document.holdPicture(carriedPicture->shown)
                                                : document.holdPicture(file.bytes, decoded);
                if (picture.attachment && !file.fileName.isEmpty()) {
                    auto named = std::make_shared<TextAttachment>(*picture.attachment);
                    named->fileName = file.fileName;
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

// New data for the selection of `cursor`.
TransferData *transferDataFor(const QTextCursor &cursor, const WordTextDocument &document,
                              const TextTransfer::Limits &limits)
{
    const QList<PicturePlace> places = picturesIn(document, cursor.selectionStart(), cursor.selectionEnd());
    TransferData::Pictures pictures;
    QSet<QString> named;
    for (const PicturePlace &place : places) {
        if (named.contains(place.format.name()))
            continue;
        named.insert(place.format.name());
        TransferData::Picture picture = pictureOf(place.format, document);
        if (!picture.file.bytes.isEmpty())
            pictures.append(std::move(picture));
    }
    QImage lonePicture;
    if (places.size() == 1 && cursor.selectionEnd() - cursor.selectionStart() == 1 && !pictures.isEmpty()) {
        const TransferData::Picture &picture = pictures.first();
        lonePicture = picture.shown
            ? picture.shown->image
            : document.resource(QTextDocument::ImageResource, QUrl(picture.file.name)).value<QImage>();
    }
    return new TransferData(cursor.selection(), std::move(pictures), lonePicture, limits);
}

// The selection as offered to the system's selection clipboard: a cursor on
// it, its data made only when something reads them. The selection changes
// with every Shift+arrow, and making the data copies the whole selection.
class SelectionOffer : public QMimeData
{
public:
    explicit SelectionOffer(const QTextCursor &selection)
        : m_selection(selection)
    {
    }

    // The data of the selection as it stands; null once it is gone.
    const TransferData *data() const
    {
        if (!m_data) {
            const auto *document = qobject_cast<const WordTextDocument *>(m_selection.document());
            if (!document || !m_selection.hasSelection())
                return nullptr;
            m_data.reset(transferDataFor(m_selection, *document, {}));
        }
        return m_data.get();
    }

    bool hasFormat(const QString &mimeType) const override { return data() && data()->hasFormat(mimeType); }
    QStringList formats() const override { return data() ? data()->formats() : QStringList(); }

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType) const override
    {
        if (!data())
            return {};
        if (mimeType == QLatin1String("application/x-qt-image"))
            return data()->imageData();
        return data()->data(mimeType);
    }

private:
    QTextCursor m_selection;
    mutable std::unique_ptr<TransferData> m_data;
};

const TransferData *ownData(const QMimeData &source)
{
    if (const auto *offer = dynamic_cast<const SelectionOffer *>(&source))
        return offer->data();
    return qobject_cast<const TransferData *>(&source);
}

} // namespace

namespace TextTransfer {

QMimeData *mimeDataFor(const QTextCursor &cursor, const WordTextDocument &document, const Limits &limits)
{
    return transferDataFor(cursor, document, limits);
}

QMimeData *selectionOfferFor(const QTextCursor &cursor)
{
    return new SelectionOffer(cursor);
}

bool isOwnText(const QMimeData &source)
{
    return source.hasFormat(TransferData::ownHtmlType);
}

bool insert(QTextCursor &cursor, WordTextDocument &document, const QMimeData &source, QStringList *cuts)
{
    if (isOwnText(source) || source.hasHtml()) {
        // Our own HTML names the pictures the data carries, rather than
        // embedding them as the HTML for other programs does.
        const QString html = isOwnText(source) ? QString::fromUtf8(source.data(TransferData::ownHtmlType)) : source.html();
        const Pictures carried = carriedPictures(source);
        // Pictures of our own object come from a document that showed them
        // all; another process's are as many as its bundle may hold.
        const qsizetype ownPictures = ownData(source) ? std::numeric_limits<qsizetype>::max()
            : PictureBundle::maximumPictures;
        const HtmlCodec::BoundedHtml page = PastedHtml::bounded(html, QSet<QString>(carried.keyBegin(), carried.keyEnd()), ownPictures);
        if (cuts)
            *cuts = page.cuts;
        cursor.beginEditBlock();
        const int start = cursor.selectionStart();
        // The document is the fragment's resource provider: it loads nothing
        // from paths or the network.
        cursor.insertFragment(QTextDocumentFragment::fromHtml(page.html, &document));
        // The HTML's picture names belong to the document it came from: they
        // show only the pictures the data carries beside it.
        adoptPictures(document, start, cursor.position(), carried);
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
