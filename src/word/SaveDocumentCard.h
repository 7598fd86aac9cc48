#pragma once

#include "platform/widgets/SaveFileCard.h"
#include "word/document/DocumentFormat.h"

// The "Save Document" card: the folder row, the format picker, the file name
// with the extension that will be added, and Cancel and Save. formatChosen
// reports a DocumentFormat.
class SaveDocumentCard : public SaveFileCard
{
    Q_OBJECT
public:
    explicit SaveDocumentCard(QWidget *parent);

    void setFormat(DocumentFormat format) { SaveFileCard::setFormat(int(format)); }
    DocumentFormat format() const { return DocumentFormat(SaveFileCard::format()); }
};
