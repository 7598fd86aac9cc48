#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>

// Conversions from points to the units of WordprocessingML, each truncated
// toward zero. A result that is not finite or does not fit the attribute's
// range is nothing: callers leave the attribute out rather than cast it.
namespace DocXUnits {

enum class Sign { Unsigned, Signed };

// Whole number of `value` truncated toward zero, within the 32-bit range of
// WordprocessingML numbers (0 and up for Unsigned); nothing otherwise.
std::optional<qint64> truncated(double value, Sign sign);

// Twentieths of a point.
std::optional<qint64> twips(double points, Sign sign);
// Half-points (font sizes).
std::optional<qint64> halfPoints(double points);
// 240ths of a line (proportional line spacing).
std::optional<qint64> lineShares(double multiple);

// The largest extent DrawingML accepts (ST_PositiveCoordinate).
constexpr qint64 maxEmu = 27273042316900LL;
// English Metric Units: points ÷ 72 × 914400, truncated, clamped to
// 0…maxEmu; NaN gives 0.
qint64 emuFromEmuValue(double emu);
qint64 emu(double points);

inline QString text(qint64 value) { return QString::number(value); }

} // namespace DocXUnits
