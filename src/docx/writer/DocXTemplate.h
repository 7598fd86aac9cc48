#pragma once

#include "platform/package/PackageFolder.h"

#include <QString>

// The blank package every write starts from.
namespace DocXTemplate {

// The built-in template, a folder in the application's resources.
QString builtInFolder();

// Copies every file below `templateFolder` (resource or disk) into
// `package`. False with *error when the template lacks a part the writer
// relies on (the main part's relationships, content types, package
// relationships) or a copy fails.
bool copy(const QString &templateFolder, PackageFolder &package, QString *error);

} // namespace DocXTemplate
