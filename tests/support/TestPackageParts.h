#pragma once

// Packages as maps of part name to bytes, for the tests of every package
// reader and writer; and what a read or write left in the temporary folder.

#include "platform/ScratchRoot.h"
#include "platform/TemporaryFolder.h"
#include "platform/ZipArchive.h"
#include "support/UnzipToFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>

namespace TestPackageParts {

using Parts = QMap<QString, QByteArray>;

inline Parts readFolder(const QString &folder)
{
    Parts parts;
    const QDir root(folder);
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            parts.insert(root.relativeFilePath(path), file.readAll());
    }
    return parts;
}

// The parts of an archive; empty when it cannot be unpacked.
inline Parts unzip(const QString &archive)
{
    TemporaryFolder folder;
    QString error;
    if (!TestZip::unzipToFolder(archive, folder.path(), &error))
        return {};
    return readFolder(folder.path());
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).absolutePath()) && file.open(QIODevice::WriteOnly)
           && file.write(bytes) == bytes.size();
}

// Zips `parts` (deflated, like most producers) into `archive`.
inline bool zip(const Parts &parts, const QString &archive)
{
    TemporaryFolder folder;
    for (auto it = parts.cbegin(); it != parts.cend(); ++it) {
        if (!writeFile(folder.filePath(it.key()), it.value()))
            return false;
    }
    QString error;
    return ZipArchive::zipFolder(folder.path(), archive, ZipArchive::Compression::Deflated, &error);
}

// What the temporary directory holds besides the folder at `ownPath` and
// this process's scratch folder with its lock: what a read or write left.
inline QStringList temporaryLeftovers(const QString &ownPath)
{
    const auto filter = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden;
    QStringList entries = QDir::temp().entryList(filter);
    entries.removeAll(QFileInfo(ownPath).fileName());
    entries.removeAll(QFileInfo(ScratchRoot::rootPath()).fileName());
    entries += QDir(ScratchRoot::rootPath()).entryList(filter);
    entries.removeAll(QFileInfo(ScratchRoot::processFolder()).fileName());
    entries += QDir(ScratchRoot::processFolder()).entryList(filter);
    entries.removeAll(QStringLiteral("owner.lock"));
    return entries;
}

} // namespace TestPackageParts
