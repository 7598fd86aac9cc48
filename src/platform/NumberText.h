#pragma once

#include <QString>
#include <array>
#include <optional>

// Number text that ignores the process locale: "2,5" is never a number and a
// point is always the decimal separator, whatever LC_NUMERIC says.
namespace NumberText {

// The value of text that C-locale strtod consumes whole, with no blank before
// or after ("5", "-2.5", ".5", "1e3", "0x1A", "inf"); nullopt otherwise,
// including for empty text.
std::optional<double> toDouble(QStringView text);

// True when toDouble(text) has a value.
bool isNumber(const QString &text);

// An optional sign followed by decimal digits, the whole text, no blanks, in
// the 64-bit range; nullopt otherwise.
std::optional<qint64> toInteger(const QString &text);

// Shortest text that reads back as the same double: fixed notation for
// decimal exponents -4..15 ("5", "0.5", "0.0001", "123456789012345"),
// scientific outside ("1e-05", "1e+20", "1.5e+16"); "inf", "-inf", "nan".
// Integral values have no point ("5", "-0").
QString shortest(double value);

// Room for any shortest() text: DBL_MAX in fixed notation needs 309 digits.
using ShortestBuffer = std::array<char, 400>;
// shortest() as Latin-1 bytes at the start of `buffer`, for writers that
// build bytes; returns the end of the text.
char *writeShortest(double value, ShortestBuffer &buffer);

// value with exactly `decimals` digits after the point ("2.50"), C locale;
// a tie rounds away from zero (2.5 with no decimals gives "3"), as spreadsheets
// display it. Negative `decimals` count as 0.
QString fixed(double value, int decimals);

} // namespace NumberText
