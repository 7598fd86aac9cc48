#pragma once

#include "spreadsheet/engine/model/ExcelSheet.h"

#include <QString>

// Comma-separated text of one sheet's raw texts.
namespace CsvFormat {

// Most bytes of CSV text a file may hold: the grid holds at most 1000 × 200
// cells, and a file far beyond that is not a sheet.
inline constexpr qint64 maxFileSize = qint64(64) << 20;

// Reads CSV text into a grid sized to the data: at least 100 × 50, at most
// 1000 × 200 (later lines and fields are dropped). Fields in double quotes may
// hold commas, line breaks and doubled quotes (read as one); blanks around a
// field are trimmed, inside quotes they stay. A leading byte-order mark is
// skipped; CR LF line ends are accepted. A quote that is never closed is an
// ordinary character of its field (a field of one quote alone reads as "").
// Never fails.
CellGrid read(const QString &text);

// One line per row, each ended by LF; fields joined by ",". A field holding a
// comma, a double quote, CR, LF, blanks at either end or a leading U+FEFF is
// written in double quotes with its quotes doubled, so read() gives the grid
// back. An empty grid gives "".
QString write(const CellGrid &cells);

} // namespace CsvFormat
