#include "ZipArchive.h"

#include "ZipReader.h"
#include "ZipSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

using ZipSupport::fail;

namespace {

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
bool makeFolderInside(const QString &root, const QString &relative, QString *error)
{
    const QString path = relative.isEmpty() ? root : root + u'/' + relative;
    if (!QDir().mkpath(path))
        return fail(error, QStringLiteral("Cannot create the folder '%1'").arg(path));
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical != root && !canonical.startsWith(root + u'/'))
        return fail(error, QStringLiteral("Folder '%1' would leave the target folder").arg(relative));
    return true;
}

bool writeAll(int fd, const char *data, qint64 size)
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

bool extractFile(const ZipReader &archive, const ZipReader::Entry &entry, const QString &root, QString *error)
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

} // namespace

namespace ZipArchive {

bool unzipToFolder(const QString &archivePath, const QString &targetFolder, QString *error, const Limits &limits)
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

} // namespace ZipArchive
