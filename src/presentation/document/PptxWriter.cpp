#include "PptxWriter.h"

#include "ContentTypesPart.h"
#include "PackageRelationshipsPart.h"
#include "PptxNames.h"
#include "PresentationPart.h"
#include "PresentationRelationshipsPart.h"
#include "SlidePart.h"
#include "platform/package/PackageContentTypes.h"
#include "platform/package/InMemoryPackage.h"

PptxWriter::PptxWriter(const QList<Slide> &slides) : m_slides(slides) {}

bool PptxWriter::write(const QString &path, PresentationError *error) const
{
    InMemoryPackage package;
    QString message;
    if (!writeParts(package, &message) || !package.zipTo(path, ZipArchive::Compression::Stored, &message))
        return reportFailure(error, presentationError(0, message));
    return true;
}

bool PptxWriter::writeParts(InMemoryPackage &package, QString *error) const
{
    const qsizetype count = m_slides.size();
    if (!package.writePart(PackageContentTypes::partName, ContentTypesPart::text(count), error)
        || !package.writePart(PackageNames::packageRelationshipsPart, PackageRelationshipsPart::text(), error)
        || !package.writePart(PptxNames::presentationPart, PresentationPart::text(count), error)
        || !package.writePart(PptxNames::presentationRelationshipsPart, PresentationRelationshipsPart::text(count),
                              error))
        return false;
    for (qsizetype i = 0; i < count; ++i) {
        if (!package.writePart(PptxNames::slidePart(i + 1), SlidePart::text(m_slides[i]), error))
            return false;
    }
    return true;
}
