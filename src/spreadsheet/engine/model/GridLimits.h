#pragma once

// The size of a new sheet and the largest grid any reader builds.
namespace GridLimits {
inline constexpr int defaultRowCount = 100;
inline constexpr int defaultColumnCount = 50;
inline constexpr int maxRowCount = 1000;
inline constexpr int maxColumnCount = 200;
}
