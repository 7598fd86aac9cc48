#pragma once

#include <QString>

// Moves the relative references of a formula's text, as a spreadsheet does
// when it fills a formula from one cell into another.
namespace FormulaReferenceShift {

// `formula` (without its "=") with every cell reference outside double quotes
// and quoted sheet names moved by `rowOffset` rows and `columnOffset` columns;
// "$" parts stay, as do function names ("LOG10(") and sheet names before "!".
// A reference moved before row 1 or column A becomes "#REF!".
QString shifted(const QString &formula, int rowOffset, int columnOffset);

} // namespace FormulaReferenceShift
