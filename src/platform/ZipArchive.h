#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

#include <vector>

// ZIP packages on libzip. Errors are returned as readable text; libzip's own
// error values never leave this module.
namespace ZipArchive {

// Deflated entries are compressed at zlib's default level (6), except PNG,
// JPEG and GIF pictures, which deflate cannot shrink: they are written as
// deflate's stored blocks, as fast as a copy.
enum class Compression { Stored, Deflated };

struct Limits {
    qint64 maxEntrySize = qint64(256) * 1024 * 1024;  // uncompressed bytes per entry
    qint64 maxTotalSize = qint64(1024) * 1024 * 1024; // uncompressed bytes in all
    int maxEntries = 20000;
};

// Zips the contents of `folder` (not the folder itself) into a new archive at
// `archivePath`, "[Content_Types].xml" first when present, the other entries
// in ascending order of their '/'-separated paths (UTF-8 names). Folders get
// entries of their own only when empty; symbolic links are left out, and so
// is the destination itself when it lies inside `folder`. The archive is
// saved through SafeSave (built beside the destination, swapped in only when
// complete, links followed, permissions kept, a read-only file refused).
// Returns false and sets *error on failure.
bool zipFolder(const QString &folder, const QString &archivePath, Compression compression,
               QString *error);

// One file of an archive built from memory: its '/'-separated name inside
// the archive and its bytes.
struct MemoryEntry {
    QString name;
    QByteArray bytes;
};

// Zips `entries` into a new archive at `archivePath` in the order and with
// the names zipFolder() gives a folder holding them ("[Content_Types].xml"
// first, the rest by name), through SafeSave in the same way. Nothing is
// written to disk but the archive. Returns false and sets *error on failure.
bool zipEntries(std::vector<MemoryEntry> entries, const QString &archivePath, Compression compression,
                QString *error);

} // namespace ZipArchive
