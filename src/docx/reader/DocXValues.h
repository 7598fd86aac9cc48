#pragma once

#include <QColor>
#include <QString>
#include <optional>
#include <pugixml.hpp>

// Attribute values of WordprocessingML, read without trusting them.
namespace DocXValues {

// A toggle such as <w:b/>: absent gives nullopt; no w:val, "1", "true" or
// "on" give true; "0", "false", "off" and "none" give false.
std::optional<bool> onOff(pugi::xml_node element);

// The attribute as a whole decimal number within 32 bits ("+12", "-3");
// nullopt when absent, not a number or out of range.
std::optional<int> integer(pugi::xml_node element, const char *attribute);

// A measure in twentieths of a point or another unit that WordprocessingML
// writes as a plain number; a number with a unit ("12pt", "1in", "2cm",
// "5mm", "3pc", "10pi") is converted to twips. nullopt when unreadable.
std::optional<double> twips(pugi::xml_node element, const char *attribute);

// An "RRGGBB" colour; nullopt for "auto", absent or malformed values.
std::optional<QColor> hexColor(const QString &value);

// The colour a <w:highlight> value names; nullopt for "none" and unknown names.
std::optional<QColor> highlightColor(const QString &name);

// A length of a VML style ("72pt", "1.5in", "100px", "2cm"), in points.
std::optional<double> cssLength(const QString &value);

} // namespace DocXValues
