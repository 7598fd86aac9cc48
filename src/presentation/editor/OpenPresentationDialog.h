#pragma once

#include "platform/widgets/OpenFileCard.h"

// The "スライド読み込み" card: the folder row, the files of the folder (200
// high, a "doc.richtext" symbol per row) and "閉じる".
class OpenPresentationDialog : public OpenFileCard
{
    Q_OBJECT
public:
    explicit OpenPresentationDialog(QWidget *parent);
};
