#pragma once

#include "platform/widgets/OpenFileCard.h"

// The open card: "Open Document", the folder row, the list of the folder's
// documents (a "doc.richtext" symbol and the file name per row, 200 high)
// and Cancel.
class OpenDocumentCard : public OpenFileCard
{
    Q_OBJECT
public:
    explicit OpenDocumentCard(QWidget *parent);
};
