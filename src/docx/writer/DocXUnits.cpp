#include "DocXUnits.h"

#include <cmath>
#include <limits>

namespace DocXUnits {

std::optional<qint64> truncated(double value, Sign sign)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const double whole = std::trunc(value);
    const double low = sign == Sign::Unsigned ? 0.0 : double(std::numeric_limits<qint32>::min());
    if (whole < low || whole > double(std::numeric_limits<qint32>::max()))
        return std::nullopt;
    return qint64(whole);
}

std::optional<qint64> twips(double points, Sign sign)
{
    return truncated(points * 20.0, sign);
}

std::optional<qint64> halfPoints(double points)
{
    return truncated(points * 2.0, Sign::Unsigned);
}

std::optional<qint64> lineShares(double multiple)
{
    return truncated(multiple * 240.0, Sign::Signed);
}

qint64 emuFromEmuValue(double emu)
{
    if (std::isnan(emu) || emu <= 0.0)
        return 0;
    if (emu >= double(maxEmu))
        return maxEmu;
    return qint64(std::trunc(emu));
}

qint64 emu(double points)
{
    return emuFromEmuValue(points / 72.0 * 914400.0);
}

} // namespace DocXUnits
