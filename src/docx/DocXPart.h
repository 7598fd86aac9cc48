#pragma once

#include "platform/XmlElement.h"

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

// Writes a file of the package folder, creating missing folders. The folder
// is private scratch space, so the file is not synced: only the finished
// archive replaces anything. False with *error on failure.
bool writeBytes(const QString &path, const QByteArray &bytes, QString *error);

// Writes `root` to `path`; false with *error on failure.
bool write(const QString &path, const XmlElement &root, QString *error, Encoding encoding = Encoding::LowerCase);

// Reads and parses the part at `path`; nothing with *error on failure.
std::optional<XmlElement> read(const QString &path, QString *error);

} // namespace DocXPart
