#pragma once

#include "Slide.h"

#include <QString>
#include <optional>
#include <pugixml.hpp>

// Reads a slide part written in the editor's own vocabulary. Every object and
// slide gets a new id. Missing or unreadable fields take their defaults;
// `p:text` and `p:title` keep their text exactly, the other fields are
// trimmed first.
namespace SlidePartReader {

inline constexpr qsizetype maxObjectCount = 10000;

// The slide of the part whose root is `root`, entry `position` (1-based) of
// the slide list: an empty title reads "Slide <position>", an empty
// background "#FFFFFF". nullopt and *error set for a part that another
// presentation program wrote (DrawingML group or shape properties) and for
// a slide of more than maxObjectCount objects.
std::optional<Slide> read(pugi::xml_node root, qsizetype position, QString *error);

// The number of objects (`p:sp` elements) on the slide whose root is
// `root`, counted without reading them.
qsizetype objectCount(pugi::xml_node root);

// One `p:sp` element as an object.
SlideObject readObject(pugi::xml_node shape);

} // namespace SlidePartReader
