#include "ZipStoredDeflate.h"

#include <algorithm>
#include <cstring>

#include <zlib.h>

namespace ZipStoredDeflate {

namespace {

constexpr qsizetype maxStoredBlock = 0xFFFF;

// What the source callback serves: the stored-block stream, with the size and
// CRC of the bytes it holds.
struct StoredEntry {
    QByteArray stream;
    zip_uint64_t size = 0;
    zip_uint32_t crc = 0;
    zip_uint64_t position = 0;
};

zip_uint32_t crcOf(const QByteArray &bytes)
{
    uLong crc = crc32(0, nullptr, 0);
    const auto *data = reinterpret_cast<const Bytef *>(bytes.constData());
    qsizetype left = bytes.size();
    while (left > 0) {
        const uInt chunk = uInt(std::min<qsizetype>(left, 1 << 30));
        crc = crc32(crc, data, chunk);
        data += chunk;
        left -= chunk;
    }
    return zip_uint32_t(crc);
}

zip_int64_t serve(void *state, void *data, zip_uint64_t length, zip_source_cmd_t command)
{
    auto *entry = static_cast<StoredEntry *>(state);
    switch (command) {
    case ZIP_SOURCE_OPEN:
        entry->position = 0;
        return 0;
    case ZIP_SOURCE_READ: {
        const zip_uint64_t count = std::min(length, zip_uint64_t(entry->stream.size()) - entry->position);
        std::memcpy(data, entry->stream.constData() + entry->position, count);
        entry->position += count;
        return zip_int64_t(count);
    }
    case ZIP_SOURCE_CLOSE:
        return 0;
    case ZIP_SOURCE_STAT: {
        auto *stat = static_cast<zip_stat_t *>(data);
        zip_stat_init(stat);
        stat->valid = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_CRC | ZIP_STAT_COMP_METHOD;
        stat->size = entry->size;
        stat->comp_size = zip_uint64_t(entry->stream.size());
        stat->crc = entry->crc;
        stat->comp_method = ZIP_CM_DEFLATE;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR: {
        // Nothing here fails; libzip asks only after a failure of its own.
        auto *codes = static_cast<int *>(data);
        codes[0] = ZIP_ER_INTERNAL;
        codes[1] = 0;
        return 2 * sizeof(int);
    }
    case ZIP_SOURCE_FREE:
        delete entry;
        return 0;
    case ZIP_SOURCE_SUPPORTS:
        return zip_source_make_command_bitmap(ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                                              ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, -1);
    default:
        return -1;
    }
}

} // namespace

bool isCompressedPicture(const QByteArray &head)
{
    return head.startsWith("\x89PNG\r\n\x1A\n") || head.startsWith("\xFF\xD8\xFF") || head.startsWith("GIF87a")
           || head.startsWith("GIF89a");
}

QByteArray storedBlocks(const QByteArray &bytes)
{
    QByteArray stream;
    stream.reserve(bytes.size() + 5 * (bytes.size() / maxStoredBlock + 1));
    qsizetype at = 0;
    do {
        const qsizetype length = std::min(maxStoredBlock, bytes.size() - at);
        const bool last = at + length == bytes.size();
        // Block header: final flag and type 00 (stored), padded to the byte;
        // then the length and its one's complement, little-endian.
        const char header[5] = {char(last ? 1 : 0), char(length & 0xFF), char(length >> 8),
                                char(~length & 0xFF), char((~length >> 8) & 0xFF)};
        stream.append(header, sizeof header);
        stream.append(bytes.constData() + at, length);
        at += length;
    } while (at < bytes.size());
    return stream;
}

zip_source_t *source(zip_t *archive, QByteArray bytes)
{
    auto *entry = new StoredEntry;
    entry->size = zip_uint64_t(bytes.size());
    entry->crc = crcOf(bytes);
    entry->stream = storedBlocks(bytes);
    bytes = QByteArray(); // only the stream is kept until the archive is written
    zip_source_t *made = zip_source_function(archive, serve, entry);
    if (!made)
        delete entry;
    return made;
}

} // namespace ZipStoredDeflate
