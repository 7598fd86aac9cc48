#pragma once

#include "platform/ZipArchive.h"

#include <QString>
#include <QtGlobal>

#include <functional>
#include <vector>

struct zip;

// An archive opened for reading entry by entry, without unpacking it. Opening
// checks every entry before any data is read: names that could lead outside
// a folder (absolute, "..", backslashes, drive letters), symbolic links, and
// the declared sizes and count against ZipArchive::Limits. Reading an entry
// checks its CRC-32 and that it holds exactly the bytes it declares.
class ZipReader
{
public:
    struct Entry {
        quint64 index = 0;
        QString name;   // as stored, for messages
        QString path;   // cleaned, '/'-separated, relative; empty for the root folder
        bool isFolder = false;
        qint64 size = 0; // declared uncompressed size
    };
    // Receives an entry's data piece by piece; returning false stops the read.
    using Sink = std::function<bool(const char *data, qint64 size)>;

    ZipReader() = default;
    ~ZipReader();
    ZipReader(const ZipReader &) = delete;
    ZipReader &operator=(const ZipReader &) = delete;

    // Opens `archivePath`; false with *error when it is no ZIP archive, is
    // damaged, or an entry is hostile or over the limits.
    bool open(const QString &archivePath, QString *error, const ZipArchive::Limits &limits = {});
    // The entries in archive order; empty before a successful open.
    const std::vector<Entry> &entries() const { return m_entries; }

    // Reads the whole of `entry` (a file) into `buffer`, which holds
    // entry.size bytes. False with *error ("Entry '<name>' ...") when the data
    // is damaged or its size differs from the declared one.
    bool read(const Entry &entry, char *buffer, QString *error) const;
    // Hands the entry's data to `sink` in pieces of at most 64 KiB, with the
    // same checks; false with *error, or without touching it when the sink
    // returned false.
    bool stream(const Entry &entry, const Sink &sink, QString *error) const;

private:
    zip *m_archive = nullptr;
    std::vector<Entry> m_entries;
};
