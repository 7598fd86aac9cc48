#include "textsystem/PictureCache.h"

#include "textsystem/PictureAttachment.h"

#include "platform/ReadBudget.h"

#include <cmath>

namespace {

bool isShowable(QSizeF size)
{
    return std::isfinite(size.width()) && std::isfinite(size.height()) && size.width() > 0 && size.height() > 0
        && size.width() < 1e6 && size.height() < 1e6;
}

TextAttachmentPointer shownAt(const TextAttachmentPointer &natural, QSizeF size)
{
    if (!natural || !isShowable(size))
        return natural;
    // A picture shown at several sizes is several attachments sharing one image.
    auto shown = std::make_shared<TextAttachment>(*natural);
    shown->bounds = QRectF(QPointF(0, 0), size);
    return shown;
}

} // namespace

TextAttachmentPointer PictureCache::picture(const QByteArray &bytes, QSizeF size, const QString &name)
{
    return shownAt(decoded(bytes, size, name), size);
}

TextAttachmentPointer PictureCache::picture(const QString &name,
                                            const std::function<std::optional<QByteArray>()> &read, QSizeF size)
{
    auto known = m_named.constFind(name);
    if (known == m_named.cend()) {
        const std::optional<QByteArray> bytes = read();
        known = m_named.insert(name, bytes ? decoded(*bytes, size, name) : nullptr);
    }
    return shownAt(*known, size);
}

// What a decode of `bytes` may take: the rest of this budget and, when the
// read has one, of the read's (which also keeps the bytes).
qint64 PictureCache::room(const QByteArray &bytes) const
{
    qint64 left = m_budget - m_used;
    if (m_readBudget)
        left = qMin(left, m_readBudget->limit() - m_readBudget->used() - bytes.size());
    return left;
}

void PictureCache::recordLeftOut(const QString &name, const QByteArray &format)
{
    ++m_leftOutCount;
    if (m_leftOutNames.size() >= namedLeftOut)
        return;
    // A package part or a path: its file name is enough to find it.
    const QString fileName = name.section(QLatin1Char('/'), -1);
    const QString shown = !fileName.isEmpty() ? fileName
        : !format.isEmpty()                   ? QStringLiteral("%1 picture").arg(QString::fromLatin1(format.toUpper()))
                                              : QStringLiteral("picture");
    if (!m_leftOutNames.contains(shown))
        m_leftOutNames << shown;
}

TextAttachmentPointer PictureCache::decoded(const QByteArray &bytes, QSizeF size, const QString &name)
{
    if (bytes.isEmpty())
        return nullptr;
    if (const auto known = m_decoded.constFind(bytes); known != m_decoded.cend())
        return *known;
    const qint64 left = room(bytes);
    const PictureDecoder::Decoded picture =
        PictureDecoder::decode(bytes, isShowable(size) ? size : QSizeF(), qMin(left, PictureLimits::maximumDecodedBytes));
    TextAttachmentPointer attachment = PictureAttachment::attachmentFor(picture, bytes);
    if (picture.tooLarge)
        recordLeftOut(name, picture.format);
    if (attachment) {
        // Charged as decoded: a wide picture's decode takes time and memory
        // by its full size, though only its 8-bit copy is kept.
        m_used += picture.cost;
        if (m_readBudget)
            m_readBudget->take(picture.cost + bytes.size());
    }
    m_decoded.insert(bytes, attachment);
    return attachment;
}
