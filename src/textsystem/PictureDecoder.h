#pragma once

#include "textsystem/PictureLimits.h"

#include <QByteArray>
#include <QImage>
#include <QSizeF>

// Pictures that readers take from files, decoded without trusting them,
// within PictureLimits. A header can understate what decoding takes (a GIF's
// first frame inside a far larger screen, an icon whose directory says 1 × 1
// around a large PNG), so the decoder itself is held to a memory limit, and
// what it made is measured after. Pictures wider than 8 bits a channel are
// kept at 8. SVG is drawn once, at the size it is shown (fewer pixels for a
// drawing of many elements), and only when its drawing stays within
// SvgWorkload's bounds. The bytes reach Qt's reader through ReadablePicture.
//
// Decoding sets Qt's image reader allocation limit, which is global, for its
// own duration: call it from the GUI thread only (every reader runs there).
namespace PictureDecoder {

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
// either way at most PictureLimits::maximumVectorSide on a side and within
// SvgWorkload::rasterSize.
Decoded decode(const QByteArray &bytes, QSizeF shownSize = {}, qint64 memory = PictureLimits::maximumDecodedBytes);

} // namespace PictureDecoder
