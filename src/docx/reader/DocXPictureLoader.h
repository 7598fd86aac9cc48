#pragma once

#include "textsystem/TextAttachment.h"

#include <QHash>
#include <QSizeF>
#include <QString>

class PackageParts;
class PackageRelationships;
class ReadBudget;

// The pictures one part of a package shows, by relationship id: read from
// the part the relationship names (never an external target), decoded once
// however often they are shown, and within a budget of pixels for the whole
// document so that many large pictures cannot exhaust memory.
class DocXPictureLoader
{
public:
    // Pixels of all decoded pictures together; pictures past it are left out.
    static constexpr qint64 pixelBudget = 160'000'000;

    // The decoded pictures and their bytes are also taken from `budget`, the
    // whole read's; a picture that does not fit is left out.
    DocXPictureLoader(const PackageParts &parts, const PackageRelationships &relationships, const QString &partName,
                      ReadBudget &budget);

    // The picture of relationship `id` shown at `size` points (empty: its
    // natural size); null when the id dangles, leaves the package or names
    // no picture that can be decoded within the limits.
    TextAttachmentPointer picture(const QString &id, QSizeF size);

private:
    TextAttachmentPointer decoded(const QString &id);

    const PackageParts &m_parts;
    const PackageRelationships &m_relationships;
    QString m_partName;
    ReadBudget &m_budget;
    QHash<QString, TextAttachmentPointer> m_decoded; // by part name; null for a failure
    qint64 m_pixelsUsed = 0;
};
