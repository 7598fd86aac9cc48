#include "OpenPresentationDialog.h"

#include "platform/widgets/AccentColors.h"

OpenPresentationDialog::OpenPresentationDialog(QWidget *parent)
    : OpenFileCard({.shape = Shape::document(),
                    .editor = AppState::Editor::Presentation,
                    .title = QStringLiteral("スライド読み込み"),
                    .boldTitle = true,
                    .rowSymbol = [](const QFileInfo &) {
                        return FileList::RowSymbol{QStringLiteral("doc.richtext"), AccentColors::blue()};
                    },
                    .closeText = QStringLiteral("閉じる"),
                    .closeButton = Look::CloseButton::Plain},
                   parent)
{
}
