#pragma once

#include "platform/ZipArchive.h"

#include <QByteArray>
#include <QString>
#include <vector>

// A package built in memory: its parts are kept as bytes and zipped over the
// destination in one step through SafeSave, so the old file stays whole until
// the new one is, and no part passes through a scratch folder. For writers
// that never read a part back (PackageFolder serves those).
class InMemoryPackage
{
public:
    // Adds the part `partName` ("xl/worksheets/sheet1.xml", no leading '/');
    // text is kept as UTF-8. Refuses a name that would leave the package
    // (PackagePath::isConfined) or that names a part already added. False
    // with *error.
    bool writePart(const QString &partName, QByteArray bytes, QString *error);
    bool writePart(const QString &partName, const QString &text, QString *error);

    // Zips the parts ("[Content_Types].xml" first, the rest by name) over
    // `archivePath`, emptying this package. False with *error; the old file
    // is then untouched.
    bool zipTo(const QString &archivePath, ZipArchive::Compression compression, QString *error);

private:
    std::vector<ZipArchive::MemoryEntry> m_parts;
};
