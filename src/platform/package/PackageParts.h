#pragma once

#include "platform/ReadBudget.h"
#include "platform/ZipArchive.h"
#include "platform/ZipReader.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>
#include <pugixml.hpp>
#include <vector>

// A package opened for reading. Parts are read from the archive on demand,
// straight into memory, never through files; names are looked up ignoring
// letter case, as part names do. Opening refuses hostile archives (see
// ZipReader); each read checks the part's CRC-32 and size.
class PackageParts
{
public:
    PackageParts() = default;
    PackageParts(const PackageParts &) = delete;
    PackageParts &operator=(const PackageParts &) = delete;

    // Opens `archivePath`; false with *error when it is not a zip, is
    // damaged, or has entries over the limits or with hostile names.
    bool open(const QString &archivePath, QString *error, const ZipArchive::Limits &limits = {});

    bool contains(const QString &partName) const { return find(partName) != nullptr; }
    // The part's name as the archive stores it (cleaned of "." segments), so
    // two names that differ only in case give the same text; nullopt when
    // there is no such part.
    std::optional<QString> storedName(const QString &partName) const;
    // The size the archive declares for the part; nullopt when there is none.
    std::optional<qint64> size(const QString &partName) const;
    // The part's bytes; nullopt with *error ("<part>: <reason>") when it is
    // missing or damaged.
    std::optional<QByteArray> read(const QString &partName, QString *error) const;
    // Parses the part into `doc` (XmlRead rules), reading it in place; false
    // with *error ("<part>: <reason>") when it is missing, damaged or not
    // well-formed. With a budget, the bytes and the tree they can make
    // (XmlRead::treeBytes) are taken from it before parsing, and the part is
    // refused when they do not fit; the caller gives them back when it
    // drops `doc`.
    bool loadXml(pugi::xml_document &doc, const QString &partName, QString *error,
                 ReadBudget *budget = nullptr) const;
    // Checks the data of every part not read so far, so damage anywhere in
    // the package is found as unpacking it would find it; false with *error
    // at the first damaged one.
    bool checkUnreadParts(QString *error) const;

private:
    const ZipReader::Entry *find(const QString &partName) const;
    bool readInto(const ZipReader::Entry &entry, char *buffer, QString *error) const;

    ZipReader m_archive;
    QHash<QString, qsizetype> m_entries; // lower-cased part name -> position in the archive
    mutable std::vector<bool> m_checked; // by position: data read and found sound
};
