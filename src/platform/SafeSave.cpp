#include "SafeSave.h"
#include "platform/FileBytes.h"
#include "platform/Failure.h"
#include "platform/InPlaceWrite.h"
#include "platform/ScratchRoot.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUuid>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <limits>
#include <optional>
#include <vector>

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

QString asideName(const QString &fileName)
{
    return fileName + QStringLiteral(".old");
}

constexpr QDir::Filters everyEntry = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;

// The process id in a scratch name: `prefix`, the id, "-" and hex digits
// (see newScratchPath); -1 for any other name. Compared literally: a name
// filter would read "[", "*" and "?" in the document's name as a pattern.
qint64 scratchOwner(const QString &name, const QString &prefix)
{
    static const QRegularExpression rest(QStringLiteral("^([0-9]{1,18})-[0-9a-f]+$"));
    if (!name.startsWith(prefix))
        return -1;
    const QRegularExpressionMatch match = rest.match(QStringView(name).mid(prefix.size()));
    return match.hasMatch() ? match.captured(1).toLongLong() : -1;
}

// A long name is cut short in the scratch prefix, so a leftover may be that
// of another document sharing its first characters: one holding an old
// folder set aside under another name is never taken for this one's.
bool holdsAnotherAside(const QString &leftover, const QString &fileName)
{
    const QStringList entries = QDir(leftover).entryList(everyEntry);
    return std::any_of(entries.cbegin(), entries.cend(), [&](const QString &entry) {
        return entry.endsWith(asideName(QString())) && entry != fileName && entry != asideName(fileName);
    });
}

// Scratch files and folders beside `target` whose save process has died.
void removeLeftovers(const QString &target)
{
    const QFileInfo info(target);
    const QString prefix = SafeSave::scratchPrefix(info.fileName());
    const QDir folder(info.absolutePath());
    for (const QString &name : folder.entryList(everyEntry)) {
        const qint64 pid = scratchOwner(name, prefix);
        if (pid < 0 || processRuns(pid) || holdsAnotherAside(folder.filePath(name), info.fileName()))
            continue;
        // A file written in place by a killed save gets its old content
        // back; a copy that cannot go back yet stays for a later save.
        if (!InPlaceWrite::restoreLeftover(folder.filePath(name), target))
            continue;
        // A folder save killed between moving the old folder aside and the
        // new one in left the old one there: it goes back first.
        const QString aside = folder.filePath(name) + u'/' + asideName(info.fileName());
        if (!QFileInfo::exists(target) && QFileInfo(aside).isDir())
            std::rename(native(aside).constData(), native(target).constData());
        removePath(folder.filePath(name));
    }
}

QString newScratchPath(const QString &target)
{
    const QFileInfo info(target);
    return info.absolutePath() + u'/' + SafeSave::scratchPrefix(info.fileName()) + QString::number(::getpid())
           + u'-' + QUuid::createUuid().toString(QUuid::Id128).left(16);
}

bool writeFailure(QString *error, const QString &target, int code)
{
    return fail(error, QStringLiteral("Cannot write '%1': %2").arg(target, qt_error_string(code)));
}

// A folder only its owner can enter, beside the target, in which the new file
// or folder is built under the target's own name: nobody else can read the
// document while it is written, nor what a killed save leaves behind, whatever
// modes the builder or the libraries it uses give their files. A file written
// in place in a folder where the saver may add nothing has it in the
// application's scratch root instead, with a note of the target.
class PrivateScratch
{
public:
    enum class Place { BesideTarget, ScratchRoot };

    PrivateScratch(const QString &target, Place place)
        : m_folder(place == Place::BesideTarget ? newScratchPath(target) : pathInScratchRoot())
        , m_path(m_folder + u'/' + QFileInfo(target).fileName())
        , m_place(place)
    {
    }
    ~PrivateScratch()
    {
        if (m_made && !m_kept)
            removePath(m_folder);
    }
    PrivateScratch(const PrivateScratch &) = delete;
    PrivateScratch &operator=(const PrivateScratch &) = delete;

