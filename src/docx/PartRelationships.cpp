#include "PartRelationships.h"

#include "docx/DocXNamespaces.h"
#include "docx/ImageMedia.h"
#include "docx/PackageRelationships.h"

PartRelationships PartRelationships::build(const StyledText &text, const QList<TextRange> &ranges,
                                           XmlElement &relationships, const QString &mediaFolder,
                                           const DocXOptions &options, const QString &mediaPrefix)
{
    const QList<TextRange> scanned = ranges.isEmpty() ? QList<TextRange>{TextRange{0, text.length()}} : ranges;
    PartRelationships part;
    part.m_images = ImageMedia::write(text, scanned, relationships, mediaFolder, options, mediaPrefix);

    QList<QUrl> urls;
    for (const TextRange range : scanned)
        text.forEachValue(range, &TextAttributes::link, [&urls](const std::optional<QUrl> &url, TextRange) {
            if (url && url->isValid() && !url->isEmpty())
                urls.append(*url);
        });
    const qint64 highest = PackageRelationships::highestId(relationships);
    for (qsizetype i = 0; i < urls.size(); ++i) {
        const QString id = PackageRelationships::idText(highest + 1 + i);
        relationships.addChild(QStringLiteral("Relationship"), std::nullopt,
                               {{QStringLiteral("Id"), id},
                                {QStringLiteral("Type"), DocXRelationshipType::hyperlink},
                                {QStringLiteral("Target"), QString::fromUtf8(urls[i].toEncoded())},
                                {QStringLiteral("TargetMode"), QStringLiteral("External")}});
        part.m_links.append({id, urls[i]});
        if (!part.m_firstLinkId.contains(urls[i]))
            part.m_firstLinkId.insert(urls[i], id);
    }
    for (qsizetype i = part.m_images.size() - 1; i >= 0; --i) {
        const ImageRelationship &image = part.m_images[i];
        if (image.imageUrl)
            part.m_firstImageOfUrl.insert(*image.imageUrl, i);
        else
            part.m_firstImageOfAttachment.insert(image.attachment.get(), i);
    }
    return part;
}

std::optional<QString> PartRelationships::linkId(const QUrl &url) const
{
    const auto found = m_firstLinkId.constFind(url);
    return found == m_firstLinkId.constEnd() ? std::nullopt : std::optional<QString>(*found);
}

const ImageRelationship *PartRelationships::image(const TextAttachment *attachment) const
{
    const auto found = m_firstImageOfAttachment.constFind(attachment);
    return found == m_firstImageOfAttachment.constEnd() ? nullptr : &m_images[*found];
}

const ImageRelationship *PartRelationships::imageForUrl(const QUrl &url) const
{
    const auto found = m_firstImageOfUrl.constFind(url);
    return found == m_firstImageOfUrl.constEnd() ? nullptr : &m_images[*found];
}
