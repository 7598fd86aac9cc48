#include "SaveWorkbookDialog.h"

SaveWorkbookDialog::SaveWorkbookDialog(QWidget *parent)
    : SaveFileCard({.shape = {.width = 450, .padding = 30, .cornerRadius = 15, .shadowRadius = 20},
                    .title = QStringLiteral("保存形式と名前の指定"),
                    .titleStyle = TextStyle::Title3,
                    .picker = Look::Picker::Segments,
                    .pickerLabel = QStringLiteral("ファイル形式:"),
                    .cancelText = QStringLiteral("キャンセル"),
                    .saveText = QStringLiteral("保存"),
                    .returnSaves = false},
                   formatsOf(allExcelFileFormats, excelFileFormatText, excelFileFormatExtension), parent)
{
    setFormat(ExcelFileFormat::Xlsx);
}
