#pragma once

#include "spreadsheet/engine/document/ExcelFileFormat.h"

#include <QString>
#include <QStringList>

class ExcelDocument;

// Reading and writing a workbook in the formats the open and save dialogs
// offer. Every function reports failure as false with a readable *error.
namespace WorkbookFiles {

// Paths of the entries of `folder` whose lower-cased extension is csv,
// xlsx, xltx, wk1 or 123, in the listing's order (unsorted, hidden entries
// and folders with such names included). An unlistable folder gives an
// empty list and *error.
QStringList openableFiles(const QString &folder, QString *error);

// `folder`/`fileName`.<extension of format>, or "" with *error when
// SafeSave::checkFileName refuses the name (empty, "/", control characters).
QString saveTarget(const QString &folder, const QString &fileName, ExcelFileFormat format,
                   QString *error);

// Writes the document to `path`. CSV: the active sheet's raw texts as UTF-8.
// Lotus 1-2-3 (.wk1): the same CSV text in CP932, or in UTF-8 when CP932
// cannot hold a character. XLSX and XLTX: every sheet. Every format is
// saved through SafeSave (old file replaced only by a complete new one,
// links followed, permissions kept, a read-only file refused).
bool save(ExcelDocument &document, const QString &path, ExcelFileFormat format, QString *error);

// Reads `path` by its lower-cased extension (csv: UTF-8 CSV into the active
// sheet, which becomes the file's grid; wk1 and 123: Lotus worksheet into
// the active sheet; anything else: an XLSX package replacing every sheet).
// The file is read whole before the document changes: on failure the
// document is exactly as it was.
bool open(ExcelDocument &document, const QString &path, QString *error);

} // namespace WorkbookFiles
