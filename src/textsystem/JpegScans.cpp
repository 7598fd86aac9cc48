#include "textsystem/JpegScans.h"

#include <QtEndian>

#include <cstring>

namespace {

constexpr uchar startOfImage = 0xD8;
constexpr uchar endOfImage = 0xD9;
constexpr uchar startOfScan = 0xDA;
constexpr quint16 highestSide = 0xFFFF;

// Markers standing alone, without a length: restarts, the temporary marker
// and the start of the image.
bool standsAlone(uchar marker)
{
    return (marker >= 0xD0 && marker <= startOfImage) || marker == 0x01;
}

// Start-of-frame markers: C0 to CF but for the table markers C4, C8 and CC.
bool isFrameHeader(uchar marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// The first byte past a scan's coded data at `at`: the 0xFF of the next marker
// that is neither a stuffed zero nor a restart, else the end.
qsizetype afterCodedData(const QByteArray &bytes, qsizetype at)
{
    const char *data = bytes.constData();
    while (at + 1 < bytes.size()) {
        const void *found = std::memchr(data + at, 0xFF, size_t(bytes.size() - at - 1));
        if (!found)
            return bytes.size();
        at = static_cast<const char *>(found) - data;
        const uchar next = uchar(data[at + 1]);
        if (next != 0x00 && !(next >= 0xD0 && next <= 0xD7) && next != 0xFF)
            return at;
        ++at;
    }
    return bytes.size();
}

} // namespace

namespace JpegScans {

qint64 scanPixels(const QByteArray &bytes)
{
    if (bytes.size() < 4 || uchar(bytes.at(0)) != 0xFF || uchar(bytes.at(1)) != startOfImage)
        return 0;
    qint64 pixels = 0;
    qint64 scans = 0;
    qsizetype at = 2;
    while (at + 2 <= bytes.size() && uchar(bytes.at(at)) == 0xFF) {
        const uchar marker = uchar(bytes.at(at + 1));
        at += marker == 0xFF ? 1 : 2; // fill bytes may precede a marker
        if (marker == 0xFF || standsAlone(marker))
            continue;
        if (marker == endOfImage || at + 2 > bytes.size())
            break;
        const quint16 length = qFromBigEndian<quint16>(bytes.constData() + at);
        if (length < 2 || length > bytes.size() - at)
            break;
        if (isFrameHeader(marker) && length >= 7) {
            const quint16 height = qFromBigEndian<quint16>(bytes.constData() + at + 3);
            const quint16 width = qFromBigEndian<quint16>(bytes.constData() + at + 5);
            pixels = qMax(pixels, qint64(width) * (height == 0 ? highestSide : height));
        }
        at += length;
        if (marker == startOfScan) {
            ++scans;
            at = afterCodedData(bytes, at);
        }
    }
    return scans * pixels;
}

} // namespace JpegScans
