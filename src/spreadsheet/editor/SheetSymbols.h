#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

// The symbols of the spreadsheet's object toolbar, macro dialog and chart
// dialog: our own SVG drawings in the SheetSymbols resource, tinted.
namespace SheetSymbols {

// The symbol `name` ("trash.fill", "trash", "plus",
// "exclamationmark.triangle") drawn in `color` at `pixelSize`; a null icon
// for an unknown name.
QIcon icon(const QString &name, const QColor &color, int pixelSize);

} // namespace SheetSymbols
