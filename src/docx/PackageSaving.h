#pragma once

#include <QString>

// Puts a package folder at its destination as one archive.
namespace PackageSaving {

// Zips the contents of `packageFolder` (deflated, "[Content_Types].xml"
// first) and replaces `destination` only when the archive is complete.
// False with *error on failure; the destination is then untouched.
bool zipOver(const QString &packageFolder, const QString &destination, QString *error);

} // namespace PackageSaving
