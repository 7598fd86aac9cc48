#pragma once

#include "platform/XmlElement.h"
#include "platform/package/PackageFolder.h"

#include <QByteArray>
#include <QString>
#include <optional>

// Reading and writing the XML parts of a package folder. Every part is
// written whole, in one atomic write, as its compact form after the XML
// declaration.
namespace DocXPart {

enum class Encoding { LowerCase, UpperCase }; // "utf-8" or "UTF-8" in the declaration

// Declaration (version 1.0, standalone "yes") and the compact form of `root`,
// in UTF-8. Raw tab characters left in element text are removed, as the
// compact form has no white space of its own.
QByteArray serialize(const XmlElement &root, Encoding encoding = Encoding::LowerCase);

// Writes `root` as the part `partName` of `package`; false with *error.
bool write(PackageFolder &package, const QString &partName, const XmlElement &root, QString *error,
           Encoding encoding = Encoding::LowerCase);

// Reads and parses the part `partName` of `package`; nothing with *error.
std::optional<XmlElement> read(const PackageFolder &package, const QString &partName, QString *error);

} // namespace DocXPart
