#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Reads a compound file (the container of Word 97 documents and other OLE
// files): header, DIFAT, FAT, mini FAT and mini stream, directory, and the
// streams by name. The whole container is checked when opened: sector chains
// that loop or leave the file, FAT and DIFAT counts past the file, directory
// entries that form cycles and stream sizes past the container are errors.
// A stream's own sector chain is checked when the stream is read.
class CompoundFileReader
{
public:
    struct Entry {
        QString path; // '/'-separated from the root storage, e.g. "ObjectPool/_1/Ole"
        bool isStream = false;
        qint64 size = 0; // bytes; 0 for a storage
    };

    // Parses `bytes`. Returns the reader, or nothing with *error set to a
    // sentence a user can read.
    static std::optional<CompoundFileReader> open(const QByteArray &bytes, QString *error);

    // Whether `bytes` start with the compound file signature.
    static bool hasSignature(const QByteArray &bytes);

    // Every storage and stream below the root, parents before their
    // children, siblings in name order.
    const QList<Entry> &entries() const { return m_entries; }
    QStringList streamPaths() const;
    bool hasStream(const QString &path) const { return indexOf(path) >= 0; }

    // The bytes of the stream at `path` (exact names, '/'-separated), or
    // nothing with *error set when there is no such stream.
    std::optional<QByteArray> stream(const QString &path, QString *error) const;

private:
    friend class CompoundFileParser;
    struct Location {
        quint32 startSector = 0;
        bool inMiniStream = false;
    };

    CompoundFileReader() = default;
    int indexOf(const QString &path) const;

    QByteArray m_bytes;
    int m_sectorShift = 9;
    QList<quint32> m_fat;
    QList<quint32> m_miniFat;
    QByteArray m_miniStream;
    QList<Entry> m_entries;
    QList<Location> m_locations; // one per entry
};
