#include "PresentationRelationshipsPart.h"

#include "FixedTextPart.h"
#include "PptxNames.h"

#include <QStringList>

namespace PresentationRelationshipsPart {

QString text(qsizetype slideCount)
{
    QStringList entries;
    entries.reserve(slideCount);
    for (qsizetype n = 1; n <= slideCount; ++n) {
        entries.append(FixedTextPart::emptyElement(QStringLiteral("Relationship"),
                                                   {{QStringLiteral("Id"), PptxNames::relationshipId(n)},
                                                    {QStringLiteral("Type"), PptxNames::slideType},
                                                    {QStringLiteral("Target"), PptxNames::slideTarget(n)}}));
    }
    FixedTextPart part(QStringLiteral("Relationships"),
                       {{QStringLiteral("xmlns"), PptxNames::packageRelationshipsNamespace}});
    part.line(4, entries.join(u'\n'));
    return part.finish();
}

} // namespace PresentationRelationshipsPart
