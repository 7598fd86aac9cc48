#pragma once

#include "textsystem/PictureDecoder.h"
#include "textsystem/TextAttachment.h"

#include <QByteArray>
#include <QSizeF>
#include <QString>

// Attachments holding pictures that readers take from files, decoded by
// PictureDecoder.
namespace PictureAttachment {

// An attachment holding `decoded`'s image, `bytes` and their MIME type, at
// its natural size (bounds empty, except for a vector picture drawn smaller
// than its own size). Null for a null image.
TextAttachmentPointer attachmentFor(const PictureDecoder::Decoded &decoded, const QByteArray &bytes);

// An attachment holding the decoded picture, the bytes and their MIME type,
// shown at `size` points (empty: natural size). Null when the bytes are no
// picture Qt can read or exceed the limits.
TextAttachmentPointer fromBytes(const QByteArray &bytes, QSizeF size = {},
                                qint64 memory = PictureLimits::maximumDecodedBytes);

// "image/png" for "png" and the like; "application/octet-stream" otherwise.
QString mimeTypeForFormat(const QByteArray &format);

} // namespace PictureAttachment
