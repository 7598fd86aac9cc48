#include "PackageRelationshipsPart.h"

#include "FixedTextPart.h"
#include "PptxNames.h"

namespace PackageRelationshipsPart {

QString text()
{
    FixedTextPart part(QStringLiteral("Relationships"),
                       {{QStringLiteral("xmlns"), PptxNames::packageRelationshipsNamespace}});
    part.line(4, FixedTextPart::emptyElement(QStringLiteral("Relationship"),
                                             {{QStringLiteral("Id"), PptxNames::relationshipId(1)},
                                              {QStringLiteral("Type"), PptxNames::officeDocumentType},
                                              {QStringLiteral("Target"), PptxNames::presentationPart}}));
    return part.finish();
}

} // namespace PackageRelationshipsPart
