#pragma once

#include "docx/writer/PageDefinition.h"
#include "textsystem/TextAttachment.h"

#include <QSizeF>
#include <QString>
#include <QUrl>
#include <optional>

// One picture of one part: its relationship and media file, and what the
// drawing needs to size and place it.
struct ImageRelationship
{
    QString relationshipId;          // "rId7"
    QString target;                  // "media/rId7.png", relative to word/
    TextAttachmentPointer attachment; // the attachment the picture came from
    std::optional<QUrl> imageUrl;    // set when it came from an image URL
    std::optional<PageDefinition> pageDefinition;
    std::optional<double> widthFraction;
    std::optional<DocXImageAttachment::Flow> flow;
    std::optional<QString> description;

    // The relationship with the layout hints of a DocXImageAttachment.
    ImageRelationship withHints(const TextAttachment &source) const;
};
