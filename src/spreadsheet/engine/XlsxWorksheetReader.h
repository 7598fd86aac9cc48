#pragma once

#include "CellReference.h"
#include "CellStyle.h"
#include "ExcelSheet.h"

#include <QList>
#include <QStringList>
#include <optional>
#include <pugixml.hpp>

// Reads one worksheet part (<worksheet>) into a sheet: cells placed by their
// "r" reference, formulas, values cached in the file, styles and merged
// ranges. The grid is at least 100 × 50 and grows to the cells found, up to
// 1000 × 200; cells, styles and merges beyond that are dropped.
namespace XlsxWorksheetReader {

// The sheet gets a new id and `name`; no objects.
ExcelSheet read(pugi::xml_node worksheet, const QString &name, const QStringList &sharedStrings,
                const QList<CellStyle> &cellFormats);

// Zero-based address of reference text such as "B3" (letters in either
// case, leading zeros allowed), or nullopt when it is malformed or lies
// outside `rowLimit` rows and `columnLimit` columns.
std::optional<CellAddress> parseCellAddress(QStringView text, int rowLimit, int columnLimit);

} // namespace XlsxWorksheetReader
