#pragma once

#include "platform/TemporaryFolder.h"
#include "platform/ZipArchive.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <optional>
#include <pugixml.hpp>

// A package opened for reading: the archive is unpacked (ZipArchive, with its
// limits) into a scratch folder that lives as long as this object, and parts
// are looked up among the files found there, ignoring letter case as part
// names do, never through a link and never outside the folder.
class PackageParts
{
public:
    PackageParts() = default;
    PackageParts(const PackageParts &) = delete;
    PackageParts &operator=(const PackageParts &) = delete;

    // Unpacks `archivePath`; false with *error when the scratch folder cannot
    // be made or the archive cannot be unpacked (not a zip, damaged, over the
    // limits, hostile names).
    bool open(const QString &archivePath, QString *error, const ZipArchive::Limits &limits = {});
    // Looks up parts in an already unpacked folder instead.
    void openFolder(const QString &folder);

    bool contains(const QString &partName) const { return filePath(partName).has_value(); }
    // The file holding `partName` (no leading '/'); nullopt when there is none.
    std::optional<QString> filePath(const QString &partName) const;
    // The part's bytes; nullopt with *error ("<part>: <reason>") when it is
    // missing or cannot be read.
    std::optional<QByteArray> read(const QString &partName, QString *error) const;
    // Parses the part into `doc` (XmlRead rules); false with *error
    // ("<part>: <reason>") when it is missing or not well-formed.
    bool loadXml(pugi::xml_document &doc, const QString &partName, QString *error) const;

private:
    std::optional<TemporaryFolder> m_scratch;
    QString m_folder;
    QHash<QString, QString> m_entries; // lower-cased part name -> part name
};
