#include "PackageSaving.h"

#include "platform/ZipArchive.h"

namespace PackageSaving {

bool zipOver(const QString &packageFolder, const QString &destination, QString *error)
{
    return ZipArchive::zipFolder(packageFolder, destination, ZipArchive::Compression::Deflated, error);
}

} // namespace PackageSaving
