#pragma once

#include "textsystem/TextAttachment.h"

#include <QByteArray>
#include <QImage>
#include <QSizeF>

// Pictures that readers take from files, decoded without trusting them. A
// header can understate what decoding takes (a GIF's first frame inside a
// far larger screen, an icon whose directory says 1 × 1 around a large
// PNG), so the decoder itself is held to a memory limit, and what it made is
// measured after. Pictures wider than 8 bits a channel are kept at 8.
// SVG is drawn once, at the size it is shown (fewer pixels for a drawing of
// many elements), and only when its drawing stays within SvgWorkload's bounds.
//
// Decoding sets Qt's image reader allocation limit, which is global, for its
// own duration: call it from the GUI thread only (every reader runs there).
namespace PictureAttachment {

constexpr qsizetype maximumBytes = 64 * 1024 * 1024;
constexpr int maximumSide = 16384;
constexpr qint64 maximumPixels = 80'000'000;
// The memory one decode may take unless its caller allows less.
constexpr qint64 maximumDecodedBytes = 4 * maximumPixels;
// Vector pictures are drawn at most this many pixels on a side.
constexpr int maximumVectorSide = 4096;

struct Decoded
{
    QImage image;        // null when the bytes could not be decoded within the limits
    QByteArray format;   // the reader's name for the file's format ("png", "svg")
    QSizeF naturalSize;  // a vector picture's own size when drawn smaller; else empty
    qint64 cost = 0;     // the bytes the decoder made: a wide picture's before it became 8-bit
    bool tooLarge = false; // null because showing it would pass the limits, not because it is no picture
};

// The picture in `bytes`, decoding in at most `memory` bytes (the decoder's
// buffers and, for a wide picture, its 8-bit copy). A vector picture is
// drawn at `shownSize` pixels when that is given, else at its own size,
// either way at most maximumVectorSide on a side and within
// SvgWorkload::rasterSize.
Decoded decode(const QByteArray &bytes, QSizeF shownSize = {}, qint64 memory = maximumDecodedBytes);

// An attachment holding `decoded`'s image, `bytes` and their MIME type, at
// its natural size (bounds empty, except for a vector picture drawn smaller
// than its own size). Null for a null image.
TextAttachmentPointer attachmentFor(const Decoded &decoded, const QByteArray &bytes);

// An attachment holding the decoded picture, the bytes and their MIME type,
// shown at `size` points (empty: natural size). Null when the bytes are no
// picture Qt can read or exceed the limits above.
TextAttachmentPointer fromBytes(const QByteArray &bytes, QSizeF size = {}, qint64 memory = maximumDecodedBytes);

// "image/png" for "png" and the like; "application/octet-stream" otherwise.
QString mimeTypeForFormat(const QByteArray &format);

} // namespace PictureAttachment
