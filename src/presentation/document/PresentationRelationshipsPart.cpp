#include "PresentationRelationshipsPart.h"

#include "PptxNames.h"
#include "platform/package/FixedPartText.h"
#include "platform/package/PackageRelationships.h"

#include <QStringList>

namespace PresentationRelationshipsPart {

QString text(qsizetype slideCount)
{
    QStringList entries;
    entries.reserve(slideCount);
    for (qsizetype n = 1; n <= slideCount; ++n) {
        entries.append(FixedPartText::emptyTag(QStringLiteral("Relationship"),
                                               {{QStringLiteral("Id"), PptxNames::relationshipId(n)},
                                                {QStringLiteral("Type"), PptxNames::slideType},
                                                {QStringLiteral("Target"), PptxNames::slideTarget(n)}}));
    }
    FixedPartText part(QStringLiteral("Relationships"), PackageRelationships::xmlns);
    part.line(4, entries.join(u'\n'));
    return part.finish();
}

} // namespace PresentationRelationshipsPart
