#include "InPlaceWrite.h"

#include "platform/Failure.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray native(const QString &path)
{
    return QFile::encodeName(path);
}

class Descriptor
{
public:
    Descriptor(const QString &path, int flags, mode_t mode = 0)
        : m_fd(::open(native(path).constData(), flags | O_CLOEXEC, mode))
    {
    }
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    bool isOpen() const { return m_fd >= 0; }
    int fd() const { return m_fd; }

private:
    int m_fd;
};

bool writeAll(int fd, const char *data, ssize_t size)
{
    for (ssize_t done = 0; done < size;) {
        const ssize_t put = ::write(fd, data + done, size_t(size - done));
        if (put < 0 && errno != EINTR)
            return false;
        done += put > 0 ? put : 0;
    }
    return true;
}

// Writes everything `from` holds over `to` from its start, then cuts `to` to
// that size and flushes it. Nothing is cut before the end: the blocks the old
// content had stay allocated, so putting it back never needs new space.
bool copyOver(int from, int to)
{
    if (::lseek(from, 0, SEEK_SET) != 0 || ::lseek(to, 0, SEEK_SET) != 0)
        return false;
    std::vector<char> buffer(256 * 1024);
    off_t total = 0;
    for (;;) {
        const ssize_t got = ::read(from, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            break;
        if (!writeAll(to, buffer.data(), got))
            return false;
        total += got;
    }
    return ::ftruncate(to, total) == 0 && ::fsync(to) == 0;
}

// The old content's name says which file it belongs to, so that it never goes
// into another file (nor into one that was replaced since).
QString copyPath(const QString &scratchFolder, const struct stat &file)
{
    return scratchFolder + QStringLiteral("/old-content-%1-%2").arg(file.st_dev).arg(file.st_ino);
}

bool syncFolder(const QString &folder)
{
    const Descriptor descriptor(folder, O_RDONLY | O_DIRECTORY);
    return descriptor.isOpen() && (::fsync(descriptor.fd()) == 0 || errno == EINVAL);
}

bool putBack(const QString &copy, int target)
{
    const Descriptor old(copy, O_RDONLY);
    return old.isOpen() && copyOver(old.fd(), target);
}

const QString noteName = QStringLiteral("target");

bool writeFailure(QString *error, const QString &target, int code)
{
    return fail(error, QStringLiteral("Cannot write '%1': %2").arg(target, qt_error_string(code)));
}

} // namespace

namespace InPlaceWrite {

bool write(const QString &source, const QString &target, const QString &scratchFolder, bool *keepScratch,
           QString *error)
{
    *keepScratch = false;
    const Descriptor file(target, O_RDWR);
    struct stat status;
    if (!file.isOpen() || ::fstat(file.fd(), &status) != 0)
        return writeFailure(error, target, errno);

    // The copy takes its final name only once whole and on disk: a copy by
    // that name is always one to put back.
    const QString copying = scratchFolder + QStringLiteral("/old-content-copying");
    const QString copy = copyPath(scratchFolder, status);
    {
        const Descriptor old(copying, O_WRONLY | O_CREAT | O_EXCL, S_IRUSR | S_IWUSR);
        if (!old.isOpen() || !copyOver(file.fd(), old.fd()))
            return writeFailure(error, target, errno);
    }
    if (std::rename(native(copying).constData(), native(copy).constData()) != 0 || !syncFolder(scratchFolder))
        return writeFailure(error, target, errno);

    const Descriptor fresh(source, O_RDONLY);
    if (fresh.isOpen() && copyOver(fresh.fd(), file.fd())) {
        // At once: from here on a kill must not take the file back.
        ::unlink(native(copy).constData());
        return true;
    }
    const int code = errno;
    *keepScratch = !putBack(copy, file.fd());
    return writeFailure(error, target, code);
}

bool restoreLeftover(const QString &scratchFolder, const QString &target)
{
    struct stat status;
    if (::stat(native(target).constData(), &status) != 0 || !S_ISREG(status.st_mode))
        return true;
    const QString copy = copyPath(scratchFolder, status);
    if (!QFile::exists(copy))
        return true;
    const Descriptor file(target, O_WRONLY);
    return file.isOpen() && putBack(copy, file.fd());
}

bool noteTarget(const QString &scratchFolder, const QString &target)
{
    QFile note(scratchFolder + u'/' + noteName);
    const QByteArray path = native(target);
    return note.open(QIODevice::WriteOnly) && note.write(path) == path.size() && note.flush()
           && ::fsync(note.handle()) == 0;
}

bool restoreNotedLeftovers(const QString &folder)
{
    bool allBack = true;
    const QDir parent(folder);
    for (const QString &name : parent.entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot | QDir::NoSymLinks)) {
        QFile note(parent.filePath(name) + u'/' + noteName);
        if (note.open(QIODevice::ReadOnly))
            allBack = restoreLeftover(parent.filePath(name), QFile::decodeName(note.readAll())) && allBack;
    }
    return allBack;
}

} // namespace InPlaceWrite
