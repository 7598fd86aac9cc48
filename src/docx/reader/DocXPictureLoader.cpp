#include "docx/reader/DocXPictureLoader.h"

#include "textsystem/PictureAttachment.h"

#include "platform/ReadBudget.h"
#include "platform/package/PackageParts.h"
#include "platform/package/PackageRelationships.h"

#include <QBuffer>
#include <QImageReader>

#include <cmath>

DocXPictureLoader::DocXPictureLoader(const PackageParts &parts, const PackageRelationships &relationships,
                                     const QString &partName, ReadBudget &budget)
    : m_parts(parts), m_relationships(relationships), m_partName(partName), m_budget(budget)
{
}

TextAttachmentPointer DocXPictureLoader::picture(const QString &id, QSizeF size)
{
    const TextAttachmentPointer natural = decoded(id);
    if (!natural)
        return nullptr;
    const bool sized = std::isfinite(size.width()) && std::isfinite(size.height()) && size.width() > 0
        && size.height() > 0 && size.width() < 1e6 && size.height() < 1e6;
    if (!sized)
        return natural;
    // A picture shown at several sizes is several attachments sharing one image.
    auto shown = std::make_shared<TextAttachment>(*natural);
    shown->bounds = QRectF(QPointF(0, 0), size);
    return shown;
}

TextAttachmentPointer DocXPictureLoader::decoded(const QString &id)
{
    const std::optional<QString> part = m_relationships.targetPart(id, m_partName);
    if (!part)
        return nullptr;
    const QString key = part->toLower();
    if (const auto known = m_decoded.constFind(key); known != m_decoded.cend())
        return *known;
    TextAttachmentPointer attachment;
    const std::optional<qint64> size = m_parts.size(*part);
    if (size && *size <= PictureAttachment::maximumBytes) {
        if (const std::optional<QByteArray> bytes = m_parts.read(*part, nullptr)) {
            QBuffer buffer;
            buffer.setData(*bytes);
            buffer.open(QIODevice::ReadOnly);
            const QSize pixels = QImageReader(&buffer).size();
            const qint64 count = pixels.isValid() ? qint64(pixels.width()) * pixels.height() : 0;
            const qint64 memory = 4 * count + bytes->size(); // 32-bit pixels and the file kept beside them
            if (count > 0 && m_pixelsUsed + count <= pixelBudget && m_budget.fits(memory)) {
                attachment = PictureAttachment::fromBytes(*bytes);
                if (attachment) {
                    m_pixelsUsed += count;
                    m_budget.take(memory);
                }
            }
        }
    }
    m_decoded.insert(key, attachment);
    return attachment;
}
