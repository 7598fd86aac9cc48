#include "PptxWriter.h"

#include "ContentTypesPart.h"
#include "PackageRelationshipsPart.h"
#include "PptxNames.h"
#include "PresentationPart.h"
#include "PresentationRelationshipsPart.h"
#include "SlidePart.h"
#include "platform/TemporaryFolder.h"
#include "platform/ZipArchive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

bool fail(PresentationError *error, const QString &message)
{
    if (error)
        *error = {0, message};
    return false;
}

// The folder is fresh and private and the archive made from it replaces the
// destination only when complete, so a plain write is enough here.
bool writePart(const TemporaryFolder &folder, const QString &part, const QString &text, PresentationError *error)
{
    const QString path = folder.filePath(part);
    QFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (QDir().mkpath(QFileInfo(path).absolutePath()) && file.open(QIODevice::WriteOnly)
        && file.write(bytes) == bytes.size() && file.flush())
        return true;
    return fail(error, QStringLiteral("Cannot write '%1': %2").arg(path, file.errorString()));
}

} // namespace

PptxWriter::PptxWriter(const QList<Slide> &slides) : m_slides(slides) {}

bool PptxWriter::write(const QString &path, PresentationError *error) const
{
    if (QFileInfo(path).isDir())
        return fail(error, QStringLiteral("Cannot save over the folder '%1'").arg(path));
    const TemporaryFolder folder;
    if (!folder.isValid())
        return fail(error, QStringLiteral("Cannot create a temporary folder"));
    const qsizetype count = m_slides.size();
    if (!writePart(folder, PptxNames::contentTypesPart, ContentTypesPart::text(count), error)
        || !writePart(folder, PptxNames::packageRelationshipsPart, PackageRelationshipsPart::text(), error)
        || !writePart(folder, PptxNames::presentationPart, PresentationPart::text(count), error)
        || !writePart(folder, PptxNames::presentationRelationshipsPart, PresentationRelationshipsPart::text(count),
                      error))
        return false;
    for (qsizetype i = 0; i < count; ++i) {
        if (!writePart(folder, PptxNames::slidePart(i + 1), SlidePart::text(m_slides[i]), error))
            return false;
    }
    QString message;
    if (!ZipArchive::zipFolder(folder.path(), path, ZipArchive::Compression::Stored, &message))
        return fail(error, message);
    // The folder goes with `folder`; failing to remove it does not undo a good save.
    return true;
}
