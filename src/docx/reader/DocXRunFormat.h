#pragma once

#include "textsystem/TextAttributes.h"

#include <QColor>
#include <QString>
#include <optional>
#include <pugixml.hpp>

class DocXThemeFonts;

// The character properties of one <w:rPr>, each absent unless the element
// sets it, so formats of styles, defaults and runs can be laid over each
// other. A colour that is invalid (QColor()) means "auto": no colour.
struct DocXRunFormat
{
    std::optional<QString> latinFont;
    std::optional<QString> eastAsianFont;
    std::optional<double> pointSize;
    std::optional<bool> bold;
    std::optional<bool> italic;
    std::optional<int> underline; // TextLineStyle bits; 0 for none
    std::optional<QColor> underlineColor;
    std::optional<int> strikethrough; // TextLineStyle bits; 0 for none
    std::optional<QColor> color;
    std::optional<QColor> highlight;
    std::optional<QColor> shading;
    std::optional<int> verticalAlign; // 1 superscript, -1 subscript, 0 baseline
    std::optional<double> position;   // points above the baseline
    std::optional<double> outlineWidth; // points; 0 for none
    std::optional<QColor> outlineColor;
    std::optional<bool> outlineOnly; // the glyphs are not filled

    // The properties `rPr` sets; theme font names resolved through `theme`.
    static DocXRunFormat fromXml(pugi::xml_node rPr, const DocXThemeFonts &theme);

    // Every property `top` sets replaces this one's.
    void overlay(const DocXRunFormat &top);

    // The attributes of characters in this format, with the East Asian font
    // for `eastAsian` text. Sizes default to 10 points, fonts to Times New
    // Roman, as WordprocessingML says for a document that names none.
    TextAttributes attributes(bool eastAsian) const;
};
