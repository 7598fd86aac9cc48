#pragma once

#include <QString>

// An I/O error of the spreadsheet's readers and writers: domain
// "ExcelDocument", code 404 for a missing part, 500 for an empty workbook,
// 0 for other failures; message is what the user reads.
struct ExcelError {
    int code = 0;
    QString message;

    QString domain() const { return QStringLiteral("ExcelDocument"); }
    // The line printed after "Open error: " / "Save error: ".
    QString toString() const { return message; }
};
