#include "spreadsheet/engine/document/ExcelFileFormat.h"

QString excelFileFormatText(ExcelFileFormat format)
{
    switch (format) {
    case ExcelFileFormat::Csv:
        return QStringLiteral("CSV (.csv)");
    case ExcelFileFormat::Xlsx:
        return QStringLiteral("Excel (.xlsx)");
    case ExcelFileFormat::Xltx:
        return QStringLiteral("Excelテンプレート (.xltx)");
    case ExcelFileFormat::Wk1:
        return QStringLiteral("Lotus 1-2-3 (.wk1)");
    }
    return {};
}

QString excelFileFormatExtension(ExcelFileFormat format)
{
    switch (format) {
    case ExcelFileFormat::Csv:
        return QStringLiteral("csv");
    case ExcelFileFormat::Xlsx:
        return QStringLiteral("xlsx");
    case ExcelFileFormat::Xltx:
        return QStringLiteral("xltx");
    case ExcelFileFormat::Wk1:
        return QStringLiteral("wk1");
    }
    return {};
}

std::optional<ExcelFileFormat> excelFileFormatFromText(const QString &text)
{
    for (ExcelFileFormat format : allExcelFileFormats) {
        if (excelFileFormatText(format) == text)
            return format;
    }
    return std::nullopt;
}
