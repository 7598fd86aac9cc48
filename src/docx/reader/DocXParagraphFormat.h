#pragma once

#include "textsystem/ParagraphStyle.h"

#include <QString>
#include <optional>
#include <pugixml.hpp>

// The paragraph properties of one <w:pPr>, each absent unless the element
// sets it, so formats of defaults, numbering levels, styles and paragraphs
// can be laid over each other. Lengths in points.
struct DocXParagraphFormat
{
    std::optional<TextAlignment> alignment;
    std::optional<double> leftIndent;
    std::optional<double> rightIndent;
    std::optional<double> firstLineIndent; // negative for a hanging indent
    std::optional<double> spacingBefore;
    std::optional<double> spacingAfter;
    std::optional<double> lineMultiple; // of single spacing
    std::optional<double> lineExact;    // points
    std::optional<bool> pageBreakBefore;
    // <w:numPr>: numId 0 takes the paragraph out of a list.
    std::optional<int> numberingId;
    std::optional<int> numberingLevel;

    static DocXParagraphFormat fromXml(pugi::xml_node pPr);

    // Every property `top` sets replaces this one's.
    void overlay(const DocXParagraphFormat &top);

    // The layout these properties give (no lists: those come from numbering).
    ParagraphStyle paragraphStyle() const;
};
