#pragma once

#include <QPalette>

// A complete light palette (dark text on light surfaces), independent of the
// system's theme: the spreadsheet screen's, which the window that presents it
// takes too while it shows.
QPalette lightPalette();
