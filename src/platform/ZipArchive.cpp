#include "ZipArchive.h"

#include "SafeSave.h"
#include "ZipStoredDeflate.h"
#include "ZipSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <vector>

using ZipSupport::libzipText;

namespace {

const QString contentTypesName = QStringLiteral("[Content_Types].xml");

constexpr zip_uint32_t zlibDefaultLevel = 6; // what Z_DEFAULT_COMPRESSION stands for
// Enough of an entry's start to know a compressed picture by.
constexpr qint64 pictureSignatureLength = 8;

struct SourceEntry {
    QString name; // relative to the zipped folder, '/' separated, folders end in '/'
    QString path;
};

// The order of entries: "[Content_Types].xml" first, the rest by name.
bool comesBefore(const QString &a, const QString &b)
{
    const bool aFirst = a == contentTypesName;
    const bool bFirst = b == contentTypesName;
    return aFirst != bFirst ? aFirst : a < b;
}

bool isEmptyFolder(const QString &path)
{
    return QDir(path).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// Files and empty folders below `folder`, without symbolic links and without
// `skipPath`; "[Content_Types].xml" first, the rest by name.
std::vector<SourceEntry> collectEntries(const QString &folder, const QString &skipPath)
{
    std::vector<SourceEntry> entries;
    const QDir root(folder);
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        if (info.isSymLink() || info.absoluteFilePath() == skipPath)
            continue;
        const QString name = root.relativeFilePath(info.absoluteFilePath());
        if (info.isDir()) {
            if (isEmptyFolder(info.absoluteFilePath()))
                entries.push_back({ name + u'/', info.absoluteFilePath() });
        } else if (info.isFile()) {
            entries.push_back({ name, info.absoluteFilePath() });
        }
    }
    std::sort(entries.begin(), entries.end(), [](const SourceEntry &a, const SourceEntry &b) {
        return comesBefore(a.name, b.name);
    });
    return entries;
}

// Adds `source` (taking it over) as the entry `name`; `shownName` names it in errors.
bool addSource(zip_t *archive, const QByteArray &name, zip_source_t *source, const QString &shownName,
               ZipArchive::Compression compression, QString *error)
{
    const zip_int64_t index = source ? zip_file_add(archive, name.constData(), source, ZIP_FL_ENC_UTF_8) : -1;
    if (index < 0) {
        if (source)
            zip_source_free(source);
        return fail(error, QStringLiteral("Cannot add '%1': %2")
                               .arg(shownName, QString::fromUtf8(zip_strerror(archive))));
    }
    const zip_int32_t method = compression == ZipArchive::Compression::Stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE;
    // libzip reads 0 as level 9, which costs twice the time of zlib's own
    // default for a few per cent of size (and nothing on PNG pictures).
    const zip_uint32_t level = compression == ZipArchive::Compression::Stored ? 0 : zlibDefaultLevel;
    if (zip_set_file_compression(archive, zip_uint64_t(index), method, level) == 0)
        return true;
    return fail(error, QStringLiteral("Cannot compress '%1': %2")
                           .arg(shownName, QString::fromUtf8(zip_strerror(archive))));
}

bool addEntry(zip_t *archive, const SourceEntry &entry, ZipArchive::Compression compression, QString *error)
{
    const QByteArray name = entry.name.toUtf8();
    if (name.endsWith('/')) {
        if (zip_dir_add(archive, name.chopped(1).constData(), ZIP_FL_ENC_UTF_8) >= 0)
            return true;
        return fail(error, QStringLiteral("Cannot add the folder '%1': %2")
                               .arg(entry.name, QString::fromUtf8(zip_strerror(archive))));
    }
    if (compression == ZipArchive::Compression::Deflated) {
        QFile file(entry.path);
        if (!file.open(QIODevice::ReadOnly))
            return fail(error, QStringLiteral("Cannot read '%1': %2").arg(entry.path, file.errorString()));
        if (ZipStoredDeflate::isCompressedPicture(file.peek(pictureSignatureLength))) {
            QByteArray bytes = file.readAll();
            if (file.error() != QFileDevice::NoError)
                return fail(error, QStringLiteral("Cannot read '%1': %2").arg(entry.path, file.errorString()));
            return addSource(archive, name, ZipStoredDeflate::source(archive, std::move(bytes)), entry.path,
                             compression, error);
        }
    }
    zip_source_t *source = zip_source_file(archive, QFile::encodeName(entry.path).constData(), 0, 0);
    return addSource(archive, name, source, entry.path, compression, error);
}

// Adds `bytes` without copying them: they must stay alive until the archive
// is closed.
bool addMemoryEntry(zip_t *archive, const ZipArchive::MemoryEntry &entry, ZipArchive::Compression compression,
                    QString *error)
{
    zip_source_t *source = compression == ZipArchive::Compression::Deflated
                                   && ZipStoredDeflate::isCompressedPicture(entry.bytes.left(pictureSignatureLength))
                               ? ZipStoredDeflate::source(archive, entry.bytes)
                               : zip_source_buffer(archive, entry.bytes.constData(), zip_uint64_t(entry.bytes.size()), 0);
    return addSource(archive, entry.name.toUtf8(), source, entry.name, compression, error);
}

// libzip writes nothing for an archive without entries, so the empty archive
// (an end-of-central-directory record alone) is written here.
bool writeEmptyArchive(const QString &path, QString *error)
{
    QByteArray record("PK\x05\x06", 4);
    record.append(18, '\0');
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly) && file.write(record) == record.size() && file.flush())
        return true;
    return fail(error, QStringLiteral("Cannot write '%1': %2").arg(path, file.errorString()));
}

