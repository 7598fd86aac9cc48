#pragma once

#include "spreadsheet/engine/model/ExcelSheet.h"
#include "spreadsheet/engine/xlsx/XlsxStyleTable.h"
#include "platform/NumberText.h"

#include <QByteArray>
#include <QString>
#include <string_view>
#include <vector>

// Writes the worksheet part of one sheet: rows that hold a text or a style
// entry, cells with their formulas, typed values and style indexes, then the
// merged ranges.
namespace XlsxWorksheetWriter {

// The whole part in UTF-8, declaration included, indented one tab a level
// like every other part the workbook writer makes; each styled cell gets the
// format index XlsxStyleTable gave it (StyledCell::format). Rows go straight
// to the bytes without an element tree: a full sheet has hundreds of
// thousands of cells.
QByteArray toPart(const ExcelSheet &sheet, const std::vector<StyledCell> &styledCells);

// The <v> text of a number, written into `buffer`: shortest round-trip text,
// with ".0" on integral values in fixed form ("5.0", "-0.0", "1000.0", "0.5",
// "1e-05", "1e+20").
std::string_view numberText(double value, NumberText::ShortestBuffer &buffer);

// True for a value text that a spreadsheet reads as a number in <v>: a
// finite decimal number ("2.50", "-1e3"); false for "inf", "nan", "0x1A",
// dates, errors and other texts.
bool isNumericValue(const QString &text);

} // namespace XlsxWorksheetWriter
