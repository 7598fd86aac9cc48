#include "platform/FileBytes.h"

#include "platform/Failure.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <fcntl.h>
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

bool writeFailure(QString *error, const QString &path, int code)
{
    return fail(error, QStringLiteral("Cannot write '%1': %2").arg(path, qt_error_string(code)));
}

} // namespace

namespace FileBytes {

std::optional<QByteArray> read(const QString &path, qint64 maximumSize, QString *error)
{
    const QFileInfo info(path);
    if (!info.exists())
        return refuse(error, QStringLiteral("The file %1 does not exist.").arg(path));
    if (!info.isFile())
        return refuse(error, QStringLiteral("%1 is not a regular file.").arg(path));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refuse(error, QStringLiteral("Could not read %1: %2").arg(path, file.errorString()));
    // The size of the open file, not of the name looked at above.
    const qint64 size = file.size();
    if (size > maximumSize)
        return refuse(error, QStringLiteral("The file %1 is too large to open.").arg(path));
    QByteArray bytes = file.read(size);
    if (bytes.size() != size && file.error() != QFileDevice::NoError)
        return refuse(error, QStringLiteral("Could not read %1: %2").arg(path, file.errorString()));
    return bytes;
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
