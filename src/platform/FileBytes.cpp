#include "platform/FileBytes.h"

#include "platform/Failure.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::optional<QByteArray> refuse(QString *error, const QString &message)
{
    fail(error, message);
    return std::nullopt;
}

// Writes everything, going on after a partial write, so a failure always
// comes with the system's reason in errno.
bool writeAll(int fd, const QByteArray &bytes)
{
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, size_t(left));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return false;
        if (written == 0) {
            errno = EIO;
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

// Closes a descriptor on every way out.
struct Descriptor {
    int fd;
    ~Descriptor() { ::close(fd); }
};

// The file at `path` opened for reading when it is a regular file (a link
// followed to one); -1 with *error otherwise. Opening does not wait for a
// FIFO's writer, and the kind is taken from the opened file, so a name
// changed between a check and the read cannot slip a device or FIFO in.
int openRegular(const QString &path, QString *error)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            fail(error, QStringLiteral("The file %1 does not exist.").arg(path));
        else
            fail(error, QStringLiteral("Could not read %1: %2").arg(path, qt_error_string(errno)));
        return -1;
    }
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        fail(error, QStringLiteral("%1 is not a regular file.").arg(path));
        return -1;
    }
    // Reads of a regular file never wait; blocking mode only keeps them whole.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

// Reads up to `size` bytes, going on after short reads; the count read
// (less at the end of the file), or -1 with errno set.
qint64 readAll(int fd, char *data, qint64 size)
{
    qint64 got = 0;
    while (got < size) {
        const ssize_t read = ::read(fd, data + got, size_t(size - got));
        if (read < 0 && errno == EINTR)
            continue;
        if (read < 0)
            return -1;
        if (read == 0)
            break;
        got += read;
    }
    return got;
}

bool writeFailure(QString *error, const QString &path, int code)
{
    return fail(error, QStringLiteral("Cannot write '%1': %2").arg(path, qt_error_string(code)));
}

} // namespace

namespace FileBytes {

std::optional<QByteArray> read(const QString &path, qint64 maximumSize, QString *error)
{
    const int fd = openRegular(path, error);
    if (fd < 0)
        return std::nullopt;
    const Descriptor owner{fd};
    // The size of the open file, not of the name looked at before.
    struct stat status;
    if (::fstat(fd, &status) != 0)
        return refuse(error, QStringLiteral("Could not read %1: %2").arg(path, qt_error_string(errno)));
    const qint64 size = status.st_size;
    if (size > maximumSize)
        return refuse(error, QStringLiteral("The file %1 is too large to open.").arg(path));
    QByteArray bytes(size, Qt::Uninitialized);
    const qint64 got = readAll(fd, bytes.data(), size);
    if (got < 0)
        return refuse(error, QStringLiteral("Could not read %1: %2").arg(path, qt_error_string(errno)));
    // A file that shrank while being read gives what it held.
    bytes.truncate(got);
    return bytes;
}

bool checkRegularFile(const QString &path, QString *error)
{
    const int fd = openRegular(path, error);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

bool write(const QString &path, const QByteArray &bytes, QString *error)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        return writeFailure(error, path, errno);
    const bool written = writeAll(fd, bytes);
    const int code = errno;
    if (::close(fd) != 0 && written)
        return writeFailure(error, path, errno);
    return written || writeFailure(error, path, code);
}

} // namespace FileBytes
