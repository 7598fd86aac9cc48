#pragma once

#include <QString>

// What the word processor's page shows for text that sets no font, size or
// alignment: the files it writes say so explicitly, so that other programs
// (and this one, through a template's defaults) show the same.
namespace ScreenLook {

inline QString fontFamily() { return QStringLiteral("Helvetica"); }
// Points; the page shows one point as one pixel.
constexpr double fontSize = 12.0;

} // namespace ScreenLook
