#pragma once

#include "textsystem/PictureCache.h"
#include "textsystem/TextAttachment.h"

#include <QSizeF>
#include <QString>

class PackageParts;
class PackageRelationships;
class ReadBudget;

// The pictures one part of a package shows, by relationship id: read from
// the part the relationship names (never an external target), and decoded
// through the document's PictureCache, once each however often they are
// shown and within its budget.
class DocXPictureLoader
{
public:
    // Pictures are decoded through `pictures`, the document's; while this
    // lives, they and their bytes are also taken from `budget`, the whole
    // read's. A picture that does not fit is left out.
    DocXPictureLoader(const PackageParts &parts, const PackageRelationships &relationships, const QString &partName,
                      ReadBudget &budget, PictureCache &pictures);
    ~DocXPictureLoader() { m_pictures.setReadBudget(nullptr); }
    DocXPictureLoader(const DocXPictureLoader &) = delete;
    DocXPictureLoader &operator=(const DocXPictureLoader &) = delete;

    // The picture of relationship `id` shown at `size` points (empty: its
    // natural size); null when the id dangles, leaves the package or names
    // no picture that can be decoded within the limits.
    TextAttachmentPointer picture(const QString &id, QSizeF size);

private:
    const PackageParts &m_parts;
    const PackageRelationships &m_relationships;
    QString m_partName;
    PictureCache &m_pictures;
};
