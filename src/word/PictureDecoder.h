#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// Decodes pictures that come from outside (pasted, dropped, chosen, data:
// URIs) without trusting them: the header's size is checked before any
// pixel is allocated, so a picture too large to decode gives a null image.
namespace PictureDecoder {

constexpr qsizetype MaximumBytes = 64 * 1024 * 1024;
constexpr int MaximumSide = 16384;
constexpr qint64 MaximumPixels = 80'000'000;

// The decoded picture, or a null image when the bytes are no picture Qt can
// read, exceed MaximumBytes, or state a size beyond the limits.
QImage decode(const QByteArray &bytes);

// The bytes of a "data:" URI with base64 or percent-encoded payload, or an
// empty array when `uri` is not one or is larger than MaximumBytes.
QByteArray dataUriBytes(const QString &uri);

} // namespace PictureDecoder
