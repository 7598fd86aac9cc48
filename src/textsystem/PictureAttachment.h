#pragma once

#include "textsystem/TextAttachment.h"

#include <QByteArray>
#include <QSizeF>

// Pictures that readers take from files, decoded without trusting them: the
// header's size is checked before any pixel is allocated.
namespace PictureAttachment {

constexpr qsizetype maximumBytes = 64 * 1024 * 1024;
constexpr int maximumSide = 16384;
constexpr qint64 maximumPixels = 80'000'000;

// An attachment holding the decoded picture, the bytes and their MIME type,
// shown at `size` points (empty: natural size). Null when the bytes are no
// picture Qt can read or exceed the limits above.
TextAttachmentPointer fromBytes(const QByteArray &bytes, QSizeF size = {});

// "image/png" for "png" and the like; "application/octet-stream" otherwise.
QString mimeTypeForFormat(const QByteArray &format);

} // namespace PictureAttachment