    bool make(const QString &target, QString *error)
    {
        if (m_folder.isEmpty()) // no scratch root for a file in a closed folder
            return writeFailure(error, target, EACCES);
        if (::mkdir(native(m_folder).constData(), S_IRWXU) != 0)
            return writeFailure(error, target, errno);
        m_made = true;
        if (m_place == Place::ScratchRoot && !InPlaceWrite::noteTarget(m_folder, target))
            return writeFailure(error, target, errno);
        return true;
    }
    // Where the builder writes.
    const QString &path() const { return m_path; }
    const QString &folder() const { return m_folder; }
    // Left on disk for the next save to find (see removeLeftovers).
    void keep() { m_kept = true; }
    // Where an old folder goes while the new one takes its place.
    QString asidePath(const QString &target) const { return m_folder + u'/' + asideName(QFileInfo(target).fileName()); }
    // The builder's message about `m_path` told about the user's own file.
    QString inTermsOf(const QString &target, const QString &message) const
    {
        return QString(message).replace(m_path, target).replace(m_folder, QFileInfo(target).absolutePath());
    }

private:
    // "" when the scratch root cannot be made.
    static QString pathInScratchRoot()
    {
        const QString root = ScratchRoot::processFolder();
        if (root.isEmpty())
            return {};
        return root + QStringLiteral("/save-") + QUuid::createUuid().toString(QUuid::Id128);
    }

    QString m_folder;
    QString m_path;
    Place m_place;
    bool m_made = false;
    bool m_kept = false;
};

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

bool checkTarget(const QString &target, SafeSave::Kind kind, std::optional<struct stat> *old, QString *error)
{
    struct stat status;
    if (::stat(native(target).constData(), &status) != 0) {
        if (errno == ENOENT)
            return true;
        return writeFailure(error, target, errno);
    }
    *old = status;
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

// Puts the folder `built` in place of the existing folder `target`: an atomic
// exchange where the file system has one, else old aside, new in, and the
// old one back should that fail. The old folder ends up inside the scratch.
bool swapFolderIn(const QString &built, const QString &aside, const QString &target, QString *error)
{
    const QByteArray from = native(built);
    const QByteArray to = native(target);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_EXCHANGE) == 0)
        return true;
    if (!exchangeUnsupported(errno))
        return renameFailure(error, target);
    const QByteArray asideBytes = native(aside);
    if (std::rename(to.constData(), asideBytes.constData()) != 0)
        return renameFailure(error, target);
    if (std::rename(from.constData(), to.constData()) != 0) {
        const bool failed = renameFailure(error, target);
        std::rename(asideBytes.constData(), to.constData());
        return failed;
    }
    return true;
}

// A file replaces the old one by a single rename, so the name always holds
// either the old or the new document.
bool moveIn(const PrivateScratch &scratch, SafeSave::Kind kind, const QString &target, bool targetExists,
            QString *error)
{
    if (kind == SafeSave::Kind::Folder && targetExists)
        return swapFolderIn(scratch.path(), scratch.asidePath(target), target, error);
    if (std::rename(native(scratch.path()).constData(), native(target).constData()) != 0)
        return renameFailure(error, target);
    return true;
}

