#pragma once

// Extracts a whole archive into a folder, for tests that look at a package's
// files on disk. The program itself never unpacks to disk: it reads packages
// in memory (PackageParts).

#include "platform/Failure.h"
#include "platform/ZipArchive.h"
#include "platform/ZipReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace TestZip {

struct OutputFile {
    int fd = -1;
    ~OutputFile()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// Creates `relative` as a folder below `root` and checks that it really lies
// there (a link already in the target folder could point elsewhere).
inline bool makeFolderInside(const QString &root, const QString &relative, QString *error)
{
    const QString path = relative.isEmpty() ? root : root + u'/' + relative;
    if (!QDir().mkpath(path))
        return fail(error, QStringLiteral("Cannot create the folder '%1'").arg(path));
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical != root && !canonical.startsWith(root + u'/'))
        return fail(error, QStringLiteral("Folder '%1' would leave the target folder").arg(relative));
    return true;
}

inline bool writeAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

inline bool extractFile(const ZipReader &archive, const ZipReader::Entry &entry, const QString &root, QString *error)
{
    const qsizetype slash = entry.path.lastIndexOf(u'/');
    if (!makeFolderInside(root, slash < 0 ? QString() : entry.path.left(slash), error))
        return false;
    const QString path = root + u'/' + entry.path;
    OutputFile output{ ::open(QFile::encodeName(path).constData(),
                              O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644) };
    if (output.fd < 0)
        return fail(error, QStringLiteral("Cannot create '%1': %2").arg(path, qt_error_string(errno)));
    const bool copied = archive.stream(entry, [&](const char *data, qint64 size) {
        return writeAll(output.fd, data, size)
            || fail(error, QStringLiteral("Cannot write '%1': %2").arg(path, qt_error_string(errno)));
    }, error);
    if (copied)
        return true;
    QFile::remove(path); // no half-written or unverified file stays
    return false;
}

// Extracts every entry of `archivePath` into `targetFolder` (created if
// needed), checking CRC-32. Refuses absolute names, ".." segments,
// backslashes, drive letters, symlinks and entries over the limits; all of
// these are checked, against the sizes the archive declares, before anything
// is written. An entry holding more data than it declares fails as soon as
// the excess is read. Nothing is ever written outside targetFolder, not even
// through links already in it. Returns false and sets *error on failure; what
// was extracted before the failure stays in targetFolder, but the entry that
// failed (bad CRC, wrong size) is removed.
inline bool unzipToFolder(const QString &archivePath, const QString &targetFolder, QString *error,
                          const ZipArchive::Limits &limits = {})
{
    ZipReader archive;
    if (!archive.open(archivePath, error, limits))
        return false;
    if (!QDir().mkpath(targetFolder))
        return fail(error, QStringLiteral("Cannot create the folder '%1'").arg(targetFolder));
    const QString root = QFileInfo(targetFolder).canonicalFilePath();
    for (const ZipReader::Entry &entry : archive.entries()) {
        const bool done = entry.isFolder ? makeFolderInside(root, entry.path, error)
                                         : extractFile(archive, entry, root, error);
        if (!done)
            return false;
    }
    return true;
}

} // namespace TestZip
