#pragma once

#include "docx/writer/DocXOptions.h"
#include "platform/package/PackageFolder.h"

#include <QString>

// The package's [Content_Types].xml, patched for the parts the writer adds.
namespace ContentTypes {

enum class Part { Numbering = 0x1, Footnotes = 0x2, Endnotes = 0x4 };
Q_DECLARE_FLAGS(Parts, Part)

inline const QString mainDocument =
    QStringLiteral("application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml");
inline const QString mainTemplate =
    QStringLiteral("application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml");

// Adds an Override for each part in `parts` (numbering, footnotes, endnotes,
// in that order) that has none yet, and sets the main part's content type for
// `kind`. Rewrites the file only when something changed. False with *error
// when the file cannot be read, parsed or written.
bool update(PackageFolder &package, Parts parts, DocXPackageKind kind, QString *error);

// Adds a Default for each extension of `mediaTargets` ("media/rId7.png")
// that the package's content types do not cover yet, so every picture the
// writer stores has a content type. Rewrites the file only when something
// changed. False with *error when it cannot be read, parsed or written.
bool addMediaDefaults(PackageFolder &package, const QStringList &mediaTargets, QString *error);

} // namespace ContentTypes

Q_DECLARE_OPERATORS_FOR_FLAGS(ContentTypes::Parts)