// Gives everything inside the new folder `built` the permission bits of the
// same entry in the old folder `target` (a file for a file, a folder for a
// folder); a new entry keeps its bits but for what the old folder itself
// denies its group and others, so private files stay private.
bool keepModesInside(const QString &built, const QString &target, mode_t folderMode)
{
    const mode_t allowed = S_IRWXU | (folderMode & (S_IRWXG | S_IRWXO));
    QDirIterator entries(built, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
    while (entries.hasNext()) {
        const QString path = entries.next();
        struct stat made;
        if (::lstat(native(path).constData(), &made) != 0)
            return false;
        if (S_ISLNK(made.st_mode))
            continue;
        struct stat old;
        const QString oldPath = target + path.mid(built.size());
        const bool sameKind = ::lstat(native(oldPath).constData(), &old) == 0
                              && (old.st_mode & S_IFMT) == (made.st_mode & S_IFMT);
        const mode_t mode = sameKind ? old.st_mode & 07777 : made.st_mode & 07777 & allowed;
        if (::chmod(native(path).constData(), mode) != 0)
            return false;
    }
    return true;
}

bool isMemberOf(gid_t group)
{
    if (::getegid() == group)
        return true;
    const int count = ::getgroups(0, nullptr);
    std::vector<gid_t> groups(size_t(std::max(count, 0)));
    return count > 0 && ::getgroups(count, groups.data()) == count
           && std::find(groups.begin(), groups.end(), group) != groups.end();
}

// Only a file of the saver's own, in a group the saver belongs to, comes back
// the same from a rename over it: a new file is the saver's, and only root
// can give it another owner. Any other file is written in place.
bool renameKeepsOwnership(const struct stat &old)
{
    return old.st_uid == ::geteuid() && (::geteuid() == 0 || isMemberOf(old.st_gid));
}

// Gives the new file or folder the old one's group. A regular file is only
// renamed over when the saver may; anything else keeps the saver's group
// where the saver may not, as a new one would.
bool keepGroup(const QString &built, gid_t group)
{
    struct stat made;
    if (::lstat(native(built).constData(), &made) != 0)
        return false;
    return made.st_gid == group || ::chown(native(built).constData(), uid_t(-1), group) == 0
           || !S_ISREG(made.st_mode);
}

// Builds the new content and makes it ready to move in: on disk, with the
// old file's group and permission bits (for a folder, those of what it holds
// too; the mode comes last, as a change of group clears set-id bits).
bool buildScratch(const SafeSave::Builder &build, const PrivateScratch &scratch, const QString &target,
                  SafeSave::Kind kind, const std::optional<struct stat> &old, QString *error)
{
    QString buildError;
    if (!build(scratch.path(), &buildError))
        return fail(error, scratch.inTermsOf(target, buildError));
    if (!old) {
        if (!syncTree(scratch.path()))
            return writeFailure(error, target, errno);
        return true;
    }
    const mode_t oldMode = old->st_mode & 07777;
    if (kind == SafeSave::Kind::Folder && !keepModesInside(scratch.path(), target, oldMode))
        return writeFailure(error, target, errno);
    if (!syncTree(scratch.path()) || !keepGroup(scratch.path(), old->st_gid)
        || ::chmod(native(scratch.path()).constData(), oldMode) != 0)
        return writeFailure(error, target, errno);
    return true;
}

bool writeInPlace(PrivateScratch &scratch, const QString &target, QString *error)
{
    bool keepScratch = false;
    const bool written = InPlaceWrite::write(scratch.path(), target, scratch.folder(), &keepScratch, error);
    if (keepScratch)
        scratch.keep();
    return written;
}

bool containsNul(const QString &path)
{
    return path.contains(QChar(0));
}

bool refuseNul(const QString &path, QString *error)
{
    return fail(error, QStringLiteral("Cannot write '%1': the path contains a NUL character")
                           .arg(QString(path).replace(QChar(0), QStringLiteral("\\0"))));
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
    if (containsNul(path))
        return refuseNul(path, error);
    const QString target = resolvedTarget(path, error);
    if (target.isEmpty())
        return false;
    const QString folder = QFileInfo(target).absolutePath();
    if (!QFileInfo(folder).isDir())
        return fail(error, QStringLiteral("Cannot write '%1': the folder '%2' does not exist").arg(target, folder));
    std::optional<struct stat> old;
    if (!checkTarget(target, kind, &old, error))
        return false;
    removeLeftovers(target);

    // The content written in place comes from the scratch file: its own
    // group and mode do not matter. A file in a folder where the saver may
    // add nothing can only be written in place.
    const bool closedFolder = ::access(native(folder).constData(), W_OK | X_OK) != 0;
    const bool inPlace = old && kind == Kind::File && S_ISREG(old->st_mode)
                         && (closedFolder || !renameKeepsOwnership(*old));
    using Place = PrivateScratch::Place;
    PrivateScratch scratch(target, inPlace && closedFolder ? Place::ScratchRoot : Place::BesideTarget);
    if (!scratch.make(target, error)
        || !buildScratch(build, scratch, target, kind, inPlace ? std::nullopt : old, error))
        return false;
    if (inPlace)
        return writeInPlace(scratch, target, error);
    if (!moveIn(scratch, kind, target, old.has_value(), error))
        return false;
    syncOne(folder, true); // the rename itself reaches the disk
    return true;
}

bool writeFile(const QString &path, const QByteArray &bytes, QString *error)
{
    if (containsNul(path))
        return refuseNul(path, error);
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return fail(error, QStringLiteral("Cannot create the folder '%1'").arg(folder));
    return save(path, Kind::File, [&bytes](const QString &scratch, QString *buildError) {
        return FileBytes::write(scratch, bytes, buildError);
    }, error);
}

} // namespace SafeSave
