#pragma once

#include <QString>

// Function names in the <f> text of a package. Functions added to the format
// after its first edition are stored with the "_xlfn." prefix; other programs
// show "#NAME?" for them without it.
namespace XlsxFunctionNames {

// `formula` with "_xlfn." before each call of TEXTJOIN or UNIQUE (any case)
// that lacks it, outside double-quoted texts.
QString toFile(const QString &formula);

// `formula` with the "_xlfn." prefix removed from calls of TEXTJOIN and
// UNIQUE, outside double-quoted texts; other prefixed names stay.
QString fromFile(const QString &formula);

} // namespace XlsxFunctionNames
