#include "PackageRelationshipsPart.h"

#include "PptxNames.h"
#include "platform/package/PackageRelationships.h"

namespace PackageRelationshipsPart {

QString text()
{
    PackageRelationships relationships;
    relationships.add(PackageNames::officeDocumentType, PptxNames::presentationPart);
    return relationships.toFixedText();
}

} // namespace PackageRelationshipsPart
