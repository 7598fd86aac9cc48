#pragma once

#include "platform/widgets/OpenFileCard.h"

// The "ドキュメントを開く" card: the folder row, the list of openable files
// (150 pixels high; a text symbol for CSV files, a table for the others)
// and "キャンセル".
class OpenWorkbookDialog : public OpenFileCard
{
    Q_OBJECT
public:
    explicit OpenWorkbookDialog(QWidget *parent);
};
