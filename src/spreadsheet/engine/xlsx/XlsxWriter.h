#pragma once

#include "spreadsheet/engine/model/ExcelError.h"
#include "spreadsheet/engine/model/ExcelSheet.h"

#include <QList>
#include <QString>

class InMemoryPackage;

// Which workbook an XLSX package declares: a workbook (.xlsx) or a template
// (.xltx). Only the content type of the workbook part differs.
enum class XlsxPackageKind { Workbook, Template };

// Writes sheets as a SpreadsheetML package: content types, package and
// workbook relationships, the workbook, one worksheet per sheet and the
// styles part; every text inline, every entry stored. Sheet names, texts,
// formulas with their evaluated values, styles and merged ranges are written;
// ids, cached values and floating objects are not.
class XlsxWriter
{
public:
    // `sheets` must not be empty and must outlive the writer.
    XlsxWriter(const QList<ExcelSheet> &sheets, XlsxPackageKind kind);

    // Template for a path whose extension is "xltx" in any case, else Workbook.
    static XlsxPackageKind kindForPath(const QString &path);

    // Builds the package in memory and zips it to `path` through
    // SafeSave: an existing file there is replaced only once the new archive
    // is complete (links followed, permissions kept, read-only refused).
    // Returns false and sets *error (code 0, a readable message) on failure.
    bool write(const QString &path, ExcelError *error) const;

private:
    bool writeParts(InMemoryPackage &package, QString *error) const;
    QString contentTypes() const;
    QString packageRelationships() const;
    QString workbook() const;
    QString workbookRelationships() const;

    const QList<ExcelSheet> &m_sheets;
    XlsxPackageKind m_kind;
};
