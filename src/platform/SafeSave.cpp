#include "SafeSave.h"
#include "platform/Failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <cerrno>
#include <cstdio>
#include <limits>
#include <optional>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int maxLinkHops = 40;
// Scratch names stay well inside the 255 bytes a name may take.
constexpr int maxNameInPrefix = 60;

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

bool isControl(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

bool processRuns(qint64 pid)
{
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max())
        return false;
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

bool removePath(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir() && !info.isSymLink())
        return QDir(path).removeRecursively();
    return QFile::remove(path);
}

// Scratch files and folders beside `target` whose save process has died.
void removeLeftovers(const QString &target)
{
    const QFileInfo info(target);
    const QString prefix = SafeSave::scratchPrefix(info.fileName());
    const QDir folder(info.absolutePath());
    for (const QString &name : folder.entryList({prefix + u'*'}, QDir::AllEntries | QDir::Hidden | QDir::System
                                                                     | QDir::NoDotAndDotDot)) {
        const QString rest = name.mid(prefix.size());
        bool numeric = false;
        const qint64 pid = rest.section(u'-', 0, 0).toLongLong(&numeric);
        if (!numeric || !processRuns(pid))
            removePath(folder.filePath(name));
    }
}

QString newScratchPath(const QString &target)
{
    const QFileInfo info(target);
    return info.absolutePath() + u'/' + SafeSave::scratchPrefix(info.fileName()) + QString::number(::getpid())
           + u'-' + QUuid::createUuid().toString(QUuid::Id128).left(16);
}

bool syncOne(const QString &path, bool folder)
{
    const int fd = ::open(native(path).constData(), (folder ? O_RDONLY | O_DIRECTORY : O_RDONLY) | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0 || errno == EINVAL; // some file systems cannot sync a folder
    ::close(fd);
    return ok;
}

// Flushes a file, or a folder with everything in it, to disk.
bool syncTree(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isDir() || info.isSymLink())
        return info.isSymLink() || syncOne(path, false);
    const QDir folder(path);
    for (const QFileInfo &entry : folder.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::System
                                                       | QDir::NoDotAndDotDot)) {
        if (!syncTree(entry.filePath()))
            return false;
    }
    return syncOne(path, true);
}

bool isReadOnly(const QString &target, const struct stat &status)
{
    // Without any write bit the file is read-only even for an administrator,
    // whom access() would let through.
    return (status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(native(target).constData(), W_OK) != 0;
}

bool checkTarget(const QString &target, SafeSave::Kind kind, bool *exists, mode_t *mode, QString *error)
{
    struct stat status;
    if (::stat(native(target).constData(), &status) != 0) {
        *exists = false;
        if (errno == ENOENT)
            return true;
        return fail(error, QStringLiteral("Cannot write '%1': %2").arg(target, qt_error_string(errno)));
    }
    *exists = true;
    *mode = status.st_mode & 07777;
    const bool isFolder = S_ISDIR(status.st_mode);
    if (kind == SafeSave::Kind::File && isFolder)
        return fail(error, QStringLiteral("Cannot write '%1': it is a folder").arg(target));
    if (kind == SafeSave::Kind::Folder && !isFolder)
        return fail(error, QStringLiteral("Cannot write '%1': it is not a folder").arg(target));
    if (isReadOnly(target, status))
        return fail(error, QStringLiteral("Cannot write '%1': the file is read-only").arg(target));
    return true;
}

bool renameFailure(QString *error, const QString &target)
{
    return fail(error, QStringLiteral("Cannot replace '%1': %2").arg(target, qt_error_string(errno)));
}

bool exchangeUnsupported(int code)
{
    return code == EINVAL || code == ENOSYS || code == EOPNOTSUPP;
}

// Puts `scratch` in place of the existing `target`; the old one goes.
bool swapIn(const QString &scratch, const QString &target, QString *error)
{
    const QByteArray from = native(scratch);
    const QByteArray to = native(target);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_EXCHANGE) == 0) {
        removePath(scratch); // now the old file
        return true;
    }
    if (!exchangeUnsupported(errno))
        return renameFailure(error, target);
    const QString aside = newScratchPath(target);
    const QByteArray asideName = native(aside);
    if (std::rename(to.constData(), asideName.constData()) != 0)
        return renameFailure(error, target);
    if (std::rename(from.constData(), to.constData()) != 0) {
        const bool failed = renameFailure(error, target);
        std::rename(asideName.constData(), to.constData());
        return failed;
    }
    removePath(aside);
    return true;
}

