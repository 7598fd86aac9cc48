#include "TransferData.h"

#include "PicturePlace.h"
#include "TextFormatProperty.h"

#include "textsystem/PictureAttachment.h"

#include <QBuffer>
#include <QMimeDatabase>
#include <QTextCursor>
#include <QTextDocument>

const QString TransferData::ownHtmlType = QStringLiteral("application/x-morvane-word-html");

namespace {

const QString HtmlType = QStringLiteral("text/html");
const QString TextType = QStringLiteral("text/plain");
const QString PngType = QStringLiteral("image/png");
const QString QtImageType = QStringLiteral("application/x-qt-image");

QString mimeTypeOf(const QByteArray &bytes)
{
    return QMimeDatabase().mimeTypeForData(bytes).name();
}

// The picture file as a data: URI other programs read: its own bytes when
// they are of a common web type, else the picture again as PNG; "" when it
// is no picture.
QString dataUri(const PictureBundle::Picture &picture)
{
    static const QStringList webTypes{PngType,
                                      QStringLiteral("image/jpeg"),
                                      QStringLiteral("image/gif"),
                                      QStringLiteral("image/bmp"),
                                      QStringLiteral("image/webp"),
                                      QStringLiteral("image/svg+xml")};
    QString type = mimeTypeOf(picture.bytes);
    QByteArray bytes = picture.bytes;
    if (!webTypes.contains(type)) {
        const TextAttachmentPointer decoded = PictureAttachment::fromBytes(picture.bytes);
        if (!decoded || decoded->image.isNull())
            return {};
        type = PngType;
        bytes = TransferData::pngBytes(decoded->image);
    }
    return QStringLiteral("data:") + type + QStringLiteral(";base64,") + QString::fromLatin1(bytes.toBase64());
}

} // namespace

TransferData::TransferData(const QTextDocumentFragment &selection, Pictures pictures, const QImage &lonePicture,
                           const Limits &limits)
    : m_selection(selection)
    , m_pictures(std::move(pictures))
    , m_lonePicture(lonePicture)
    , m_limits(limits)
{
}

QStringList TransferData::formats() const
{
    QStringList formats{ownHtmlType, HtmlType, TextType};
    if (!m_pictures.isEmpty())
        formats << PictureBundle::mimeType;
    if (!m_lonePicture.isNull())
        formats << PngType << QtImageType;
    return formats;
}

bool TransferData::hasFormat(const QString &mimeType) const
{
    return formats().contains(mimeType);
}

QVariant TransferData::retrieveData(const QString &mimeType, QMetaType type) const
{
    if (mimeType == QtImageType)
        return m_lonePicture.isNull() ? QVariant() : QVariant(m_lonePicture);
    if (!hasFormat(mimeType))
        return {};
    const QByteArray bytes = made(mimeType);
    if (type.id() == QMetaType::QString && (mimeType == HtmlType || mimeType == TextType))
        return QString::fromUtf8(bytes);
    return bytes;
}

QByteArray TransferData::made(const QString &mimeType) const
{
    auto it = m_made.constFind(mimeType);
    if (it == m_made.constEnd())
        it = m_made.insert(mimeType, make(mimeType));
    return *it;
}

QByteArray TransferData::make(const QString &mimeType) const
{
    if (mimeType == ownHtmlType)
        return m_selection.toHtml().toUtf8();
    if (mimeType == HtmlType)
        return htmlForOtherPrograms().toUtf8();
    if (mimeType == TextType)
        return m_selection.toPlainText().toUtf8();
    if (mimeType == PngType) {
        // The picture's own file when it is a PNG.
        for (const Picture &picture : m_pictures) {
            if (mimeTypeOf(picture.file.bytes) == PngType)
                return picture.file.bytes;
        }
        return pngBytes(m_lonePicture);
    }
    if (mimeType == PictureBundle::mimeType) {
        // What does not fit goes only to pastes within this program.
        PictureBundle bundle(m_limits.bundleBytes);
        for (const Picture &picture : m_pictures)
            bundle.add(picture.file);
        return bundle.pictures.isEmpty() ? QByteArray() : bundle.serialized();
    }
    return {};
}

QString TransferData::htmlForOtherPrograms() const
{
    QTextDocument copy;
    QTextCursor cursor(&copy);
    cursor.insertFragment(m_selection);
    QHash<QString, const PictureBundle::Picture *> files;
    for (const Picture &picture : m_pictures)
        files.insert(picture.file.name, &picture.file);
    const QList<PicturePlace> places = picturesIn(copy, 0, copy.characterCount());
    QHash<QString, QString> uriOf; // a picture shown again is encoded once
    QStringList uris;
    qsizetype embedded = 0;
    for (const PicturePlace &place : places) {
        const PictureBundle::Picture *file = files.value(place.format.name());
        if (!file || embedded + file->bytes.size() > m_limits.embeddedBytes) {
            uris.append(QString());
            continue;
        }
        if (!uriOf.contains(file->name))
            uriOf.insert(file->name, dataUri(*file));
        uris.append(uriOf.value(file->name));
        if (!uris.last().isEmpty())
            embedded += file->bytes.size();
    }
    // From the end, so that a picture left out leaves the places before it.
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

QByteArray TransferData::pngBytes(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}
