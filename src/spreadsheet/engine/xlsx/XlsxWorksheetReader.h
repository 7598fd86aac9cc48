#pragma once

#include "spreadsheet/engine/model/CellReference.h"
#include "spreadsheet/engine/model/CellStyle.h"
#include "spreadsheet/engine/model/ExcelSheet.h"
#include "spreadsheet/engine/xlsx/XlsxReadBudget.h"
#include "spreadsheet/engine/xlsx/XmlPieces.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <optional>
#include <pugixml.hpp>

// Reads one worksheet part (<worksheet>) into a sheet: cells placed by their
// "r" reference, formulas, values cached in the file, styles and merged
// ranges. The grid is at least 100 × 50 and grows to the cells found, up to
// 1000 × 200; cells, styles and merges beyond that are dropped.
namespace XlsxWorksheetReader {

// The sheet gets a new id and `name`; no objects. What it keeps is taken
// from `budget` before it is made: nullopt when the budget runs out. Sets
// *textUnits to the text a save counts for the sheet.
std::optional<ExcelSheet> read(pugi::xml_node worksheet, const QString &name, const QStringList &sharedStrings,
                               const QList<CellStyle> &cellFormats, XlsxReadBudget &budget,
                               qint64 *textUnits = nullptr);

// The same sheet from the part's bytes, its rows parsed about `pieceSize`
// bytes at a time, in place (so `part` is changed), rather than as one tree,
// which would take several times the part's size. Nullopt when the budget
// runs out, or when the part does not lend itself to that (see XmlPieces)
// or is not well-formed: the caller then parses the part whole with read(),
// which also tells what is wrong.
std::optional<ExcelSheet> readInPieces(QByteArray &part, const QString &name, const QStringList &sharedStrings,
                                       const QList<CellStyle> &cellFormats, XlsxReadBudget &budget,
                                       qint64 *textUnits = nullptr,
                                       qsizetype pieceSize = XmlPieces::defaultPieceSize);

// Zero-based address of reference text such as "B3" (letters in either
// case, leading zeros allowed), or nullopt when it is malformed or lies
// outside `rowLimit` rows and `columnLimit` columns.
std::optional<CellAddress> parseCellAddress(QStringView text, int rowLimit, int columnLimit);
std::optional<CellAddress> parseCellAddress(QByteArrayView text, int rowLimit, int columnLimit);

} // namespace XlsxWorksheetReader
