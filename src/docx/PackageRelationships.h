#pragma once

#include "platform/XmlElement.h"

#include <QString>

// A relationships part (the root element "Relationships") and the ids of its
// entries: "rId" followed by a decimal number, a new one after the highest
// number present (compared numerically: rId10 is above rId9).
namespace PackageRelationships {

// An empty "Relationships" root with the package relationships namespace.
XmlElement emptyDocument();

// The number of the last id in numeric text order, with letters stripped
// from both its ends; 0 when there is none or the rest is not an integer.
qint64 highestId(const XmlElement &relationships);

// "rId" followed by `number`.
QString idText(qint64 number);

// True when a relationship of this type is present.
bool hasType(const XmlElement &relationships, const QString &type);

// Appends a relationship with the next free id and returns that id.
QString add(XmlElement &relationships, const QString &type, const QString &target);

// Appends a part relationship only when none of this type is present.
void addPartOnce(XmlElement &relationships, const QString &type, const QString &target);

} // namespace PackageRelationships
