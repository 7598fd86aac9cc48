#include "textsystem/ReadablePicture.h"

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

} // namespace

ReadablePicture::ReadablePicture(const QByteArray &file)
{
    if (file.isEmpty() || isCompressed(file))
        return;
    m_format = formatOf(file);
    if (m_format == "svg")
        m_bytes = SvgCleaner::cleaned(file, [this](const QByteArray &bytes) { return nested(bytes); }).svg;
    else if (m_format != "svgz")
        m_bytes = file;
    if (m_bytes.isEmpty()) {
        m_format.clear();
        return;
    }
    m_buffer.setData(m_bytes);
    m_buffer.open(QIODevice::ReadOnly);
    m_reader.setDevice(&m_buffer);
    m_reader.setFormat(m_format);
}

SvgCleaner::NestedPicture ReadablePicture::nested(const QByteArray &bytes)
{
    const ReadablePicture inner(bytes);
    return {inner.bytes(), false};
}
