#include "PackageFolder.h"

#include "PackagePath.h"
#include "platform/Failure.h"

#include <QDir>
#include <QFile>
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
    QFile file(path);
    if (QDir().mkpath(QFileInfo(path).absolutePath()) && file.open(QIODevice::WriteOnly)
        && file.write(bytes) == bytes.size() && file.flush())
        return true;
    return fail(error, QStringLiteral("Cannot write '%1': %2").arg(path, file.errorString()));
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
