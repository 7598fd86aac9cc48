#include "ZoomLevel.h"

#include <cmath>

namespace ZoomLevel {

namespace {

constexpr double Tolerance = 1e-9;

} // namespace

double zoomedOut(double zoom)
{
    // The next tenth below, computed from the decimal value so that steps do
    // not accumulate the error of adding 0.1 repeatedly.
    const double next = (std::ceil(zoom * 10.0 - Tolerance) - 1.0) / 10.0;
    return next < Minimum - Tolerance ? zoom : next;
}

double zoomedIn(double zoom)
{
    const double next = (std::floor(zoom * 10.0 + Tolerance) + 1.0) / 10.0;
    return next > Maximum + Tolerance ? zoom : next;
}

double clamped(double zoom)
{
    if (std::isnan(zoom))
        return 1.0;
    return zoom < Minimum ? Minimum : (zoom > Maximum ? Maximum : zoom);
}

int percent(double zoom)
{
    return int(std::trunc(zoom * 100.0 + Tolerance));
}

} // namespace ZoomLevel
