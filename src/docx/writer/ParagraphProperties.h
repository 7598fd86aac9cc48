#pragma once

#include "platform/XmlElement.h"
#include "textsystem/ParagraphStyle.h"

#include <vector>

// The spacing, indentation and alignment children of w:pPr, in that (schema)
// order, from a paragraph style in points. Values that are not finite or out
// of range are left out.
namespace ParagraphProperties {

XmlElement alignmentElement(TextAlignment alignment);
std::optional<XmlElement> spacingElement(const ParagraphStyle &style);
std::optional<XmlElement> indentationElement(const ParagraphStyle &style);

// w:spacing, w:ind (each when it has an attribute), w:jc.
std::vector<XmlElement> elements(const ParagraphStyle &style);

} // namespace ParagraphProperties
