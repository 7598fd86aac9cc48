#include "textsystem/ImageDensity.h"

#include <QtEndian>

namespace {

constexpr double metresPerInch = 0.0254;
constexpr double centimetresPerInch = 2.54;

quint32 bigEndian32(const QByteArray &bytes, qsizetype at)
{
    return qFromBigEndian<quint32>(bytes.constData() + at);
}

quint16 bigEndian16(const QByteArray &bytes, qsizetype at)
{
    return qFromBigEndian<quint16>(bytes.constData() + at);
}

std::optional<QPointF> positiveDensity(double x, double y)
{
    if (!(x > 0) || !(y > 0))
        return std::nullopt;
    return QPointF(x, y);
}

// Chunks up to the first image data: the pHYs chunk must come before IDAT.
std::optional<QPointF> pngDensity(const QByteArray &bytes)
{
    qsizetype at = 8;
    while (at + 8 <= bytes.size()) {
        const quint32 length = bigEndian32(bytes, at);
        const QByteArray type = bytes.mid(at + 4, 4);
        const qsizetype data = at + 8;
        if (type == "IDAT" || type == "IEND" || length > quint32(bytes.size() - data))
            return std::nullopt;
        if (type == "pHYs") {
            if (length < 9 || bytes.at(data + 8) != 1) // unit 1: pixels per metre; 0: aspect ratio only
                return std::nullopt;
            return positiveDensity(bigEndian32(bytes, data) * metresPerInch,
                                   bigEndian32(bytes, data + 4) * metresPerInch);
        }
        at = data + qsizetype(length) + 4; // data and CRC
    }
    return std::nullopt;
}

std::optional<QPointF> jfifDensity(const QByteArray &bytes, qsizetype segment, qsizetype length)
{
    // "JFIF\0", version (2), units (1), x density (2), y density (2)
    if (length < 2 + 12 || bytes.mid(segment, 5) != QByteArray("JFIF\0", 5))
        return std::nullopt;
    const int units = quint8(bytes.at(segment + 7));
    const double x = bigEndian16(bytes, segment + 8);
    const double y = bigEndian16(bytes, segment + 10);
    if (units == 1)
        return positiveDensity(x, y);
    if (units == 2)
        return positiveDensity(x * centimetresPerInch, y * centimetresPerInch);
    return std::nullopt;
}

// Marker segments up to the start of the scan.
std::optional<QPointF> jpegDensity(const QByteArray &bytes)
{
    qsizetype at = 2;
    while (at + 4 <= bytes.size()) {
        if (quint8(bytes.at(at)) != 0xFF)
            return std::nullopt;
        const int marker = quint8(bytes.at(at + 1));
        if (marker == 0xFF) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) // start of scan, end of image
            return std::nullopt;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) { // no length field
            at += 2;
            continue;
        }
        const qsizetype length = bigEndian16(bytes, at + 2);
        if (length < 2 || at + 2 + length > bytes.size())
            return std::nullopt;
        if (marker == 0xE0) {
            if (const auto density = jfifDensity(bytes, at + 4, length))
                return density;
        }
        at += 2 + length;
    }
    return std::nullopt;
}

} // namespace

std::optional<QPointF> imageDotsPerInch(const QByteArray &fileBytes)
{
    if (fileBytes.startsWith("\x89PNG\r\n\x1a\n"))
        return pngDensity(fileBytes);
    if (fileBytes.startsWith("\xFF\xD8"))
        return jpegDensity(fileBytes);
    return std::nullopt;
}
