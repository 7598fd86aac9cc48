#pragma once

#include "spreadsheet/engine/model/ExcelError.h"
#include "spreadsheet/engine/model/ExcelSheet.h"
#include "spreadsheet/engine/xlsx/XlsxReadBudget.h"

#include <QList>
#include <QString>
#include <optional>

// Reads a SpreadsheetML package (.xlsx, .xltx) into sheets, touching no
// document. The package's parts are read in memory (entry and total sizes
// capped; nothing is unpacked to disk): the shared strings, the styles, the
// workbook, its relationships and each worksheet, in that order.
namespace XlsxReader {

// Most sheets read from one package; a workbook listing more is refused.
inline constexpr int maxSheetCount = 256;

// Most text a workbook's cells may hold, in UTF-16 code units counted per
// cell as a save writes them (a text shared by many cells counts for each).
inline constexpr qint64 maxTextLength = XlsxReadLimits::defaultMaxTextLength;

// The sheets of the package in workbook order, or nullopt with *error set:
// code 404 "workbook.xml not found in XLSX", code 500 "No sheets imported"
// when no listed sheet has a part, code 0 for an archive that cannot be
// unpacked, a part that is not well-formed XML, too many sheets, or a
// workbook beyond its XlsxReadBudget (more text than maxTextLength, or more
// memory than the file's ReadBudget), refused as soon as that is known.
std::optional<QList<ExcelSheet>> read(const QString &path, ExcelError *error,
                                      const XlsxReadLimits &limits = {});

} // namespace XlsxReader
