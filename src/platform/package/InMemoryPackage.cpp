#include "InMemoryPackage.h"

#include "PackagePath.h"
#include "platform/Failure.h"

#include <algorithm>
#include <utility>

namespace {

} // namespace

bool InMemoryPackage::writePart(const QString &partName, QByteArray bytes, QString *error)
{
    if (!PackagePath::isConfined(partName))
        return fail(error, QStringLiteral("'%1' is not a part name inside the package").arg(partName));
    const bool known = std::any_of(m_parts.cbegin(), m_parts.cend(), [&partName](const ZipArchive::MemoryEntry &part) {
        return part.name == partName;
    });
    if (known)
        return fail(error, QStringLiteral("The part '%1' is written twice").arg(partName));
    m_parts.push_back({partName, std::move(bytes)});
    return true;
}

bool InMemoryPackage::writePart(const QString &partName, const QString &text, QString *error)
{
    return writePart(partName, text.toUtf8(), error);
}

bool InMemoryPackage::zipTo(const QString &archivePath, ZipArchive::Compression compression, QString *error)
{
    return ZipArchive::zipEntries(std::exchange(m_parts, {}), archivePath, compression, error);
}
