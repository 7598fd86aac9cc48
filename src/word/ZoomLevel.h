#pragma once

// The page's magnification: 1.0 is 100 %. The buttons step to the next tenth
// on the decimal value (0.73 goes to 0.7 or 0.8), so five steps down from 1.0
// reach exactly 0.5.
namespace ZoomLevel {

constexpr double Minimum = 0.5;
constexpr double Maximum = 3.0;

// One step down, or `zoom` itself when that would go below the minimum.
double zoomedOut(double zoom);
// One step up, or `zoom` itself when that would go past the maximum.
double zoomedIn(double zoom);
// `zoom` kept within the range; NaN gives 1.0.
double clamped(double zoom);
// The status bar's percentage: zoom × 100 without its fraction.
int percent(double zoom);

} // namespace ZoomLevel
