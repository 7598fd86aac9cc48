#include "PackageParts.h"

#include "platform/XmlRead.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

bool PackageParts::open(const QString &archivePath, QString *error, const ZipArchive::Limits &limits)
{
    m_scratch.emplace();
    if (!m_scratch->isValid()) {
        if (error)
            *error = QStringLiteral("Cannot create a temporary folder");
        return false;
    }
    if (!ZipArchive::unzipToFolder(archivePath, m_scratch->path(), error, limits))
        return false;
    openFolder(m_scratch->path());
    return true;
}

void PackageParts::openFolder(const QString &folder)
{
    m_folder = folder;
    m_entries.clear();
    const QDir root(folder);
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString part = root.relativeFilePath(it.next());
        m_entries.insert(part.toLower(), part);
    }
}

std::optional<QString> PackageParts::filePath(const QString &partName) const
{
    const auto it = m_entries.constFind(partName.toLower());
    if (it == m_entries.constEnd())
        return std::nullopt;
    return m_folder + u'/' + it.value();
}

std::optional<QByteArray> PackageParts::read(const QString &partName, QString *error) const
{
    const auto path = filePath(partName);
    if (!path) {
        if (error)
            *error = partName + QStringLiteral(": no such part");
        return std::nullopt;
    }
    QFile file(*path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = partName + QStringLiteral(": ") + file.errorString();
        return std::nullopt;
    }
    return file.readAll();
}

bool PackageParts::loadXml(pugi::xml_document &doc, const QString &partName, QString *error) const
{
    const auto bytes = read(partName, error);
    if (!bytes)
        return false;
    QString message;
    if (XmlRead::loadBytes(doc, *bytes, &message))
        return true;
    if (error)
        *error = partName + QStringLiteral(": ") + message;
    return false;
}
