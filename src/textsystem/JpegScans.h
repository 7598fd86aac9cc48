#pragma once

#include <QByteArray>
#include <QtGlobal>

// What decoding a JPEG file costs in passes over its pixels. A progressive
// JPEG is drawn in scans, and the decoder passes over the whole picture in
// each; nothing bounds their number, so a few kilobytes of scans that each
// add nothing can keep a decoder busy for minutes. Read from the file's
// markers before anything decodes it.
namespace JpegScans {

// A picture of the largest allowed size in twenty scans, or a smaller one
// in proportionally more: far beyond the ten or so of real progressive files.
constexpr qint64 maximumScanPixels = 80'000'000LL * 20;

// The scans (start-of-scan markers) of `bytes` times the pixels its frame
// header gives; 0 when `bytes` is no JPEG. A frame whose height comes later
// in the file (height 0) is taken as the highest a JPEG can be. The walk
// stops at the end of the image or at damaged markers, counting what came
// before.
qint64 scanPixels(const QByteArray &bytes);

} // namespace JpegScans
