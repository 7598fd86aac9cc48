#pragma once

#include "docx/writer/DocXOptions.h"
#include "docx/writer/ImageRelationship.h"
#include "platform/package/PackageFolder.h"
#include "platform/package/PackageRelationships.h"
#include "textsystem/StyledText.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QUrl>
#include <optional>

// The hyperlink and image relationships of one part (the main document or a
// notes part), which its paragraphs resolve links and pictures against.
class PartRelationships
{
public:
    struct Link
    {
        QString relationshipId;
        QUrl url;
    };

    PartRelationships() = default;

    // Writes the media of `ranges` of `text` (all of it when empty) into
    // `package` and adds its image relationships, then one hyperlink
    // relationship per link (one per maximal range of an equal URL), numbered
    // after the images, to `relationships`. Nothing, with *error, when a
    // media file cannot be written.
    static std::optional<PartRelationships> build(const StyledText &text, const QList<TextRange> &ranges,
                                                  PackageRelationships &relationships, PackageFolder &package,
                                                  const DocXOptions &options, const QString &mediaPrefix,
                                                  QString *error);

    // The first relationship of this URL, or nothing.
    std::optional<QString> linkId(const QUrl &url) const;
    // The first image relationship of this attachment (by identity).
    const ImageRelationship *image(const TextAttachment *attachment) const;
    // The first image relationship made from this image URL.
    const ImageRelationship *imageForUrl(const QUrl &url) const;

    const QList<Link> &links() const { return m_links; }
    const QList<ImageRelationship> &images() const { return m_images; }

private:
    QList<Link> m_links;
    QList<ImageRelationship> m_images;
    QHash<QUrl, QString> m_firstLinkId;
    QHash<const TextAttachment *, qsizetype> m_firstImageOfAttachment;
    QHash<QUrl, qsizetype> m_firstImageOfUrl;
};
