#pragma once

#include "docx/writer/DocXOptions.h"
#include "docx/writer/ImageRelationship.h"
#include "platform/package/PackageFolder.h"
#include "platform/package/PackageRelationships.h"
#include "textsystem/StyledText.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

// The pictures of a part: each attachment and image URL of the text becomes a
// media file and an image relationship.
namespace ImageMedia {

// Image URLs larger than this are not read.
constexpr qint64 maxImageFileSize = qint64(64) * 1024 * 1024;

// The file extension of a picture's MIME type: gif, jpeg, png, tiff, pdf,
// psd; nothing for any other type.
std::optional<QString> fileExtension(const QString &mimeType);

struct MediaFile
{
    QByteArray bytes;
    QString extension;
};

// The bytes to store for an attachment: its contents unchanged when their
// type is known (and, for a bitmap type, its header decodes within the image
// allocation limit); otherwise its picture as PNG: the image it keeps, else
// its contents decoded by PictureDecoder::decode. Nothing when there is no
// picture to store.
std::optional<MediaFile> mediaFile(const TextAttachment &attachment);

// An attachment for the local regular file an image URL names (at most
// maxImageFileSize bytes); nothing for other URLs or unreadable files.
TextAttachmentPointer attachmentForUrl(const QUrl &url);

// Writes the media files of the pictures in `ranges` of `text` into
// word/media of `package` as <prefix>rIdN.<ext> and adds their relationships
// (ids after the highest present) to `relationships`. Attachments come
// first, then image URLs, each in text order; an attachment or URL met again
// is stored once, and a picture that has nothing to store is skipped. A media
// file that cannot be written fails the whole part: nothing, with *error.
std::optional<QList<ImageRelationship>> write(const StyledText &text, const QList<TextRange> &ranges,
                                              PackageRelationships &relationships, PackageFolder &package,
                                              const DocXOptions &options, const QString &prefix, QString *error);

} // namespace ImageMedia
