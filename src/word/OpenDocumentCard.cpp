#include "OpenDocumentCard.h"

#include "platform/widgets/AccentColors.h"

OpenDocumentCard::OpenDocumentCard(QWidget *parent)
    : OpenFileCard({.shape = Shape::document(),
                    .editor = AppState::Editor::Word,
                    .title = QStringLiteral("Open Document"),
                    .boldTitle = true,
                    .rowSymbol = [](const QFileInfo &) {
                        return FileList::RowSymbol{QStringLiteral("doc.richtext"), AccentColors::blue()};
                    },
                    .closeText = QStringLiteral("Cancel")},
                   parent)
{
}
