#pragma once

#include <QString>

// Numbers of the slide parts.
namespace PptxNumber {

// The shortest text that reads back as the same double, with ".0" added when
// it has neither point nor exponent: "50.0", "12.5", "-0.0", "1e+16".
// Non-finite values give "nan", "inf" or "-inf", which read back as the
// field's default.
QString text(double value);

} // namespace PptxNumber
