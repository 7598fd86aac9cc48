#pragma once

#include "platform/widgets/SaveFileCard.h"
#include "spreadsheet/engine/document/ExcelFileFormat.h"

// The "保存形式と名前の指定" card: the folder row, the four formats as
// segments, the file name with the format's extension after it, and the
// "キャンセル" and "保存" buttons. formatChosen reports an ExcelFileFormat.
class SaveWorkbookDialog : public SaveFileCard
{
    Q_OBJECT
public:
    explicit SaveWorkbookDialog(QWidget *parent);

    void setFormat(ExcelFileFormat format) { SaveFileCard::setFormat(int(format)); }
    ExcelFileFormat format() const { return ExcelFileFormat(SaveFileCard::format()); }
    QPushButton *formatButton(ExcelFileFormat format) const { return formatSegment(int(format)); }
};
