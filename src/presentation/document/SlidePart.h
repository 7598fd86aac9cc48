#pragma once

#include "Slide.h"

#include "platform/XmlElement.h"

// A slide part ("ppt/slides/slide<n>.xml") in the editor's own vocabulary:
// every field of the slide and its objects as a child element holding its
// value as text. No DrawingML shape is written.
namespace SlidePart {

// The `p:sld` element tree of `slide`.
XmlElement toElement(const Slide &slide);
// The part's text: the "utf-8"/"no" declaration, a line feed and the tree in
// indented form.
QString text(const Slide &slide);

} // namespace SlidePart
