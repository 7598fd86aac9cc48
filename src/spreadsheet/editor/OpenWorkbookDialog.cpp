#include "OpenWorkbookDialog.h"

#include "platform/widgets/AccentColors.h"

#include <QFileInfo>

namespace {

FileList::RowSymbol workbookSymbol(const QFileInfo &file)
{
    if (file.suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0)
        return {QStringLiteral("doc.text"), AccentColors::blueOnDark()};
    return {QStringLiteral("tablecells"), AccentColors::greenOnDark()};
}

} // namespace

OpenWorkbookDialog::OpenWorkbookDialog(QWidget *parent)
    : OpenFileCard({.shape = {.width = 450, .padding = 30, .cornerRadius = 15, .shadowRadius = 20},
                    .editor = AppState::Editor::Spreadsheet,
                    .title = QStringLiteral("ドキュメントを開く"),
                    .titleStyle = TextStyle::Title3,
                    .surface = FileList::Surface::Dark,
                    .rowSymbol = workbookSymbol,
                    .listHeight = 150,
                    .closeText = QStringLiteral("キャンセル")},
                   parent)
{
}
