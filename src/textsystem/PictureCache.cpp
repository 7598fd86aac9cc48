#include "textsystem/PictureCache.h"

#include "textsystem/PictureAttachment.h"

#include <QBuffer>
#include <QImageReader>

#include <cmath>

namespace {

qint64 headerPixels(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const QSize pixels = QImageReader(&buffer).size();
    return pixels.isValid() ? qint64(pixels.width()) * pixels.height() : 0;
}

bool isShowable(QSizeF size)
{
    return std::isfinite(size.width()) && std::isfinite(size.height()) && size.width() > 0 && size.height() > 0
        && size.width() < 1e6 && size.height() < 1e6;
}

} // namespace

TextAttachmentPointer PictureCache::picture(const QByteArray &bytes, QSizeF size)
{
    const TextAttachmentPointer natural = decoded(bytes);
    if (!natural || !isShowable(size))
        return natural;
    // A picture shown at several sizes is several attachments sharing one image.
    auto shown = std::make_shared<TextAttachment>(*natural);
    shown->bounds = QRectF(QPointF(0, 0), size);
    return shown;
}

TextAttachmentPointer PictureCache::decoded(const QByteArray &bytes)
{
    if (bytes.isEmpty() || bytes.size() > PictureAttachment::maximumBytes)
        return nullptr;
    if (const auto known = m_decoded.constFind(bytes); known != m_decoded.cend())
        return *known;
    TextAttachmentPointer attachment;
    const qint64 pixels = headerPixels(bytes);
    if (pixels > 0 && m_pixelsUsed + pixels <= m_budget) {
        attachment = PictureAttachment::fromBytes(bytes);
        if (attachment)
            m_pixelsUsed += pixels;
    }
    m_decoded.insert(bytes, attachment);
    return attachment;
}
