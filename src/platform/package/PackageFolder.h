#pragma once

#include "platform/TemporaryFolder.h"
#include "platform/ZipArchive.h"

#include <QByteArray>
#include <QString>

// A package being built: parts are written into a private scratch folder
// (removed with this object), then zipped over the destination in one step
// through SafeSave, so the old file stays whole until the new one is.
class PackageFolder
{
public:
    PackageFolder() = default;
    PackageFolder(const PackageFolder &) = delete;
    PackageFolder &operator=(const PackageFolder &) = delete;

    // False when the scratch folder could not be made; every write then fails.
    bool isValid() const { return m_folder.isValid(); }
    const QString &path() const { return m_folder.path(); }

    // Writes the part `partName` ("ppt/slides/slide1.xml", no leading '/'),
    // making its folders; text is written as UTF-8. Refuses a name that would
    // leave the package (PackagePath::isConfined). False with *error.
    bool writePart(const QString &partName, const QByteArray &bytes, QString *error);
    bool writePart(const QString &partName, const QString &text, QString *error);

    // Zips the parts ("[Content_Types].xml" first, the rest by name) over
    // `archivePath`. False with *error; the old file is then untouched.
    bool zipTo(const QString &archivePath, ZipArchive::Compression compression, QString *error) const;

private:
    TemporaryFolder m_folder;
};
