#pragma once

#include <QSize>
#include <QtGlobal>

// What one picture of a document may be: every reader of pictures holds
// them to these, before and while decoding.
namespace PictureLimits {

constexpr qsizetype maximumBytes = 64 * 1024 * 1024;
constexpr int maximumSide = 16384;
constexpr qint64 maximumPixels = 80'000'000;
// The memory one decode may take unless its caller allows less.
constexpr qint64 maximumDecodedBytes = 4 * maximumPixels;
// Vector pictures are drawn at most this many pixels on a side.
constexpr int maximumVectorSide = 4096;

// True for a size a picture may have: neither side nor the pixels past the limits.
inline bool allows(QSize pixels)
{
    return pixels.isValid() && !pixels.isEmpty() && pixels.width() <= maximumSide && pixels.height() <= maximumSide
        && qint64(pixels.width()) * pixels.height() <= maximumPixels;
}

} // namespace PictureLimits
