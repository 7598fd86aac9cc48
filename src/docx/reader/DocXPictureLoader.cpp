#include "docx/reader/DocXPictureLoader.h"

#include "textsystem/PictureLimits.h"

#include "platform/package/PackageParts.h"
#include "platform/package/PackageRelationships.h"

DocXPictureLoader::DocXPictureLoader(const PackageParts &parts, const PackageRelationships &relationships,
                                     const QString &partName, ReadBudget &budget, PictureCache &pictures)
    : m_parts(parts), m_relationships(relationships), m_partName(partName), m_pictures(pictures)
{
    m_pictures.setReadBudget(&budget);
}

TextAttachmentPointer DocXPictureLoader::picture(const QString &id, QSizeF size)
{
    const std::optional<QString> part = m_relationships.targetPart(id, m_partName);
    if (!part)
        return nullptr;
    // Part names match case-insensitively in a package.
    return m_pictures.picture(part->toLower(), [this, &part]() -> std::optional<QByteArray> {
        const std::optional<qint64> size = m_parts.size(*part);
        if (!size)
            return std::nullopt;
        if (*size > PictureLimits::maximumBytes) {
            m_pictures.leaveOut(*part);
            return std::nullopt;
        }
        return m_parts.read(*part, nullptr);
    }, size);
}
