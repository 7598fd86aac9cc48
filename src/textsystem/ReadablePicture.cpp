#include "textsystem/ReadablePicture.h"

#include "textsystem/JpegScans.h"
#include "textsystem/PngTextChunks.h"
#include "textsystem/SvgWorkload.h"

#include <QtEndian>

namespace {

// Qt's name for the format of `bytes`, found in their first bytes; this
// reads no further, whatever the format.
QByteArray formatOf(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return QImageReader(&buffer).format();
}

bool isCompressed(const QByteArray &bytes)
{
    return bytes.startsWith("\x1f\x8b");
}

// Formats whose header tells the size they decode to: a GIF by its screen,
// which may be far larger than the frame Qt's reader reports.
bool isNestable(const QByteArray &format)
{
    return format == "png" || format == "jpeg" || format == "gif" || format == "bmp" || format == "webp"
        || format == "svg";
}

QSize gifScreen(const QByteArray &gif)
{
    if (gif.size() < 10)
        return {};
    return QSize(qFromLittleEndian<quint16>(gif.constData() + 6), qFromLittleEndian<quint16>(gif.constData() + 8));
}

} // namespace

ReadablePicture::ReadablePicture(const QByteArray &file, qint64 memory) : ReadablePicture(file, memory, 0) {}

ReadablePicture::ReadablePicture(const QByteArray &file, qint64 memory, int depth)
    : m_memory(memory), m_depth(depth)
{
    if (file.isEmpty() || isCompressed(file))
        return;
    m_format = formatOf(file);
    if (m_format == "svg" && depth > maximumNesting)
        refuse();
    else if (m_format == "svg")
        clean(file);
    else if (m_format == "png")
        m_bytes = PngTextChunks::without(file);
    else if (m_format == "jpeg" && JpegScans::scanPixels(file) > JpegScans::maximumScanPixels)
        refuse();
    else if (m_format != "svgz")
        m_bytes = file;
    if (m_bytes.isEmpty()) {
        if (!m_tooLarge)
            m_format.clear();
        return;
    }
    m_buffer.setData(m_bytes);
    m_buffer.open(QIODevice::ReadOnly);
    m_reader.setDevice(&m_buffer);
    m_reader.setFormat(m_format);
    m_reader.setAutoDetectImageFormat(false); // the bytes were made readable as this format only
}

void ReadablePicture::refuse()
{
    m_tooLarge = true;
    m_bytes.clear();
}

void ReadablePicture::clean(const QByteArray &svg)
{
    const SvgCleaner::Result cleaned =
        SvgCleaner::cleaned(svg, [this](const QByteArray &bytes) { return nested(bytes); });
    if (cleaned.refused)
        refuse();
    else
        m_bytes = cleaned.svg;
}

SvgCleaner::NestedPicture ReadablePicture::nested(const QByteArray &bytes)
{
    const SvgCleaner::NestedPicture refused{{}, true};
    if (++m_nestedPictures > maximumNestedPictures)
        return refused;
    ReadablePicture inner(bytes, m_memory - m_nestedCost, m_depth + 1);
    if (inner.isTooLarge())
        return refused;
    if (!inner.reader() || !isNestable(inner.format()))
        return {};
    qint64 elements = 0;
    if (inner.format() == "svg") {
        elements = SvgWorkload::drawnElements(inner.bytes()) + inner.nestedElements();
        if (elements > SvgWorkload::maximumDrawnElements)
            return refused;
    }
    // Qt draws a picture an SVG holds once, at the size it claims.
    QSize pixels = inner.reader()->size();
    if (inner.format() == "gif")
        pixels = pixels.expandedTo(gifScreen(bytes));
    if (!pixels.isValid() || pixels.isEmpty())
        return {};
    if (!PictureLimits::allows(pixels) || elements * pixels.width() * pixels.height() > SvgWorkload::maximumDrawnPixels)
        return refused;
    const qint64 cost = 4 * qint64(pixels.width()) * pixels.height() + inner.nestedCost();
    if (cost > m_memory - m_nestedCost)
        return refused;
    m_nestedCost += cost;
    m_nestedElements += elements;
    return {inner.bytes(), false};
}
