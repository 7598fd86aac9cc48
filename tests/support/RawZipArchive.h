#pragma once

// Archives written entry by entry with libzip, names and modes taken as
// given, so tests can make archives no well-behaved writer would; and
// patching of their header fields.

#include "platform/ZipArchive.h"

#include <QByteArray>
#include <QFile>
#include <QtEndian>

#include <vector>
#include <zip.h>

namespace RawZipArchive {

struct EntryToWrite {
    QByteArray name;
    QByteArray data;
    ZipArchive::Compression compression = ZipArchive::Compression::Deflated;
    zip_uint32_t unixMode = 0; // 0 keeps libzip's default attributes
};

inline bool writeArchive(const QString &path, const std::vector<EntryToWrite> &entries)
{
    int code = 0;
    zip_t *archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!archive)
        return false;
    for (const EntryToWrite &entry : entries) {
        zip_source_t *source = zip_source_buffer(archive, entry.data.constData(), zip_uint64_t(entry.data.size()), 0);
        const zip_int64_t index = zip_file_add(archive, entry.name.constData(), source, ZIP_FL_ENC_RAW);
        if (index < 0) {
            zip_source_free(source);
            zip_discard(archive);
            return false;
        }
        zip_set_file_compression(archive, zip_uint64_t(index),
                                 entry.compression == ZipArchive::Compression::Stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
        if (entry.unixMode)
            zip_file_set_external_attributes(archive, zip_uint64_t(index), 0, ZIP_OPSYS_UNIX, entry.unixMode << 16);
    }
    return zip_close(archive) == 0;
}

// Sets a little-endian 32-bit field at `offset` after every `signature`.
inline void patchField(QByteArray &bytes, const QByteArray &signature, int offset, quint32 value)
{
    for (qsizetype at = bytes.indexOf(signature); at >= 0; at = bytes.indexOf(signature, at + 4))
        qToLittleEndian(value, bytes.data() + at + offset);
}

} // namespace RawZipArchive
