#include "PresentationPart.h"

#include "PptxNames.h"
#include "platform/package/FixedPartText.h"

#include <QStringList>

namespace PresentationPart {

QString text(qsizetype slideCount)
{
    QStringList entries;
    entries.reserve(slideCount);
    for (qsizetype n = 1; n <= slideCount; ++n) {
        entries.append(FixedPartText::emptyTag(QStringLiteral("p:sldId"),
                                               {{QStringLiteral("id"), QString::number(255 + n)},
                                                {QStringLiteral("r:id"), PptxNames::relationshipId(n)}}));
    }
    FixedPartText part(QStringLiteral("p:presentation"), {},
                       {{QStringLiteral("xmlns:a"), PptxNames::drawingNamespace},
                        {QStringLiteral("xmlns:r"), PackageNames::relationshipsNamespace},
                        {QStringLiteral("xmlns:p"), PptxNames::presentationNamespace}});
    part.line(4, QStringLiteral("<p:sldIdLst>"));
    part.line(8, entries.join(u'\n'));
    part.line(4, QStringLiteral("</p:sldIdLst>"));
    return part.finish();
}

} // namespace PresentationPart
