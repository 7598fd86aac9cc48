#include "PartRelationships.h"

#include "docx/writer/DocXNamespaces.h"
#include "docx/writer/ImageMedia.h"

std::optional<PartRelationships> PartRelationships::build(const StyledText &text, const QList<TextRange> &ranges,
                                                          PackageRelationships &relationships, PackageFolder &package,
                                                          const DocXOptions &options, const QString &mediaPrefix,
                                                          QString *error)
{
    const QList<TextRange> scanned = ranges.isEmpty() ? QList<TextRange>{TextRange{0, text.length()}} : ranges;
    auto images = ImageMedia::write(text, scanned, relationships, package, options, mediaPrefix, error);
    if (!images)
        return std::nullopt;
    PartRelationships part;
    part.m_images = std::move(*images);

    QList<QUrl> urls;
    for (const TextRange range : scanned)
        text.forEachValue(range, &TextAttributes::link, [&urls](const std::optional<QUrl> &url, TextRange) {
            if (url && url->isValid() && !url->isEmpty())
                urls.append(*url);
        });
    for (qsizetype i = 0; i < urls.size(); ++i) {
        const QString id =
            relationships.add(DocXRelationshipType::hyperlink, QString::fromUtf8(urls[i].toEncoded()), true);
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
