#pragma once

#include <cmath>

// Attribute values are stored as given, NaN included. Two stored values are
// the same when they are equal or both NaN, so a run holding NaN still equals
// itself and runs keep coalescing.
inline bool sameReal(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}
