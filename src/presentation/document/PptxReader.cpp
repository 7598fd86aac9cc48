#include "PptxReader.h"

#include "PptxNames.h"
#include "PresentationPartReader.h"
#include "SlidePartReader.h"
#include "platform/TemporaryFolder.h"
#include "platform/XmlRead.h"
#include "platform/ZipArchive.h"

#include <QFile>
#include <QFileInfo>

namespace {

class PackageReader
{
public:
    PackageReader(const QString &folder, PresentationError *error) : m_folder(folder), m_error(error) {}

    std::optional<QList<Slide>> read()
    {
        const std::optional<QString> presentation = partFile(PptxNames::presentationPart);
        if (!presentation) {
            fail(404, QStringLiteral("presentation.xml not found"));
            return std::nullopt;
        }
        pugi::xml_document doc;
        if (!load(doc, *presentation, PptxNames::presentationPart))
            return std::nullopt;
        const qsizetype entries = PresentationPartReader::slideEntryCount(doc.document_element());
        if (entries > PptxReader::maxSlideCount) {
            fail(0, QStringLiteral("Too many slides (more than %1)").arg(PptxReader::maxSlideCount));
            return std::nullopt;
        }
        return readSlides(entries);
    }

private:
    std::optional<QList<Slide>> readSlides(qsizetype entries)
    {
        QList<Slide> slides;
        for (qsizetype k = 1; k <= entries; ++k) {
            const QString partName = PptxNames::slidePart(k);
            const std::optional<QString> file = partFile(partName);
            if (!file)
                continue;
            pugi::xml_document doc;
            if (!load(doc, *file, partName))
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

    // The regular file holding `partName`, never one reached through a link.
    std::optional<QString> partFile(const QString &partName) const
    {
        const QString path = m_folder + u'/' + partName;
        const QFileInfo info(path);
        if (!info.isFile() || info.isSymLink())
            return std::nullopt;
        return path;
    }

    bool load(pugi::xml_document &doc, const QString &file, const QString &partName)
    {
        QFile input(file);
        if (!input.open(QIODevice::ReadOnly))
            return fail(0, partName + QStringLiteral(": ") + input.errorString());
        QString message;
        if (!XmlRead::loadBytes(doc, input.readAll(), &message))
            return fail(0, partName + QStringLiteral(": ") + message);
        return true;
    }

    bool fail(int code, const QString &message)
    {
        if (m_error)
            *m_error = {code, message};
        return false;
    }

    QString m_folder;
    PresentationError *m_error;
};

} // namespace

namespace PptxReader {

std::optional<QList<Slide>> read(const QString &path, PresentationError *error)
{
    const TemporaryFolder folder;
    if (!folder.isValid()) {
        if (error)
            *error = {0, QStringLiteral("Cannot create a temporary folder")};
        return std::nullopt;
    }
    QString message;
    if (!ZipArchive::unzipToFolder(path, folder.path(), &message)) {
        if (error)
            *error = {0, message};
        return std::nullopt;
    }
    return PackageReader(folder.path(), error).read();
}

} // namespace PptxReader
