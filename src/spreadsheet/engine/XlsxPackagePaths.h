#pragma once

#include <QHash>
#include <QString>
#include <optional>

// The parts of a package unpacked into a folder. Part names are looked up
// only among the files found there (never through a link, never outside the
// folder), ignoring letter case as package part names do.
class XlsxPackagePaths
{
public:
    explicit XlsxPackagePaths(const QString &folder);

    // The file holding `partName` ("xl/workbook.xml", no leading "/"), or
    // nullopt when the package has no such part.
    std::optional<QString> filePath(const QString &partName) const;

    // The part name a workbook relationship target points to: relative
    // targets resolve against "xl/", absolute ones ("/xl/worksheets/a.xml")
    // from the package root; "." and ".." segments are applied and
    // percent-escapes decoded. nullopt for a target that would leave the
    // package, holds a backslash or a scheme, or names no part at all.
    static std::optional<QString> resolveTarget(const QString &target);

private:
    QString m_folder;
    QHash<QString, QString> m_entries; // lower-cased part name → part name
};
