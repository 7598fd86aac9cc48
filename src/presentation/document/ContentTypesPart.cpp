#include "ContentTypesPart.h"

#include "PptxNames.h"
#include "platform/package/PackageContentTypes.h"

namespace ContentTypesPart {

QString text(qsizetype slideCount)
{
    PackageContentTypes types;
    types.addDefault(QStringLiteral("rels"), PackageNames::relationshipsContentType);
    types.addDefault(QStringLiteral("xml"), PackageNames::xmlContentType);
    types.addOverride(PptxNames::presentationPart, PptxNames::presentationContentType);
    for (qsizetype n = 1; n <= slideCount; ++n)
        types.addOverride(PptxNames::slidePart(n), PptxNames::slideContentType);
    return types.toFixedText();
}

} // namespace ContentTypesPart
