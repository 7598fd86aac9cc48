#include "PptxReader.h"

#include "PptxNames.h"
#include "PresentationPartReader.h"
#include "SlidePartReader.h"
#include "platform/ReadBudget.h"
#include "platform/package/EncryptedPackage.h"
#include "platform/package/PackageParts.h"

#include <QFileInfo>

#include <algorithm>

namespace {

qint64 memoryOf(const QString &text)
{
    return text.isEmpty() ? 0 : 32 + 2 * qint64(text.size());
}

// What a slide keeps in memory, about.
qint64 memoryOf(const Slide &slide)
{
    qint64 bytes = sizeof(Slide) + memoryOf(slide.title) + memoryOf(slide.bgColorHex);
    for (const SlideObject &object : slide.objects)
        bytes += sizeof(SlideObject) + memoryOf(object.text) + memoryOf(object.colorHex);
    return bytes;
}

class PackageReader
{
public:
    PackageReader(const PackageParts &parts, ReadBudget &budget, qsizetype maxObjects, PresentationError *error)
        : m_parts(parts), m_budget(budget), m_maxObjects(maxObjects), m_error(error)
    {
    }

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
        if (!deckFits(entries)) {
            failTooLarge();
            return std::nullopt;
        }
        QList<Slide> slides;
        for (qsizetype k = 1; k <= entries; ++k) {
            const QString partName = PptxNames::slidePart(k);
            if (!m_parts.contains(partName))
                continue;
            std::optional<Slide> slide = readSlide(partName, k);
            if (!slide)
                return std::nullopt;
            if (!m_budget.take(memoryOf(*slide))) {
                failTooLarge();
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

    // Whether the slides can all be kept (their texts take up to two bytes a
    // byte of their parts) while the largest part is read, by the sizes the
    // entries declare: a deck far beyond the budget is refused unread.
    bool deckFits(qsizetype entries) const
    {
        qint64 total = 0;
        qint64 largest = 0;
        for (qsizetype k = 1; k <= entries; ++k) {
            const qint64 size = m_parts.size(PptxNames::slidePart(k)).value_or(0);
            total += size;
            largest = std::max(largest, size);
        }
        return m_budget.fits(2 * total + largest);
    }

    // The slide of one part; the part's tree is dropped (and given back to
    // the budget) before the next one is read. Its objects are counted
    // before any is made.
    std::optional<Slide> readSlide(const QString &partName, qsizetype position)
    {
        const qint64 before = m_budget.used();
        // The texts the slide keeps take up to two bytes (UTF-16) for each
        // byte of the part: taken with the part's bytes before it is
        // inflated, so a deck too large for the budget is refused unread.
        if (!m_budget.take(2 * m_parts.size(partName).value_or(0))) {
            failTooLarge();
            return std::nullopt;
        }
        pugi::xml_document doc;
        if (!load(doc, partName))
            return std::nullopt;
        m_objects += SlidePartReader::objectCount(doc.document_element());
        if (m_objects > m_maxObjects) {
            fail(0, QStringLiteral("Too many objects (more than %1 on all slides)").arg(m_maxObjects));
            return std::nullopt;
        }
        QString message;
        std::optional<Slide> slide = SlidePartReader::read(doc.document_element(), position, &message);
        m_budget.giveBack(m_budget.used() - before);
        if (!slide)
            fail(0, partName + QStringLiteral(": ") + message);
        return slide;
    }

    bool load(pugi::xml_document &doc, const QString &partName)
    {
        QString message;
        if (m_parts.loadXml(doc, partName, &message, &m_budget))
            return true;
        return m_budget.ranOut() ? failTooLarge() : fail(0, message);
    }

    bool failTooLarge()
    {
        return fail(0, QStringLiteral("The presentation is too large: %1").arg(m_budget.ranOutMessage()));
    }

    bool fail(int code, const QString &message)
    {
        return reportFailure(m_error, presentationError(code, message));
    }

    const PackageParts &m_parts;
    ReadBudget &m_budget;
    const qsizetype m_maxObjects;
    PresentationError *m_error;
    qsizetype m_objects = 0; // on the slides read so far and the one being read
};

} // namespace

namespace PptxReader {

std::optional<QList<Slide>> read(const QString &path, PresentationError *error, qsizetype maxObjects, qint64 minimumMemory)
{
    PackageParts parts;
    QString message;
    if (!parts.open(path, &message)) {
        // A package saved with a password is no ZIP archive, but no damage either.
        if (EncryptedPackage::fileIsEncrypted(path))
            message = EncryptedPackage::refusal(path);
        reportFailure(error, presentationError(0, message));
        return std::nullopt;
    }
    ReadBudget budget(QFileInfo(path).size(), minimumMemory);
    std::optional<QList<Slide>> slides = PackageReader(parts, budget, maxObjects, error).read();
    if (slides && !parts.checkUnreadParts(&message)) {
        reportFailure(error, presentationError(0, message));
        return std::nullopt;
    }
    return slides;
}

} // namespace PptxReader
