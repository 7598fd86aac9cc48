#include "ContentTypesPart.h"

#include "FixedTextPart.h"
#include "PptxNames.h"

namespace ContentTypesPart {

QString text(qsizetype slideCount)
{
    const QString contentType = QStringLiteral("ContentType");
    const QString partName = QStringLiteral("PartName");
    const QString overrideTag = QStringLiteral("Override");
    FixedTextPart part(QStringLiteral("Types"), {{QStringLiteral("xmlns"), PptxNames::contentTypesNamespace}});
    part.line(4, FixedTextPart::emptyElement(QStringLiteral("Default"),
                                             {{QStringLiteral("Extension"), QStringLiteral("rels")},
                                              {contentType, PptxNames::relationshipsContentType}}));
    part.line(4, FixedTextPart::emptyElement(QStringLiteral("Default"),
                                             {{QStringLiteral("Extension"), QStringLiteral("xml")},
                                              {contentType, PptxNames::xmlContentType}}));
    part.line(4, FixedTextPart::emptyElement(overrideTag, {{partName, u'/' + PptxNames::presentationPart},
                                                           {contentType, PptxNames::presentationContentType}}));
    for (qsizetype n = 1; n <= slideCount; ++n) {
        part.line(4, FixedTextPart::emptyElement(overrideTag, {{partName, u'/' + PptxNames::slidePart(n)},
                                                               {contentType, PptxNames::slideContentType}}));
    }
    return part.finish();
}

} // namespace ContentTypesPart