// Writes the archive of `entries` at `scratch`, each added by `add`
// (addEntry or addMemoryEntry).
template<typename Entry, typename AddEntry>
bool writeArchive(const QString &scratch, const std::vector<Entry> &entries, AddEntry add,
                  ZipArchive::Compression compression, QString *error)
{
    if (entries.empty())
        return writeEmptyArchive(scratch, error);
    int code = 0;
    zip_t *archive = zip_open(QFile::encodeName(scratch).constData(), ZIP_CREATE | ZIP_EXCL, &code);
    if (!archive)
        return fail(error, QStringLiteral("Cannot create '%1': %2").arg(scratch, libzipText(code)));
    for (const Entry &entry : entries) {
        if (!add(archive, entry, compression, error)) {
            zip_discard(archive);
            return false;
        }
    }
    // Sources are read here, so a file that vanished or cannot be read fails now.
    if (zip_close(archive) != 0) {
        fail(error, QStringLiteral("Cannot write '%1': %2").arg(scratch, QString::fromUtf8(zip_strerror(archive))));
        zip_discard(archive);
        return false;
    }
    return true;
}

} // namespace

namespace ZipArchive {

bool zipFolder(const QString &folder, const QString &archivePath, Compression compression, QString *error)
{
    if (!QFileInfo(folder).isDir())
        return fail(error, QStringLiteral("Cannot zip '%1': it is not a folder").arg(folder));
    const QFileInfo destination(archivePath);
    if (destination.isDir())
        return fail(error, QStringLiteral("Cannot write '%1': it is a folder").arg(archivePath));

    const std::vector<SourceEntry> entries = collectEntries(folder, destination.absoluteFilePath());
    return SafeSave::save(archivePath, SafeSave::Kind::File, [&](const QString &scratch, QString *buildError) {
        return writeArchive(scratch, entries, addEntry, compression, buildError);
    }, error);
}

bool zipEntries(std::vector<MemoryEntry> entries, const QString &archivePath, Compression compression,
                QString *error)
{
    if (QFileInfo(archivePath).isDir())
        return fail(error, QStringLiteral("Cannot write '%1': it is a folder").arg(archivePath));
    std::sort(entries.begin(), entries.end(), [](const MemoryEntry &a, const MemoryEntry &b) {
        return comesBefore(a.name, b.name);
    });
    return SafeSave::save(archivePath, SafeSave::Kind::File, [&](const QString &scratch, QString *buildError) {
        return writeArchive(scratch, entries, addMemoryEntry, compression, buildError);
    }, error);
}

} // namespace ZipArchive
