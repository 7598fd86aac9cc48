#pragma once

#include "platform/XmlElement.h"
#include "platform/package/PackageFolder.h"
#include "platform/package/PackageRelationships.h"
#include "textsystem/TextAttachment.h"

#include <QHash>
#include <QList>
#include <optional>

// The pictures of the converter's main part: each attachment shown becomes a
// media file "word/media/imageN.<ext>" with an image relationship, once per
// attachment however often the text shows it.
class OfficeOpenXmlPictures
{
public:
    explicit OfficeOpenXmlPictures(PackageRelationships &relationships) : m_relationships(relationships) {}

    // The w:r holding the inline drawing of `attachment`, at its bounds when
    // they are set, else at its natural size; nothing when it holds no
    // picture or has no size.
    std::optional<XmlElement> drawingRun(const TextAttachmentPointer &attachment);

    // The extensions of the media files, for the content types.
    QList<QString> extensions() const;

    // Writes the media files into `package`; false with *error.
    bool writeMedia(PackageFolder &package, QString *error) const;

private:
    struct Media
    {
        QString relationshipId;
        QString fileName;
        QByteArray bytes;
    };

    // The media of `attachment`, made on first use; null when it has no picture.
    const Media *media(const TextAttachmentPointer &attachment);

    PackageRelationships &m_relationships;
    QList<Media> m_media;
    QHash<const TextAttachment *, qsizetype> m_mediaOfAttachment; // -1: no picture
    qint64 m_nextDrawingId = 1;
};
