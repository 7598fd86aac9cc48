#pragma once

#include "PPTXFileFormat.h"
#include "platform/widgets/SaveFileCard.h"

// The "スライド保存" card: the folder row, the format picker, the file name
// with the extension of the chosen format after it, "キャンセル" and "保存".
// formatChosen reports a PPTXFileFormat.
class SavePresentationDialog : public SaveFileCard
{
    Q_OBJECT
public:
    explicit SavePresentationDialog(QWidget *parent);

    void setFormat(PPTXFileFormat format) { SaveFileCard::setFormat(int(format)); }
    PPTXFileFormat format() const { return PPTXFileFormat(SaveFileCard::format()); }
};
