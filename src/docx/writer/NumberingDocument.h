#pragma once

#include "docx/writer/DocXListStyle.h"
#include "platform/XmlElement.h"

#include <QtGlobal>
#include <map>

// One list of the document: its id (both w:abstractNumId and w:numId) and the
// marker style and first number recorded for each level.
struct NumberingDefinition
{
    qint64 numId = 0;
    std::map<qint64, DocXListStyle> stylesByLevel;
    std::map<qint64, qint64> startsByLevel;

    // The style of `level`, else of the nearest lower level, else a bullet.
    DocXListStyle style(qint64 level) const;
    // The first number of `level`: 1 when none was recorded or it is below
    // 0, at most 2^31 − 1 like every number written.
    qint64 start(qint64 level) const;
};

using NumberingDefinitions = std::map<qint64, NumberingDefinition>;

// Indents of the list levels, in points.
struct NumberingLayout
{
    double baseIndent = 28.8;     // level 0
    double indentPerLevel = 20.0; // each further level
    qint64 lastLevel = 8;         // levels 0…lastLevel are written
    double hangingRatio = 0.5;    // hanging indent ÷ base indent
};

namespace NumberingDocument {

// One w:lvl: start, number format, level text ("%N.", a bullet glyph, or
// nothing for DocXListStyle::None),
// justification, indent, and the bullet font.
XmlElement levelElement(DocXListStyle style, qint64 level, const NumberingLayout &layout, qint64 start = 1);

// The w:numbering root: every w:abstractNum, then every w:num, each in
// ascending id order.
XmlElement element(const NumberingDefinitions &definitions, const NumberingLayout &layout = {});

} // namespace NumberingDocument
