#pragma once

#include "platform/DocumentError.h"

// The spreadsheet's readers and writers report DocumentError values of the
// domain "ExcelDocument": code 404 for a missing part, 500 for an empty
// workbook, 0 for other failures.
using ExcelError = DocumentError;

inline ExcelError excelError(int code, QString message)
{
    return {QStringLiteral("ExcelDocument"), code, std::move(message)};
}
