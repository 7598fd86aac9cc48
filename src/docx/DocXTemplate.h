#pragma once

#include <QString>

// The blank package every write starts from.
namespace DocXTemplate {

// The built-in template, a folder in the application's resources.
QString builtInFolder();

// Copies every file below `templateFolder` (resource or disk) into
// `packageFolder`. False with *error when the template lacks a part the
// writer relies on (the main part's relationships, content types, package
// relationships) or a copy fails.
bool copy(const QString &templateFolder, const QString &packageFolder, QString *error);

} // namespace DocXTemplate
