#include "SaveDocumentCard.h"

SaveDocumentCard::SaveDocumentCard(QWidget *parent)
    : SaveFileCard({.shape = Shape::document(),
                    .title = QStringLiteral("Save Document"),
                    .boldTitle = true,
                    .locationAlignment = {},
                    .pickerLabel = QStringLiteral("形式:"),
                    .nameRowInset = 16,
                    .nameRowSpacing = 20,
                    .cancelText = QStringLiteral("Cancel"),
                    .saveText = QStringLiteral("Save")},
                   formatsOf(DocumentFormats::all(), DocumentFormats::displayName, DocumentFormats::rawValue), parent)
{
}
