#pragma once

#include <QPalette>

// A complete light palette (dark text on light surfaces), independent of the
// system's theme: what the window uses while the spreadsheet shows.
QPalette lightPalette();
