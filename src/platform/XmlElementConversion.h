#pragma once

#include "platform/XmlElement.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <pugixml.hpp>

// Turns parsed XML (pugixml) into the writable element tree, so a part read
// from a file can be changed and written back whole.
namespace XmlElementConversion {

// The element `node` with its attributes, its own text (direct character data
// and CDATA joined, unchanged) and its child elements. Comments and
// processing instructions are left out. An empty or non-element node gives an
// element with an empty name.
XmlElement fromNode(pugi::xml_node node);

// Parses `bytes` (see XmlRead::loadBytes) and converts its root element.
// Nothing, with *error set, when the bytes are not well-formed XML.
std::optional<XmlElement> fromBytes(const QByteArray &bytes, QString *error);

} // namespace XmlElementConversion