bool moveIn(const QString &scratch, const QString &target, bool targetExists, QString *error)
{
    if (targetExists)
        return swapIn(scratch, target, error);
    if (std::rename(native(scratch).constData(), native(target).constData()) != 0)
        return renameFailure(error, target);
    return true;
}

// Builds the new content and makes it ready to swap in: on disk, with the
// old file's permission bits.
bool buildScratch(const SafeSave::Builder &build, const QString &scratch, const QString &target,
                  std::optional<mode_t> oldMode, QString *error)
{
    if (!build(scratch, error))
        return false;
    if (!syncTree(scratch) || (oldMode && ::chmod(native(scratch).constData(), *oldMode) != 0))
        return fail(error, QStringLiteral("Cannot write '%1': %2").arg(target, qt_error_string(errno)));
    return true;
}

bool writeBytes(const QString &path, const QByteArray &bytes, QString *error)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly) && file.write(bytes) == bytes.size() && file.flush())
        return true;
    return fail(error, QStringLiteral("Cannot write '%1': %2").arg(path, file.errorString()));
}

} // namespace

namespace SafeSave {

bool checkFileName(const QString &name, QString *error)
{
    if (name.isEmpty())
        return fail(error, QStringLiteral("The file name is empty"));
    if (name.contains(u'/'))
        return fail(error, QStringLiteral("The file name \"%1\" contains \"/\"").arg(name));
    for (const QChar c : name) {
        if (isControl(c.unicode()))
            return fail(error, QStringLiteral("The file name contains the control character U+%1")
                                   .arg(QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0')));
    }
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return fail(error, QStringLiteral("The file name \"%1\" names a folder").arg(name));
    return true;
}

QString resolvedTarget(const QString &path, QString *error)
{
    QString current = QFileInfo(path).absoluteFilePath();
    for (int hop = 0; hop <= maxLinkHops; ++hop) {
        const QFileInfo info(current);
        if (!info.isSymLink())
            return current;
        current = info.symLinkTarget();
    }
    fail(error, QStringLiteral("Cannot write '%1': too many symbolic links").arg(path));
    return {};
}

QString scratchPrefix(const QString &fileName)
{
    return u'.' + fileName.left(maxNameInPrefix) + QStringLiteral(".morvane-save-");
}

bool save(const QString &path, Kind kind, const Builder &build, QString *error)
{
    const QString target = resolvedTarget(path, error);
    if (target.isEmpty())
        return false;
    const QString folder = QFileInfo(target).absolutePath();
    if (!QFileInfo(folder).isDir())
        return fail(error, QStringLiteral("Cannot write '%1': the folder '%2' does not exist").arg(target, folder));
    bool exists = false;
    mode_t mode = 0;
    if (!checkTarget(target, kind, &exists, &mode, error))
        return false;
    removeLeftovers(target);

    const QString scratch = newScratchPath(target);
    if (!buildScratch(build, scratch, target, exists ? std::optional<mode_t>(mode) : std::nullopt, error)
        || !moveIn(scratch, target, exists, error)) {
        removePath(scratch);
        return false;
    }
    syncOne(folder, true); // the rename itself reaches the disk
    return true;
}

bool writeFile(const QString &path, const QByteArray &bytes, QString *error)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return fail(error, QStringLiteral("Cannot create the folder '%1'").arg(folder));
    return save(path, Kind::File, [&bytes](const QString &scratch, QString *buildError) {
        return writeBytes(scratch, bytes, buildError);
    }, error);
}

} // namespace SafeSave
