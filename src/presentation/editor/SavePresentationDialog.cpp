#include "SavePresentationDialog.h"

SavePresentationDialog::SavePresentationDialog(QWidget *parent)
    : SaveFileCard({.shape = Shape::document(),
                    .title = QStringLiteral("スライド保存"),
                    .boldTitle = true,
                    .pickerLabel = QStringLiteral("形式:"),
                    .nameRowSpacing = 20,
                    .cancelText = QStringLiteral("キャンセル"),
                    .saveText = QStringLiteral("保存"),
                    .buttons = Look::Buttons::Plain},
                   formatsOf(PPTXFileFormats::all(), PPTXFileFormats::stringValue, PPTXFileFormats::extension), parent)
{
    setFormat(PPTXFileFormat::Pptx);
}
