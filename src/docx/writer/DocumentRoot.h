#pragma once

#include "platform/XmlElement.h"

// The root w:document of the main part with its namespace declarations and
// the list of ignorable prefixes.
namespace DocumentRoot {

// 31 namespace declarations and mc:Ignorable, 32 entries.
const XmlElement::Attributes &namespaceAttributes();

// An empty w:document carrying namespaceAttributes().
XmlElement element();

} // namespace DocumentRoot
