#pragma once

#include <QString>
#include <optional>

// The formats the save dialog offers, in the dialog's order. The display
// text is also the segment label.
enum class ExcelFileFormat { Csv, Xlsx, Xltx, Wk1 };

inline constexpr ExcelFileFormat allExcelFileFormats[] = {
    ExcelFileFormat::Csv, ExcelFileFormat::Xlsx, ExcelFileFormat::Xltx, ExcelFileFormat::Wk1};

// "CSV (.csv)", "Excel (.xlsx)", "Excelテンプレート (.xltx)", "Lotus 1-2-3 (.wk1)".
QString excelFileFormatText(ExcelFileFormat format);
// The extension written, without the dot: "csv", "xlsx", "xltx", "wk1".
QString excelFileFormatExtension(ExcelFileFormat format);
// The format whose display text is exactly `text`; nullopt for any other text.
std::optional<ExcelFileFormat> excelFileFormatFromText(const QString &text);
