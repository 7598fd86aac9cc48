#include "OpenWorkbookDialog.h"

#include "platform/widgets/AccentColors.h"
#include "platform/widgets/FileList.h"
#include "platform/widgets/FolderLocationRow.h"

#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

FileList::RowSymbol workbookSymbol(const QFileInfo &file)
{
    if (file.suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0)
        return {QStringLiteral("doc.text"), AccentColors::blueOnDark()};
    return {QStringLiteral("tablecells"), AccentColors::greenOnDark()};
}

} // namespace

OpenWorkbookDialog::OpenWorkbookDialog(QWidget *parent)
    : DialogCard({.width = 450, .padding = 30, .cornerRadius = 15, .shadowRadius = 20}, parent)
{
    QVBoxLayout *layout = rows();
    QWidget *card = this->card();
    layout->addWidget(title(QStringLiteral("ドキュメントを開く"), TextStyle::Title3, card));
    m_locationRow = new FolderLocationRow(card);
    layout->addWidget(m_locationRow, 0, Qt::AlignHCenter);

    m_fileList = new FileList(FileList::Surface::Dark, workbookSymbol, card);
    m_fileList->setFixedHeight(150);
    layout->addWidget(m_fileList);

    m_cancelButton = button(QStringLiteral("キャンセル"), ButtonTone::Grey, card);
    layout->addWidget(m_cancelButton, 0, Qt::AlignHCenter);

    connect(m_locationRow, &FolderLocationRow::changeRequested, this,
            &OpenWorkbookDialog::chooseFolderRequested);
    connect(m_cancelButton, &QPushButton::clicked, this, &DialogOverlay::close);
    connect(m_fileList, &FileList::fileClicked, this, &OpenWorkbookDialog::openRequested);
}

void OpenWorkbookDialog::setLocation(const QString &folder)
{
    m_locationRow->setPath(folder);
}

void OpenWorkbookDialog::setFiles(const QStringList &paths)
{
    m_fileList->setFiles(paths);
}

QStringList OpenWorkbookDialog::files() const
{
    return m_fileList->files();
}
