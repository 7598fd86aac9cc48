#include "ZipArchive.h"

#include "ZipSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <limits>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using ZipSupport::fail;
using ZipSupport::libzipText;

namespace {

struct PlannedEntry {
    zip_uint64_t index;
    QString name;     // as stored, for messages
    QString relative; // cleaned path below the target folder; empty for the root
    bool isFolder;
    qint64 size;      // declared uncompressed size
};

// Closes what libzip opened on every way out.
struct ArchiveHandle {
    zip_t *archive = nullptr;
    ~ArchiveHandle()
    {
        if (archive)
            zip_discard(archive);
    }
};

struct EntryHandle {
    zip_file_t *file = nullptr;
    ~EntryHandle()
    {
        if (file)
            zip_fclose(file);
    }
};

struct OutputFile {
    int fd = -1;
    ~OutputFile()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

bool hasDriveLetter(const QString &name)
{
    return name.size() >= 2 && name.at(1) == u':' && name.at(0).isLetter();
}

// The path of `name` below the target folder, or an error for a name that
// could lead anywhere else.
bool cleanEntryName(const QString &name, QString *relative, QString *error)
{
    if (name.isEmpty())
        return fail(error, QStringLiteral("An entry has an empty name"));
    if (name.contains(u'\\'))
        return fail(error, QStringLiteral("Entry '%1' has a backslash in its name").arg(name));
    if (name.startsWith(u'/'))
        return fail(error, QStringLiteral("Entry '%1' has an absolute path").arg(name));
    if (hasDriveLetter(name))
        return fail(error, QStringLiteral("Entry '%1' has a drive letter").arg(name));
    QStringList kept;
    for (const QString &segment : name.split(u'/', Qt::SkipEmptyParts)) {
        if (segment == QLatin1String(".."))
            return fail(error, QStringLiteral("Entry '%1' would leave the target folder").arg(name));
        if (segment != QLatin1String("."))
            kept.append(segment);
    }
    *relative = kept.join(u'/');
    return true;
}

bool isSymbolicLink(zip_t *archive, zip_uint64_t index)
{
    zip_uint8_t system = 0;
    zip_uint32_t attributes = 0;
    if (zip_file_get_external_attributes(archive, index, 0, &system, &attributes) != 0)
        return false;
    // Unix modes live in the high 16 bits whatever system the writer claims.
    return ((attributes >> 16) & S_IFMT) == S_IFLNK;
}

bool planEntry(zip_t *archive, zip_uint64_t index, const ZipArchive::Limits &limits, PlannedEntry *entry,
               QString *error)
{
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(archive, index, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_NAME)
        || !(stat.valid & ZIP_STAT_SIZE))
        return fail(error, QStringLiteral("Entry %1 cannot be read: %2")
                               .arg(index)
                               .arg(QString::fromUtf8(zip_strerror(archive))));
    entry->index = index;
    entry->name = QString::fromUtf8(stat.name);
    entry->isFolder = entry->name.endsWith(u'/');
    entry->size = stat.size > zip_uint64_t(std::numeric_limits<qint64>::max()) ? std::numeric_limits<qint64>::max()
                                                                               : qint64(stat.size);
    if (!cleanEntryName(entry->name, &entry->relative, error))
        return false;
    if (!entry->isFolder && entry->relative.isEmpty())
        return fail(error, QStringLiteral("Entry '%1' names no file").arg(entry->name));
    if (isSymbolicLink(archive, index))
        return fail(error, QStringLiteral("Entry '%1' is a symbolic link").arg(entry->name));
    if (!entry->isFolder && entry->size > limits.maxEntrySize)
        return fail(error, QStringLiteral("Entry '%1' would unpack to %2 bytes, more than the limit of %3")
                               .arg(entry->name)
                               .arg(entry->size)
                               .arg(limits.maxEntrySize));
    return true;
}

// Every entry checked before anything is written, so a hostile archive is
// refused without leaving files behind.
bool planExtraction(zip_t *archive, const ZipArchive::Limits &limits, std::vector<PlannedEntry> *plan,
                    QString *error)
{
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    if (count > limits.maxEntries)
        return fail(error, QStringLiteral("The archive has %1 entries, more than the limit of %2")
                               .arg(count)
                               .arg(limits.maxEntries));
    qint64 total = 0;
    plan->resize(size_t(count));
    for (zip_int64_t i = 0; i < count; ++i) {
        PlannedEntry &entry = (*plan)[size_t(i)];
        if (!planEntry(archive, zip_uint64_t(i), limits, &entry, error))
            return false;
        if (entry.isFolder)
            continue;
        if (entry.size > limits.maxTotalSize - total)
            return fail(error, QStringLiteral("The archive would unpack to more than the limit of %1 bytes")
                                   .arg(limits.maxTotalSize));
        total += entry.size;
    }
    return true;
}

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

QString readFailure(const PlannedEntry &entry, zip_error_t *zipError)
{
    if (zip_error_code_zip(zipError) == ZIP_ER_CRC)
        return QStringLiteral("Entry '%1' is damaged: its CRC-32 does not match").arg(entry.name);
    return QStringLiteral("Entry '%1' cannot be read: %2").arg(entry.name, QString::fromUtf8(zip_error_strerror(zipError)));
}

// Copies the entry's data to `fd`, never more than its header declares; the
// CRC-32 is checked by libzip when the data has been read to its end.
bool copyEntry(zip_t *archive, const PlannedEntry &entry, int fd, const QString &path, QString *error)
{
    EntryHandle input{ zip_fopen_index(archive, entry.index, 0) };
    if (!input.file)
        return fail(error, readFailure(entry, zip_get_error(archive)));
    QByteArray buffer(64 * 1024, Qt::Uninitialized);
    qint64 copied = 0;
    for (;;) {
        const zip_int64_t read = zip_fread(input.file, buffer.data(), zip_uint64_t(buffer.size()));
        if (read < 0)
            return fail(error, readFailure(entry, zip_file_get_error(input.file)));
        if (read == 0)
            break;
        if (read > entry.size - copied)
            return fail(error, QStringLiteral("Entry '%1' holds more data than its header declares").arg(entry.name));
        if (!writeAll(fd, buffer.constData(), read))
            return fail(error, QStringLiteral("Cannot write '%1': %2").arg(path, qt_error_string(errno)));
        copied += read;
    }
    if (copied != entry.size)
        return fail(error, QStringLiteral("Entry '%1' holds less data than its header declares").arg(entry.name));
    return true;
}

bool extractFile(zip_t *archive, const PlannedEntry &entry, const QString &root, QString *error)
{
    const qsizetype slash = entry.relative.lastIndexOf(u'/');
    if (!makeFolderInside(root, slash < 0 ? QString() : entry.relative.left(slash), error))
        return false;
    const QString path = root + u'/' + entry.relative;
    OutputFile output{ ::open(QFile::encodeName(path).constData(),
                              O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644) };
    if (output.fd < 0)
        return fail(error, QStringLiteral("Cannot create '%1': %2").arg(path, qt_error_string(errno)));
    if (copyEntry(archive, entry, output.fd, path, error))
        return true;
    QFile::remove(path); // no half-written or unverified file stays
    return false;
}

QString openFailure(const QString &path, int code)
{
    switch (code) {
    case ZIP_ER_NOZIP:
        return QStringLiteral("'%1' is not a ZIP archive: %2").arg(path, libzipText(code));
    case ZIP_ER_INCONS:
        return QStringLiteral("'%1' is a damaged ZIP archive: %2").arg(path, libzipText(code));
    default:
        return QStringLiteral("Cannot open '%1': %2").arg(path, libzipText(code));
    }
}

bool openArchive(const QString &path, ArchiveHandle *handle, QString *error)
{
    // libzip takes an empty file for an empty archive; it is no archive at all.
    if (QFileInfo(path).isFile() && QFileInfo(path).size() == 0)
        return fail(error, QStringLiteral("'%1' is not a ZIP archive: the file is empty").arg(path));
    int code = 0;
    handle->archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (!handle->archive)
        return fail(error, openFailure(path, code));
    return true;
}

} // namespace

namespace ZipArchive {

bool unzipToFolder(const QString &archivePath, const QString &targetFolder, QString *error, const Limits &limits)
{
    ArchiveHandle handle;
    if (!openArchive(archivePath, &handle, error))
        return false;
    std::vector<PlannedEntry> plan;
    if (!planExtraction(handle.archive, limits, &plan, error))
        return false;
    if (!QDir().mkpath(targetFolder))
        return fail(error, QStringLiteral("Cannot create the folder '%1'").arg(targetFolder));
    const QString root = QFileInfo(targetFolder).canonicalFilePath();
    for (const PlannedEntry &entry : plan) {
        const bool done = entry.isFolder ? makeFolderInside(root, entry.relative, error)
                                         : extractFile(handle.archive, entry, root, error);
        if (!done)
            return false;
    }
    return true;
}

} // namespace ZipArchive
