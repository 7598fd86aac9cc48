#include "PackageFolder.h"

#include "PackagePath.h"
#include "platform/Failure.h"
#include "platform/FileBytes.h"

#include <QDir>
#include <QFileInfo>

namespace {

} // namespace

bool PackageFolder::writePart(const QString &partName, const QByteArray &bytes, QString *error)
{
    if (!isValid())
        return fail(error, QStringLiteral("Cannot create a temporary folder"));
    if (!PackagePath::isConfined(partName))
        return fail(error, QStringLiteral("'%1' is not a part name inside the package").arg(partName));
    // The folder is private and the archive made from it replaces the
    // destination only when complete, so a plain write is enough here.
    const QString path = m_folder.filePath(partName);
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return fail(error, QStringLiteral("Cannot create the folder '%1'").arg(folder));
    if (FileBytes::write(path, bytes, error))
        return true;
    // The part's own name tells the user more than the scratch path does.
    if (error)
        error->replace(m_folder.path() + u'/', QString());
    return false;
}

bool PackageFolder::writePart(const QString &partName, const QString &text, QString *error)
{
    return writePart(partName, text.toUtf8(), error);
}

bool PackageFolder::zipTo(const QString &archivePath, ZipArchive::Compression compression, QString *error) const
{
    if (!isValid())
        return fail(error, QStringLiteral("Cannot create a temporary folder"));
    return ZipArchive::zipFolder(m_folder.path(), archivePath, compression, error);
}
