#include "ZipReader.h"

#include "ZipSupport.h"
#include "platform/FileBytes.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <limits>

#include <sys/stat.h>

using ZipSupport::libzipText;

namespace {

constexpr qint64 pieceSize = 64 * 1024;

// Closes an opened entry on every way out.
struct EntryHandle {
    zip_file_t *file = nullptr;
    ~EntryHandle()
    {
        if (file)
            zip_fclose(file);
    }
};

bool hasDriveLetter(const QString &name)
{
    return name.size() >= 2 && name.at(1) == u':' && name.at(0).isLetter();
}

// The path of `name` below an extraction folder, or an error for a name that
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

bool describeEntry(zip_t *archive, zip_uint64_t index, const ZipArchive::Limits &limits, ZipReader::Entry *entry,
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
    if (!cleanEntryName(entry->name, &entry->path, error))
        return false;
    if (!entry->isFolder && entry->path.isEmpty())
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

// Every entry is checked before any data is read, so a hostile archive is
// refused before anything is unpacked.
bool describeEntries(zip_t *archive, const ZipArchive::Limits &limits, std::vector<ZipReader::Entry> *entries,
                     QString *error)
{
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    if (count > limits.maxEntries)
        return fail(error, QStringLiteral("The archive has %1 entries, more than the limit of %2")
                               .arg(count)
                               .arg(limits.maxEntries));
    qint64 total = 0;
    entries->resize(size_t(count));
    for (zip_int64_t i = 0; i < count; ++i) {
        ZipReader::Entry &entry = (*entries)[size_t(i)];
        if (!describeEntry(archive, zip_uint64_t(i), limits, &entry, error))
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

QString openFailure(const QString &path, int code)
{
    switch (code) {
    case ZIP_ER_NOZIP:
        // libzip's own text ("Not a zip archive") would only say it again.
        return QStringLiteral("'%1' is not a ZIP archive").arg(path);
    case ZIP_ER_INCONS:
        return QStringLiteral("'%1' is a damaged ZIP archive: %2").arg(path, libzipText(code));
    case ZIP_ER_NOENT:
        // libzip says "No such file" also for an archive whose directory
        // declares sizes it then lacks (4 GB without the ZIP64 record).
        if (QFileInfo::exists(path))
            return QStringLiteral("'%1' is a damaged ZIP archive: its directory cannot be read").arg(path);
        return QStringLiteral("Cannot open '%1': %2").arg(path, libzipText(code));
    default:
        return QStringLiteral("Cannot open '%1': %2").arg(path, libzipText(code));
    }
}

QString readFailure(const ZipReader::Entry &entry, zip_error_t *zipError)
{
    if (zip_error_code_zip(zipError) == ZIP_ER_CRC)
        return QStringLiteral("Entry '%1' is damaged: its CRC-32 does not match").arg(entry.name);
    return QStringLiteral("Entry '%1' cannot be read: %2")
        .arg(entry.name, QString::fromUtf8(zip_error_strerror(zipError)));
}

QString tooLong(const ZipReader::Entry &entry)
{
    return QStringLiteral("Entry '%1' holds more data than its header declares").arg(entry.name);
}

QString tooShort(const ZipReader::Entry &entry)
{
    return QStringLiteral("Entry '%1' holds less data than its header declares").arg(entry.name);
}

} // namespace

ZipReader::~ZipReader()
{
    if (m_archive)
        zip_discard(m_archive);
}

bool ZipReader::open(const QString &archivePath, QString *error, const ZipArchive::Limits &limits)
{
    if (m_archive)
        zip_discard(m_archive);
    m_archive = nullptr;
    m_entries.clear();
    // libzip would wait on a FIFO and read a device without end.
    if (!FileBytes::checkRegularFile(archivePath, error))
        return false;
    // libzip takes an empty file for an empty archive; it is no archive at all.
    const QFileInfo info(archivePath);
    if (info.isFile() && info.size() == 0)
        return fail(error, QStringLiteral("'%1' is not a ZIP archive: the file is empty").arg(archivePath));
    int code = 0;
    m_archive = zip_open(QFile::encodeName(archivePath).constData(), ZIP_RDONLY, &code);
    if (!m_archive)
        return fail(error, openFailure(archivePath, code));
    if (describeEntries(m_archive, limits, &m_entries, error))
        return true;
    m_entries.clear();
    return false;
}

bool ZipReader::read(const Entry &entry, char *buffer, QString *error) const
{
    EntryHandle input{ zip_fopen_index(m_archive, entry.index, 0) };
    if (!input.file)
        return fail(error, readFailure(entry, zip_get_error(m_archive)));
    qint64 copied = 0;
    while (copied < entry.size) {
        const zip_int64_t read = zip_fread(input.file, buffer + copied, zip_uint64_t(entry.size - copied));
        if (read < 0)
            return fail(error, readFailure(entry, zip_file_get_error(input.file)));
        if (read == 0)
            return fail(error, tooShort(entry));
        copied += read;
    }
    // libzip checks the CRC-32 when the data reaches its end, and an entry
    // may hold more than it declares: one more read tells both.
    char probe;
    const zip_int64_t beyond = zip_fread(input.file, &probe, 1);
    if (beyond < 0)
        return fail(error, readFailure(entry, zip_file_get_error(input.file)));
    if (beyond > 0)
        return fail(error, tooLong(entry));
    return true;
}

bool ZipReader::stream(const Entry &entry, const Sink &sink, QString *error) const
{
    EntryHandle input{ zip_fopen_index(m_archive, entry.index, 0) };
    if (!input.file)
        return fail(error, readFailure(entry, zip_get_error(m_archive)));
    std::vector<char> buffer(static_cast<size_t>(pieceSize));
    qint64 copied = 0;
    for (;;) {
        const zip_int64_t read = zip_fread(input.file, buffer.data(), zip_uint64_t(buffer.size()));
        if (read < 0)
            return fail(error, readFailure(entry, zip_file_get_error(input.file)));
        if (read == 0)
            break;
        if (read > entry.size - copied)
            return fail(error, tooLong(entry));
        if (!sink(buffer.data(), read))
            return false;
        copied += read;
    }
    if (copied != entry.size)
        return fail(error, tooShort(entry));
    return true;
}
