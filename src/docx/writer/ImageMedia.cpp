#include "ImageMedia.h"

#include "docx/writer/DocXNamespaces.h"
#include "platform/FileBytes.h"
#include "textsystem/PictureDecoder.h"
#include "textsystem/ReadablePicture.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QMimeDatabase>
#include <QSet>

namespace ImageMedia {

namespace {

bool isBitmapExtension(const QString &extension)
{
    return extension == QLatin1String("gif") || extension == QLatin1String("jpeg")
           || extension == QLatin1String("png") || extension == QLatin1String("tiff");
}

// The decoded size of a picture must stay within Qt's allocation limit, which
// QImageReader also applies when it decodes.
bool fitsAllocationLimit(QSize size)
{
    if (!size.isValid() || size.isEmpty())
        return false;
    const qint64 limitBytes = qint64(QImageReader::allocationLimit()) * 1024 * 1024;
    return limitBytes <= 0 || qint64(size.width()) * size.height() * 4 <= limitBytes;
}

bool headerDecodes(const QByteArray &bytes)
{
    ReadablePicture readable(bytes);
    return readable.reader() && readable.reader()->canRead() && fitsAllocationLimit(readable.reader()->size());
}

std::optional<QByteArray> pngBytes(const QImage &image)
{
    if (image.isNull())
        return std::nullopt;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image))
        return std::nullopt;
    return bytes;
}

struct Picture
{
    TextAttachmentPointer attachment;
    std::optional<QUrl> url;
};

QList<Picture> collectPictures(const StyledText &text, const QList<TextRange> &ranges)
{
    QList<Picture> pictures;
    QSet<const TextAttachment *> seenAttachments;
    for (const TextRange range : ranges)
        text.forEachValue(range, &TextAttributes::attachment, [&](const TextAttachmentPointer &attachment, TextRange) {
            if (attachment && !seenAttachments.contains(attachment.get())) {
                seenAttachments.insert(attachment.get());
                pictures.append({attachment, std::nullopt});
            }
        });
    QSet<QUrl> seenUrls;
    for (const TextRange range : ranges)
        text.forEachValue(range, &TextAttributes::imageUrl, [&](const std::optional<QUrl> &url, TextRange) {
            if (!url || seenUrls.contains(*url))
                return;
            seenUrls.insert(*url);
            if (TextAttachmentPointer attachment = attachmentForUrl(*url))
                pictures.append({attachment, url});
        });
    return pictures;
}

} // namespace

std::optional<QString> fileExtension(const QString &mimeType)
{
    static const std::pair<QLatin1String, QLatin1String> table[] = {
        {QLatin1String("image/gif"), QLatin1String("gif")},
        {QLatin1String("image/jpeg"), QLatin1String("jpeg")},
        {QLatin1String("image/png"), QLatin1String("png")},
        {QLatin1String("image/tiff"), QLatin1String("tiff")},
        {QLatin1String("application/pdf"), QLatin1String("pdf")},
        {QLatin1String("image/vnd.adobe.photoshop"), QLatin1String("psd")},
    };
    for (const auto &[type, extension] : table)
        if (mimeType.compare(type, Qt::CaseInsensitive) == 0)
            return QString(extension);
    return std::nullopt;
}

std::optional<MediaFile> mediaFile(const TextAttachment &attachment)
{
    if (!attachment.contents.isEmpty()) {
        if (const auto extension = fileExtension(attachment.fileType)) {
            if (!isBitmapExtension(*extension) || headerDecodes(attachment.contents))
                return MediaFile{attachment.contents, *extension};
            return std::nullopt;
        }
    }
    // The picture the text keeps; bytes that were never decoded (a linked
    // file's) are decoded within the same limits as every reader's pictures.
    QImage image = attachment.image;
    if (image.isNull() && !attachment.contents.isEmpty())
        image = PictureDecoder::decode(attachment.contents).image;
    if (const auto png = pngBytes(image))
        return MediaFile{*png, QStringLiteral("png")};
    return std::nullopt;
}

TextAttachmentPointer attachmentForUrl(const QUrl &url)
{
    if (!url.isLocalFile())
        return nullptr;
    const QFileInfo info(url.toLocalFile());
    std::optional<QByteArray> contents = FileBytes::read(info.absoluteFilePath(), maxImageFileSize, nullptr);
    if (!contents || contents->isEmpty())
        return nullptr;
    auto attachment = std::make_shared<TextAttachment>();
    attachment->contents = std::move(*contents);
    attachment->fileType = QMimeDatabase().mimeTypeForFileNameAndData(info.fileName(), attachment->contents).name();
    attachment->fileName = info.fileName();
    return attachment;
}

std::optional<QList<ImageRelationship>> write(const StyledText &text, const QList<TextRange> &ranges,
                                              PackageRelationships &relationships, PackageFolder &package,
                                              const DocXOptions &options, const QString &prefix, QString *error)
{
    QList<ImageRelationship> result;
    for (const Picture &picture : collectPictures(text, ranges)) {
        const auto media = mediaFile(*picture.attachment);
        if (!media)
            continue;
        const QString id = relationships.nextFreeId();
        const QString fileName = prefix + id + u'.' + media->extension;
        // A picture cut short on a full disk must not pass for a saved one.
        if (!package.writePart(QStringLiteral("word/media/") + fileName, media->bytes, error))
            return std::nullopt;
        relationships.add(DocXRelationshipType::image, QStringLiteral("media/") + fileName);
        ImageRelationship relationship;
        relationship.relationshipId = id;
        relationship.target = QStringLiteral("media/") + fileName;
        relationship.attachment = picture.attachment;
        relationship.imageUrl = picture.url;
        relationship.pageDefinition = options.pageDefinition;
        result.append(relationship);
    }
    return result;
}

} // namespace ImageMedia
