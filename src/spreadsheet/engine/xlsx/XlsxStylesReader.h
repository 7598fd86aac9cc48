#pragma once

#include "spreadsheet/engine/model/CellStyle.h"

#include <QList>
#include <QString>
#include <pugixml.hpp>

// Reads the cell formats of a styles part (<styleSheet>): bold, italic and
// text colour from the format's font, the background from a solid fill.
// Everything else of the part is ignored.
namespace XlsxStylesReader {

// One CellStyle per <xf> of <cellXfs>, in order; a fontId or fillId that is
// missing or names no entry gives the defaults.
QList<CellStyle> cellFormats(pugi::xml_node styleSheet);

// Colour text of an rgb value: characters other than letters, marks and
// digits trimmed from both ends; then 8 characters give "#" and the last six
// (the alpha dropped), 6 give "#" and the six, any other count "#FFFFFF".
// Letter case is kept and the digits are not checked.
QString normalizeColorHex(const QString &value);

} // namespace XlsxStylesReader
