#include "PptxReader.h"

#include "PptxNames.h"
#include "PresentationPartReader.h"
#include "SlidePartReader.h"
#include "platform/package/PackageParts.h"

namespace {

class PackageReader
{
public:
    PackageReader(const PackageParts &parts, PresentationError *error) : m_parts(parts), m_error(error) {}

    std::optional<QList<Slide>> read()
    {
        if (!m_parts.contains(PptxNames::presentationPart)) {
            fail(404, QStringLiteral("presentation.xml not found"));
            return std::nullopt;
        }
        pugi::xml_document doc;
        if (!load(doc, PptxNames::presentationPart))
            return std::nullopt;
        const qsizetype entries = PresentationPartReader::slideEntryCount(doc.document_element());
        if (entries > PptxReader::maxSlideCount) {
            fail(0, QStringLiteral("Too many slides (more than %1)").arg(PptxReader::maxSlideCount));
            return std::nullopt;
        }
        return readSlides(entries);
    }

private:
    // Entry k names ppt/slides/slide<k>.xml; an entry without its part gives no slide.
    std::optional<QList<Slide>> readSlides(qsizetype entries)
    {
        QList<Slide> slides;
        for (qsizetype k = 1; k <= entries; ++k) {
            const QString partName = PptxNames::slidePart(k);
            if (!m_parts.contains(partName))
                continue;
            pugi::xml_document doc;
            if (!load(doc, partName))
                return std::nullopt;
            QString message;
            std::optional<Slide> slide = SlidePartReader::read(doc.document_element(), k, &message);
            if (!slide) {
                fail(0, partName + QStringLiteral(": ") + message);
                return std::nullopt;
            }
            slides.append(std::move(*slide));
        }
        if (slides.isEmpty()) {
            fail(0, QStringLiteral("No slides imported"));
            return std::nullopt;
        }
        return slides;
    }

    bool load(pugi::xml_document &doc, const QString &partName)
    {
        QString message;
        return m_parts.loadXml(doc, partName, &message) || fail(0, message);
    }

    bool fail(int code, const QString &message)
    {
        return reportFailure(m_error, presentationError(code, message));
    }

    const PackageParts &m_parts;
    PresentationError *m_error;
};

} // namespace

namespace PptxReader {

std::optional<QList<Slide>> read(const QString &path, PresentationError *error)
{
    PackageParts parts;
    QString message;
    if (!parts.open(path, &message)) {
        reportFailure(error, presentationError(0, message));
        return std::nullopt;
    }
    std::optional<QList<Slide>> slides = PackageReader(parts, error).read();
    if (slides && !parts.checkUnreadParts(&message)) {
        reportFailure(error, presentationError(0, message));
        return std::nullopt;
    }
    return slides;
}

} // namespace PptxReader
