#pragma once

#include <QString>
#include <optional>

// Part names of a package (a zip of XML parts): '/'-separated paths from the
// package root without a leading '/', such as "xl/workbook.xml".
namespace PackagePath {

// The part a relationship target names. `sourcePart` is the part whose
// relationships hold the target ("" for the package's own "_rels/.rels");
// a relative target resolves against the folder of that part, an absolute
// one ("/xl/a.xml") from the package root; "." and ".." segments are applied
// and percent-escapes decoded. nullopt for a target that would leave the
// package, holds a backslash, a NUL or a scheme (':'), or names no part.
std::optional<QString> resolveTarget(const QString &sourcePart, const QString &target);

// The relationships part of `sourcePart`: "xl/workbook.xml" gives
// "xl/_rels/workbook.xml.rels", "" (the package) gives "_rels/.rels".
QString relationshipsPart(const QString &sourcePart);

// True when `partName` stays inside the package: not empty, no leading '/',
// no empty, "." or ".." segment, no backslash, ':' or control character.
bool isConfined(const QString &partName);

} // namespace PackagePath
